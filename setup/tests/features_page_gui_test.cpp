// The feature page in-process: the tree's states as the features give
// them, a click on a state image toggles the feature and the space text
// follows, a required item stays checked, the description of the selected
// feature, the expanded states kept after closing, and the single-feature
// case that shows no page. Screenshots in English and Russian.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/ui/ml_text.h"
#include "framework/window/tests/support/dialog_script.h"
#include "setup/features.h"
#include "setup/features_page.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

// A shown tree: Program (Core 1,000,000; required Engine 2,000 under it,
// optional Examples 30 collapsed), Manual (unchecked, Docs 400), and a
// hidden Runtime (Shared 5,000,000,000: the total passes 4 GiB).
class FeaturePage : public testing::Test {
protected:
    void SetUp() override
    {
        state.features = std::make_unique<FeatureSet>();
        FeatureSet& set = *state.features;
        const Component* core = Add("Core", 1000000);
        const Component* engine = Add("Engine", 2000);
        const Component* examples = Add("Examples", 30);
        const Component* docs = Add("Docs", 400);
        const Component* shared = Add("Shared", 5000000000ull);
        program = Make("Program", set.shown, true, core);
        program->descr = "The program itself|\317\360\356\343\360\340\354\354\340";
        engine_ = Make("Engine", *program, true, engine);
        engine_->required = true;
        examples_ = Make("Examples", *program, false, examples);
        examples_->expanded = false;
        manual = Make("Manual", set.shown, false, docs);
        Make("Runtime", set.hidden, true, shared)->invisible = true;
        state.product.name = "VOQ Pages";
        state.product.version = "1.0";
        state.caption = "VOQ Pages Installation";
    }
    void TearDown() override
    {
        g_mlLanguage = 0;
    }
    const Component* Add(const char* name, uint64_t size)
    {
        state.features->components.push_back(std::make_unique<Component>());
        Component* c = state.features->components.back().get();
        c->name = name;
        c->archivePath = name;
        c->unpackedSize = size;
        return c;
    }
    static Feature* Make(const char* name, TreeContainer& parent, bool checked, const Component* needs)
    {
        auto* f = new Feature(name, &parent);
        f->checked = checked;
        f->components = {needs};
        return f;
    }

    SetupState state;
    Feature* program = nullptr;
    Feature* engine_ = nullptr;
    Feature* examples_ = nullptr;
    Feature* manual = nullptr;
};

UINT StateImageOf(HWND tree, const TreeContainer* node)
{
    return static_cast<UINT>(SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->Item()),
                                          TVIS_STATEIMAGEMASK)) >>
           12;
}

// A real click on the node's state image (left of its text), so that the
// tree sends NM_CLICK with the cursor where the page looks.
void ClickStateImage(HWND tree, const TreeContainer* node)
{
    RECT r{};
    HTREEITEM item = node->Item();
    std::memcpy(&r, &item, sizeof item);
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    POINT at{-1, (r.top + r.bottom) / 2};
    for (int x = r.left - 1; x >= 0 && at.x < 0; --x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, at.y};
        SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & TVHT_ONITEMSTATEICON) at.x = x;
    }
    ASSERT_GE(at.x, 0) << "no state image left of " << node->Name();
    POINT screen = at;
    ClientToScreen(tree, &screen);
    SetCursorPos(screen.x, screen.y);
    const LPARAM point = MAKELPARAM(at.x, at.y);
    // The tree tracks the button until the release comes from the queue.
    PostMessageW(tree, WM_LBUTTONUP, 0, point);
    SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PumpPending();
}

