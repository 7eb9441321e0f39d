#include "framework/ui/ev_handler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<const PEvHandler*> g_calls;

class Recorder : public PEvHandler {
public:
    explicit Recorder(uint32_t priority = kDefaultPriority) { SetPriority(priority); }
    void OnChipSelect() override { g_calls.push_back(this); }
    void OnCustomEvent(uint32_t code, uintptr_t, uintptr_t) override
    {
        lastCode = code;
        g_calls.push_back(this);
    }
    bool OnBeforeRun(uint32_t) override
    {
        ++asked;
        return allow;
    }
    uint32_t lastCode = 0;
    int asked = 0;
    bool allow = true;
};

// Deletes itself (or another handler) while being called.
class Leaver : public Recorder {
public:
    using Recorder::Recorder;
    void OnChipSelect() override
    {
        g_calls.push_back(this);
        delete victim;
    }
    PEvHandler* victim = nullptr;
};

// Registers a newcomer at every call.
class Breeder : public Recorder {
public:
    using Recorder::Recorder;
    void OnChipSelect() override
    {
        g_calls.push_back(this);
        for (int i = 0; i < 300; ++i) born.emplace_back(new Recorder(0xFFFFFFF0u));
    }
    std::vector<std::unique_ptr<Recorder>> born;
};

// Only the handlers of a test are recorded: the framework's own two handlers
// record nothing.
std::vector<const PEvHandler*> Calls(std::initializer_list<const PEvHandler*> mine)
{
    std::vector<const PEvHandler*> result;
    for (const PEvHandler* c : g_calls)
        for (const PEvHandler* m : mine)
            if (c == m) result.push_back(c);
    return result;
}

// Runs first (tests run in the order of definition): the framework's own
// two handlers are there from start-up, before anyone asked for them.
TEST(EvHandlersAtStart, FirstAndLastExistBeforeAnyBroadcast)
{
    EXPECT_GE(EvHandlerCount(), 2u);
}

class EvHandlers : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureFrameworkEvHandlers();
        g_calls.clear();
    }
};

TEST_F(EvHandlers, BroadcastRunsInPriorityOrder)
{
    Recorder high(0xFFFFFFFEu), mid, low(5);
    PEvHandlerDispatcher::OnChipSelect();
    EXPECT_EQ(Calls({&high, &mid, &low}), (std::vector<const PEvHandler*>{&low, &mid, &high}));
}

TEST_F(EvHandlers, EqualPrioritiesGoByAddress)
{
    Recorder pair[2];
    PEvHandlerDispatcher::OnChipSelect();
    EXPECT_EQ(Calls({&pair[0], &pair[1]}), (std::vector<const PEvHandler*>{&pair[0], &pair[1]}));
}

TEST_F(EvHandlers, FirstAndLastFrameworkHandlersBracketTheOthers)
{
    struct Order : PEvHandler {
        explicit Order(std::vector<std::string>* log) : log(log) {}
        void OnLanguageChange() override { log->push_back(GetEvHandlerName()); }
        const char* GetEvHandlerName() override { return "mine"; }
        std::vector<std::string>* log;
    };
    static std::vector<std::string> seen;
    seen.clear();
    SetAppLanguageChangedHook([](int) { seen.push_back("app"); });
    Order mine(&seen);
    PEvHandlerDispatcher::OnLanguageChange();
    SetAppLanguageChangedHook(nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"mine", "app"}));
}

TEST_F(EvHandlers, HandlerLeavingDuringBroadcastIsNotCalledAndFollowerStillIs)
{
    Recorder* after = new Recorder(20);
    Leaver* self = new Leaver(10);
    self->victim = self;
    Recorder last(30);
    PEvHandlerDispatcher::OnChipSelect();
    // The follower shifted into the leaver's index, behind the cursor: the
    // second pass calls it, once.
    EXPECT_EQ(Calls({self, after, &last}), (std::vector<const PEvHandler*>{self, &last, after}));
    EXPECT_FALSE(EvHandlerRegistered(self));
    g_calls.clear();
    PEvHandlerDispatcher::OnChipSelect();
    EXPECT_EQ(Calls({after, &last}), (std::vector<const PEvHandler*>{after, &last}));
    delete after;
}

TEST_F(EvHandlers, HandlerDeletedBeforeItsTurnIsNotCalled)
{
    Leaver killer(10);
    Recorder* victim = new Recorder(20);
    killer.victim = victim;
    PEvHandlerDispatcher::OnChipSelect();
    EXPECT_EQ(Calls({&killer, victim}), (std::vector<const PEvHandler*>{&killer}));
}

TEST_F(EvHandlers, ManyNewcomersDuringBroadcastAreSafe)
{
    Breeder breeder(10);
    uint32_t before = EvHandlerCount();
    PEvHandlerDispatcher::OnChipSelect();
    EXPECT_EQ(EvHandlerCount(), before + 300);
    // Each newcomer was called at most once.
    EXPECT_LE(g_calls.size(), 301u);
    EXPECT_EQ(Calls({&breeder}).size(), 1u);
}

TEST_F(EvHandlers, CustomEventCarriesItsCode)
{
    Recorder r;
    PEvHandlerDispatcher::OnCustomEvent(14088, 1, 2);
    EXPECT_EQ(r.lastCode, 14088u);
}

TEST_F(EvHandlers, BeforeRunAsksOnceUntilStopAndVetoKeepsPermission)
{
    Recorder app, other;
    SetEvApplication(&app);
    PEvHandlerDispatcher::OnStop(0);  // a known start: permission set

    other.allow = false;
    EXPECT_FALSE(PEvHandlerDispatcher::OnBeforeRun(0));
    EXPECT_TRUE(RunPermission());
    EXPECT_EQ(app.asked, 1);  // asked first, and not again in the broadcast

    other.allow = true;
    EXPECT_TRUE(PEvHandlerDispatcher::OnBeforeRun(0));
    EXPECT_FALSE(RunPermission());
    int asked = other.asked;
    EXPECT_TRUE(PEvHandlerDispatcher::OnBeforeRun(0));  // no OnStop: nobody asked
    EXPECT_EQ(other.asked, asked);

    PEvHandlerDispatcher::OnStop(0);
    app.allow = false;
    EXPECT_FALSE(PEvHandlerDispatcher::OnBeforeRun(0));
    EXPECT_EQ(other.asked, asked);  // the application's veto ends it first
    SetEvApplication(nullptr);
    EXPECT_FALSE(PEvHandlerDispatcher::OnBeforeRun(0));  // no application object
}

TEST_F(EvHandlers, QueryStopsAtFirstAnswer)
{
    struct Answer : PEvHandler {
        explicit Answer(uint32_t p, uint32_t a) : value(a) { SetPriority(p); }
        uint32_t OnQuery(uint32_t, uint32_t, uint32_t) override
        {
            ++asked;
            return value;
        }
        uint32_t value;
        int asked = 0;
    };
    Answer first(10, 0), yes(20, 5), later(30, 1);
    EXPECT_TRUE(PEvHandlerDispatcher::OnQuery(1, 2, 3));
    EXPECT_EQ(first.asked, 1);
    EXPECT_EQ(later.asked, 0);
}

}  // namespace
