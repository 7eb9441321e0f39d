// The tree node without a view: construction, walks, ownership, searches and
// the drop rule; and the node states kept in nested INI sections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/config/ini_stream.h"
#include "framework/ui/ev_handler.h"
#include "framework/ui/tree_container.h"

namespace {

// A node that takes any drop, as a derived node may decide.
class OpenNode : public TreeContainer {
public:
    OpenNode(const char* name, TreeContainer* parent) : TreeContainer(-1, 0, 1, name, parent) {}
    bool CanDrag() const override { return true; }
    bool CanAccept(const TreeContainer*) const override { return true; }
};

class DropRecorder : public PEvHandler {
public:
    void OnCustomEvent(uint32_t code, uintptr_t, uintptr_t) override
    {
        if (code == kTreeDropEvent) ++drops;
    }
    int drops = 0;
};

std::string Names(TreeContainer& root)
{
    std::string out;
    root.ForEach([&](TreeContainer& n) { out += std::string(n.Name()) + "(" + std::to_string(n.Depth()) + ")"; });
    return out;
}

TEST(TreeContainer, ConstructionPlacesTheNodeAndDerivesTheSelectedImage)
{
    TreeContainer root(-1, 0, 0, "root", nullptr);
    auto* a = new TreeContainer(-1, 7, 3, "a", &root);
    new TreeContainer(-1, 0, 0, "c", &root);
    new TreeContainer(1, 0, 0, "b", &root);
    new TreeContainer(99, 0, 0, "d", &root);  // beyond the end: appended
    EXPECT_EQ(a->SelectedImage(), 10003);
    EXPECT_EQ(a->Value(), 7u);
    EXPECT_EQ(Names(root), "root(0)a(0)b(0)c(0)d(0)");
    EXPECT_TRUE(root.IsTopLevel());
    EXPECT_TRUE(a->IsTopLevel());
    auto* deep = new TreeContainer(-1, 0, 0, "deep", new TreeContainer(-1, 0, 0, "mid", a));
    EXPECT_FALSE(deep->IsTopLevel());
    EXPECT_EQ(deep->Depth(), 2u);
    EXPECT_EQ(root.IndexInParent(), -1);
    EXPECT_EQ(root[2]->IndexInParent(), 2);
    root[0]->MoveBy(2);
    EXPECT_EQ(std::string(root[2]->Name()), "a");
    root[2]->MoveBy(5);  // out of range: stays
    EXPECT_EQ(std::string(root[2]->Name()), "a");
}

TEST(TreeContainer, VisitorSkipsChildrenOnTwoAndStopsOnZero)
{
    TreeContainer root(-1, 0, 0, "root", nullptr);
    auto* a = new TreeContainer(-1, 0, 0, "a", &root);
    new TreeContainer(-1, 0, 0, "a1", a);
    auto* b = new TreeContainer(-1, 0, 0, "b", &root);
    new TreeContainer(-1, 0, 0, "b1", b);
    new TreeContainer(-1, 0, 0, "c", &root);
    struct Case {
        const char* at;
        int answer;
        const char* visited;
        bool result;
    } cases[] = {
        {"a", TreeContainer::VISIT_SKIP_CHILDREN, "root a b b1 c ", true},
        {"b", TreeContainer::VISIT_STOP, "root a a1 b ", false},
        {"none", TreeContainer::VISIT_STOP, "root a a1 b b1 c ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        std::string visited;
        bool result = root.Visit([&](TreeContainer& n) {
            visited += std::string(n.Name()) + " ";
            return std::string(n.Name()) == c.at ? c.answer : 1;
        });
        EXPECT_EQ(visited, c.visited);
        EXPECT_EQ(result, c.result);
    }
    // The two-argument form hands its argument through.
    int count = 0;
    root.Visit(&count, [](TreeContainer*, void* argument) {
        ++*static_cast<int*>(argument);
        return 1;
    });
    EXPECT_EQ(count, 6);
}

TEST(TreeContainer, DeletedNodeLeavesItsParentAndTakesItsSubtree)
{
    TreeContainer root(-1, 0, 0, "root", nullptr);
    auto* a = new TreeContainer(-1, 0, 0, "a", &root);
    new TreeContainer(-1, 0, 0, "a1", a);
    new TreeContainer(-1, 0, 0, "b", &root);
    delete a;
    ASSERT_EQ(root.Count(), 1u);
    EXPECT_EQ(std::string(root[0]->Name()), "b");
    EXPECT_EQ(Names(root), "root(0)b(0)");
}

TEST(TreeContainer, FindByItemIgnoresANullItemAndSubtreeIncludesItself)
{
    TreeContainer root(-1, 0, 0, "root", nullptr);
    auto* a = new TreeContainer(-1, 0, 0, "a", &root);
    auto* a1 = new TreeContainer(-1, 0, 0, "a1", a);
    // No node is shown: every item is null, and null finds nothing.
    EXPECT_EQ(root.FindByItem(nullptr), nullptr);
    a1->Bind(nullptr, reinterpret_cast<HTREEITEM>(0x1234));
    EXPECT_EQ(root.FindByItem(reinterpret_cast<HTREEITEM>(0x1234)), a1);
    EXPECT_TRUE(a->IsInSubtree(a));
    EXPECT_TRUE(a->IsInSubtree(a1));
    EXPECT_FALSE(a1->IsInSubtree(a));
    EXPECT_FALSE(a->IsInSubtree(nullptr));
    a1->Bind(nullptr, nullptr);
    // Duplicate names: the first child answers.
    auto* twin = new TreeContainer(-1, 1, 0, "a", &root);
    EXPECT_EQ(root.FindChild("a"), a);
    EXPECT_NE(root.FindChild("a"), twin);
}

TEST(TreeContainer, DropOntoItselfOrItsOwnSubtreeIsRefusedOtherDropsMoveAndRaiseOnce)
{
    OpenNode root("root", nullptr);
    auto* a = new OpenNode("a", &root);
    auto* a1 = new OpenNode("a1", a);
    auto* a2 = new OpenNode("a2", a1);
    auto* b = new OpenNode("b", &root);
    DropRecorder events;
    const std::string before = Names(root);
    for (TreeContainer* target : {static_cast<TreeContainer*>(a), static_cast<TreeContainer*>(a1),
                                  static_cast<TreeContainer*>(a2)}) {
        target->AcceptDrop(a);
        EXPECT_EQ(Names(root), before);
    }
    EXPECT_EQ(events.drops, 0);
    b->AcceptDrop(a1);
    EXPECT_EQ(Names(root), "root(0)a(0)b(0)a1(1)a2(2)");
    EXPECT_EQ(a1->Parent(), b);
    EXPECT_EQ(a->Count(), 0u);
    EXPECT_EQ(events.drops, 1);
}

TEST(TreeContainer, CopyTreeToCopiesNamesValuesAndImages)
{
    TreeContainer root(-1, 0, 0, "root", nullptr);
    auto* a = new TreeContainer(-1, 5, 3, "a", &root);
    new TreeContainer(-1, 6, 4, "a1", a);
    TreeContainer copy(-1, 0, 0, "copy", nullptr);
    root.CopyTreeTo(copy);
    EXPECT_EQ(Names(copy), "copy(0)a(0)a1(1)");
    EXPECT_EQ(copy[0]->Value(), 5u);
    EXPECT_EQ(copy[0]->SelectedImage(), 10003);
    EXPECT_EQ((*copy[0])[0]->Image(), 4);
}

TEST(TreeContainer, StateRootKeepsTheScrollPositionsWithoutAView)
{
    INIStream in("[Tree]\nTreeVPos=12\nTreeHPos=3\n");
    in.SetSection("Tree");
    StateTreeContainer state;
    state.Load(in);
    ASSERT_NE(state.GetScrollRecord(), nullptr);
    EXPECT_EQ(state.GetScrollRecord()->vertical, 12);
    EXPECT_EQ(state.GetScrollRecord()->horizontal, 3);
    INIStream out;
    out.SelectSection("Tree");
    state.Save(out);
    EXPECT_STREQ(out.FindValue("TreeVPos"), "12");
    EXPECT_STREQ(out.FindValue("TreeHPos"), "3");
    // Absent positions read as 0.
    INIStream empty("[Tree]\n");
    empty.SetSection("Tree");
    state.Load(empty);
    EXPECT_EQ(state.GetScrollRecord()->vertical, 0);
    EXPECT_EQ(state.GetScrollRecord()->horizontal, 0);
}

}  // namespace
