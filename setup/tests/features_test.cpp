// The components and features of setup.ini: the archives listed through the
// archive library, the feature tree with its keys, every hostile setup.ini
// that must end the setup before a page, the forcing rules, and the walk
// that gives the space and the install plan.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/feature_plan.h"
#include "setup/features.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

using Items = std::vector<rar4::WriterItem>;

const char* kPackage =
    "[Components]\n"
    "[[Core]]\n"
    "[[Shared]]\n"
    "[[Docs]]\n"
    "[Features]\n"
    "[[Program]]\n"
    "Descr=The program|\317\360\356\343\360\340\354\354\340\n"
    "Component=Core\n"
    "Component2=shared\n"
    "Required=1\n"
    "[[[Examples]]]\n"
    "Checked=0\n"
    "Expanded=0\n"
    "ComponentExtra=Shared\n"
    "Invisible=1\n"
    "[[Manual]]\n"
    "Component=Docs\n"
    "[[Runtime]]\n"
    "Invisible=1\n"
    "Component=Shared\n";

class Features : public testing::Test {
protected:
    Features()
    {
        state.programFolder = tree.Root();
        state.product.company = "Korvan Test";
        Archive("Core", {{"bin\\core.dll", std::string(1500, 'c'), false}, {"bin", "", true}});
        Archive("Shared", {{"shared.dat", std::string(70, 's'), false}});
        Archive("Docs", {{"doc\\guide.txt", std::string(9, 'd'), false}});
    }

    void Archive(const std::string& name, const Items& items, rar4::WriterOptions options = {})
    {
        std::string error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path(name + ".rar"), items, options, error)) << error;
    }

    void Ini(const std::string& text)
    {
        tree.Write("setup.ini", text);
        state.setupIni = std::make_unique<INIStream>(INI_READ_ONLY, tree.Path("setup.ini").c_str());
    }

    std::string Boxes() const
    {
        std::string all;
        for (const auto& box : boxes.Boxes()) all += "[" + std::to_string(box.messageId) + "] " + box.text + "\n";
        return all;
    }

    TempTree tree;
    SetupState state;
    FwBoxRecorder boxes;
};

Feature* Child(const TreeContainer& list, uint32_t i) { return static_cast<Feature*>(list[i]); }

TEST_F(Features, ReadsEachArchiveListAndTheFeatureTreeWithItsKeys)
{
    Ini(kPackage);
    std::unique_ptr<FeatureSet> set = ReadFeatureSet(state);
    ASSERT_TRUE(set) << Boxes();
    EXPECT_TRUE(boxes.Boxes().empty()) << Boxes();

    ASSERT_EQ(set->components.size(), 3u);
    const Component& core = *set->components[0];
    EXPECT_EQ(core.name, "Core");
    EXPECT_EQ(core.archivePath, tree.Path("Core.rar"));
    EXPECT_EQ(core.unpackedSize, 1500u);
    EXPECT_EQ(core.entries, (std::vector<std::string>{"bin\\core.dll", "bin"}));

    // Invisible is read for top-level features only: Examples stays a
    // shown sub-feature of Program.
    ASSERT_EQ(set->shown.Count(), 2u);
    ASSERT_EQ(set->hidden.Count(), 1u);
    const Feature& program = *Child(set->shown, 0);
    EXPECT_STREQ(program.Name(), "Program");
    EXPECT_EQ(program.descr, "The program|\317\360\356\343\360\340\354\354\340");
    EXPECT_TRUE(program.checked);
    EXPECT_TRUE(program.required);
    EXPECT_TRUE(program.expanded);
    ASSERT_EQ(program.components.size(), 2u);
    EXPECT_EQ(program.components[0], set->FindComponent("Core"));
    EXPECT_EQ(program.components[1], set->FindComponent("Shared"));
    ASSERT_EQ(program.Count(), 1u);
    const Feature& examples = *program.ChildFeature(0);
    EXPECT_FALSE(examples.checked);
    EXPECT_FALSE(examples.required);
    EXPECT_FALSE(examples.expanded);
    EXPECT_FALSE(examples.invisible);
    ASSERT_EQ(examples.components.size(), 1u);
    EXPECT_EQ(examples.components[0]->name, "Shared");
    EXPECT_STREQ(Child(set->shown, 1)->Name(), "Manual");
    EXPECT_EQ(Child(set->shown, 1)->descr, "");
    EXPECT_STREQ(Child(set->hidden, 0)->Name(), "Runtime");
    EXPECT_TRUE(Child(set->hidden, 0)->invisible);
}