TEST_F(FeaturePage, AClickOnAStateImageTogglesTheFeatureAndUpdatesTheSpace)
{
    DlgFeatures page(nullptr, false, state);
    UINT initial[4] = {}, afterManual = 0, afterEngine = 0, engineUnderUnchecked = 0;
    std::string spaceBefore, spaceAfterManual, spaceAfterProgram, description;
    bool programExpanded = true;
    const int result = RunScripted(page, [&](Dialog& d) {
        HWND dialog = d.GetHandle();
        HWND tree = GetDlgItem(dialog, SETUP_CTL_FEATURE_TREE);
        const Feature* nodes[4] = {program, engine_, examples_, manual};
        for (int i = 0; i < 4; ++i) initial[i] = StateImageOf(tree, nodes[i]);
        programExpanded = (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(program->Item()),
                                         TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        spaceBefore = ItemText(dialog, SETUP_CTL_FEATURE_SPACE);
        program->Select(TVGN_CARET);
        description = ItemText(dialog, SETUP_CTL_FEATURE_DESCR);
        SaveScreenshot(dialog, "features_page_en");
        ClickStateImage(tree, manual);
        afterManual = StateImageOf(tree, manual);
        spaceAfterManual = ItemText(dialog, SETUP_CTL_FEATURE_SPACE);
        ClickStateImage(tree, engine_);
        afterEngine = StateImageOf(tree, engine_);
        ClickStateImage(tree, program);
        engineUnderUnchecked = StateImageOf(tree, engine_);
        spaceAfterProgram = ItemText(dialog, SETUP_CTL_FEATURE_SPACE);
        program->Expand(TVE_COLLAPSE);
        Click(dialog, SETUP_CTL_NEXT);
    });
    EXPECT_EQ(result, SETUP_RESULT_NEXT);
    EXPECT_EQ(initial[0], TREE_STATE_CHECKED);
    EXPECT_EQ(initial[1], TREE_STATE_REQUIRED);
    EXPECT_EQ(initial[2], TREE_STATE_UNCHECKED);
    EXPECT_EQ(initial[3], TREE_STATE_UNCHECKED);
    EXPECT_TRUE(programExpanded);
    EXPECT_EQ(description, "The program itself");
    // Runtime (hidden) 5,000,000,000 + Core 1,000,000 + Engine 2,000.
    EXPECT_EQ(spaceBefore, "Drive space required: 5,001,002,000 bytes");
    EXPECT_EQ(afterManual, TREE_STATE_CHECKED);
    EXPECT_EQ(spaceAfterManual, "Drive space required: 5,001,002,400 bytes");
    EXPECT_EQ(afterEngine, TREE_STATE_REQUIRED);  // its check stays
    // Program unchecked: Engine is no longer forced but keeps its check.
    EXPECT_EQ(engineUnderUnchecked, TREE_STATE_CHECKED);
    EXPECT_EQ(spaceAfterProgram, "Drive space required: 5,000,002,400 bytes");
    EXPECT_FALSE(program->checked);
    EXPECT_TRUE(engine_->checked);
    EXPECT_FALSE(examples_->checked);
    EXPECT_TRUE(manual->checked);
    EXPECT_FALSE(program->expanded);  // kept from the tree on closing
}

TEST_F(FeaturePage, RussianPageAndTheSingleFeatureThatShowsNoPage)
{
    state.language = SETUP_LANG_RUSSIAN;
    g_mlLanguage = 1;
    DlgFeatures page(nullptr, false, state);
    std::string space, description;
    const int result = RunScripted(page, [&](Dialog& d) {
        program->Select(TVGN_CARET);
        space = ItemText(d.GetHandle(), SETUP_CTL_FEATURE_SPACE);
        description = ItemText(d.GetHandle(), SETUP_CTL_FEATURE_DESCR);
        SaveScreenshot(d.GetHandle(), "features_page_ru");
        Click(d.GetHandle(), SETUP_CTL_BACK);
    });
    EXPECT_EQ(result, SETUP_RESULT_BACK);
    EXPECT_EQ(space, "\322\360\345\341\363\345\362\361\377 \354\345\361\362\340 \355\340 \344\350\361\352\345: "
                     "5,001,002,000 \341\340\351\362");
    EXPECT_EQ(description, "\317\360\356\343\360\340\354\354\340");

    delete manual;  // one shown feature left, unchecked
    program->checked = false;
    FwBoxRecorder boxes;
    EXPECT_EQ(DisplayFeatures(state, false), SETUP_RESULT_SKIPPED);
    EXPECT_TRUE(program->checked);
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