// Each of these ends SetupFeatures (and so the setup) with one message.
TEST_F(Features, HostileSetupIniGivesOneMessageAndNoFeatures)
{
    std::string nested = "[Components]\n[[Core]]\n[Features]\n";
    for (uint32_t depth = 1; depth <= kFeatureDepthMax + 1; ++depth)
        nested += std::string(depth + 1, '[') + "F" + std::to_string(depth) + std::string(depth + 1, ']') + "\n";
    struct Case {
        const char* what;
        std::string ini;
        uint16_t id;  // 0: a literal text
        std::string text;
    } cases[] = {
        {"no [Components]", "[Features]\n[[A]]\n", 0,
         "Internal error: no [Components] in setup.ini, please contact Korvan Test"},
        {"[Components] without sub-sections", "[Components]\nx=1\n[Features]\n[[A]]\n", 0,
         "Internal error: no [Components] in setup.ini, please contact Korvan Test"},
        {"no [Features]", "[Components]\n[[Core]]\n", 0,
         "Internal error: no [Features] in setup.ini, please contact Korvan Test"},
        {"a feature naming a missing component", "[Components]\n[[Core]]\n[Features]\n[[A]]\n[[[B]]]\nComponent=Core\n"
                                                 "Component1=Nowhere\n",
         0, "Internal error: cannot find component 'Nowhere', please contact Korvan Test"},
        {"a missing archive", "[Components]\n[[Core]]\n[[Gone]]\n[Features]\n[[A]]\n", SETUP_MSG_OPEN_ARCHIVE,
         "Unable to open archive '" + tree.Path("Gone.rar") + "'"},
        {"a file that is no RAR archive", "[Components]\n[[Text]]\n[Features]\n[[A]]\n", SETUP_MSG_OPEN_ARCHIVE,
         "Unable to open archive '" + tree.Path("Text.rar") + "'"},
        {"a damaged entry header", "[Components]\n[[Bad]]\n[Features]\n[[A]]\n", SETUP_MSG_ARCHIVE_DAMAGED,
         "Archive '" + tree.Path("Bad.rar") + "' is damaged: bad header data"},
        {"an archive cut in an entry", "[Components]\n[[Cut]]\n[Features]\n[[A]]\n", SETUP_MSG_ARCHIVE_DAMAGED,
         "Archive '" + tree.Path("Cut.rar") + "' is damaged: bad header data"},
        {"features nested too deep", nested, 0,
         "Internal error: features nested deeper than 16 levels in setup.ini, please contact Korvan Test"},
    };
    tree.Write("Text.rar", "[Product]\nName=not an archive\n");
    Items three{{"a.txt", "a", false}, {"b.txt", "b", false}, {"c.txt", "c", false}};
    rar4::WriterOptions badHeader;
    badHeader.badHeaderCrcEntry = 2;
    Archive("Bad", three, badHeader);
    std::string whole, error;
    ASSERT_TRUE(rar4::WriteArchive(three, {}, whole, error));
    rar4::WriterOptions cut;
    cut.truncateTo = whole.size() - 12;
    Archive("Cut", three, cut);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Clear();
        Ini(c.ini);
        EXPECT_EQ(ReadFeatureSet(state), nullptr);
        ASSERT_EQ(boxes.Boxes().size(), 1u) << Boxes();
        EXPECT_EQ(boxes.Boxes()[0].messageId, c.id);
        EXPECT_EQ(boxes.Boxes()[0].text, c.text);
    }
}

TEST_F(Features, NestingOfExactlyTheBoundIsRead)
{
    std::string ini = "[Components]\n[[Core]]\n[Features]\n";
    for (uint32_t depth = 1; depth <= kFeatureDepthMax; ++depth)
        ini += std::string(depth + 1, '[') + "F" + std::to_string(depth) + std::string(depth + 1, ']') + "\n";
    Ini(ini);
    std::unique_ptr<FeatureSet> set = ReadFeatureSet(state);
    ASSERT_TRUE(set) << Boxes();
    const TreeContainer* node = &set->shown;
    uint32_t depth = 0;
    while (node->Count() == 1) node = (*node)[0], ++depth;
    EXPECT_EQ(depth, kFeatureDepthMax);
}

// A hand-made set: components with given sizes, features by name.
class Walk : public testing::Test {
protected:
    Component* Add(const char* name, uint64_t size)
    {
        set.components.push_back(std::make_unique<Component>());
        Component* c = set.components.back().get();
        c->name = name;
        c->archivePath = std::string("C:\\pkg\\") + name + ".rar";
        c->unpackedSize = size;
        return c;
    }
    Feature* Make(const char* name, TreeContainer& parent, bool checked, std::vector<const Component*> needs)
    {
        auto* f = new Feature(name, &parent);
        f->checked = checked;
        f->components = std::move(needs);
        return f;
    }
    static std::vector<std::string> Names(const InstallPlan& plan)
    {
        std::vector<std::string> out;
        for (const auto& c : plan.Components()) out.push_back(c.name);
        return out;
    }
    FeatureSet set;
};

TEST_F(Walk, SharedComponentOnceHiddenFirstAndACheckedChildOfAnUncheckedParent)
{
    Component* core = Add("Core", 3000000000ull);  // sizes past 4 GiB in total
    Component* shared = Add("Shared", 2000000000ull);
    Component* docs = Add("Docs", 7);
    Component* extra = Add("Extra", 11);
    Feature* program = Make("Program", set.shown, true, {core, shared});
    Feature* tools = Make("Tools", set.shown, false, {extra});
    Feature* toolDocs = Make("ToolDocs", *tools, true, {docs, shared});
    Make("Runtime", set.hidden, true, {shared});

    const InstallPlan plan = PlanFeatures(set);
    EXPECT_EQ(Names(plan), (std::vector<std::string>{"Shared", "Core", "Docs"}));
    EXPECT_EQ(plan.Components()[1].archivePath, "C:\\pkg\\Core.rar");
    EXPECT_EQ(plan.TotalSize(), 5000000007ull);

    // FeatureSize counts what is not counted yet, sub-features included.
    InstallPlan counted;
    EXPECT_EQ(FeatureSize(*tools, counted), 2000000007ull);
    EXPECT_EQ(FeatureSize(*program, counted), 3000000000ull);
    EXPECT_EQ(FeatureSize(*program, counted), 0u);
    toolDocs->checked = false;
    program->checked = false;
    EXPECT_EQ(PlanFeatures(set).TotalSize(), 2000000000ull);  // only the hidden Runtime
}

TEST_F(Walk, RequiredIsForcedUnderACheckedParentOrAtTopLevel)
{
    // (required, parent checked, top-level) -> checked after the rules, for
    // a feature that setup.ini leaves unchecked.
    struct Case {
        bool required, parentChecked, topLevel, checked;
    } cases[] = {
        {false, false, false, false}, {false, true, false, false}, {true, false, false, false},
        {true, true, false, true},    {false, false, true, false}, {true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.required << c.parentChecked << c.topLevel);
        FeatureSet s;
        Make("Other", s.shown, false, {});  // two shown features: no single-feature rule
        Feature* parent = Make("Parent", s.shown, c.parentChecked, {});
        Feature* f = Make("F", c.topLevel ? s.shown : *parent, false, {});
        f->required = c.required;
        ApplyForcingRules(s);
        EXPECT_EQ(f->checked, c.checked);
    }
}

TEST_F(Walk, ASingleShownFeatureIsCheckedAndItsRequiredChildrenFollow)
{
    Feature* only = Make("Only", set.shown, false, {});
    Feature* required = Make("Core", *only, false, {});
    required->required = true;
    Feature* deeper = Make("Deeper", *required, false, {});
    deeper->required = true;
    Feature* optional = Make("Optional", *only, false, {});
    Feature* hidden = Make("Hidden", set.hidden, false, {});
    ApplyForcingRules(set);
    EXPECT_TRUE(only->checked);
    EXPECT_TRUE(required->checked);
    EXPECT_TRUE(deeper->checked);
    EXPECT_FALSE(optional->checked);
    EXPECT_FALSE(hidden->checked);  // the hidden list is not "shown"
}

}  // namespace
