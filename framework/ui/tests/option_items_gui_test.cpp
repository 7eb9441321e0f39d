// Options edited in dialogs: the item each option makes, and the browse
// dialog of folder options.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/config/poption.h"
#include "framework/ui/dlg_item.h"
#include "framework/ui/option_items.h"
#include "framework/ui/sdialog.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kItems = 600;

class OptionsDialog : public SDialog {
public:
    OptionsDialog() : SDialog(nullptr, kItems) {}
};

TEST(OptionItems, EachOptionEditsItsOwnValue)
{
    POptionList owner;
    PBoolOption flag(&owner, "Flag", true);
    PStringOption text(&owner, "Text", "abc", 8);
    PIntValueOption number(&owner, "Number", 10, 0, 2);  // unsigned decimal
    PRadioOption radio(&owner, "Radio", 0);
    PFolderOption folder(&owner, "Folder", "C:\\old");
    OptionsDialog dialog;
    for (auto [option, id, browse] : {std::tuple<POption*, uint32_t, uint32_t>{&flag, 610, 0}, {&text, 620, 0},
                                      {&number, 621, 0}, {&radio, 601, 0}, {&folder, 670, 671}}) {
        DlgItemDescr* item = CreateDlgItem(*option, id, browse);
        ASSERT_NE(item, nullptr) << id;
        dialog.AddItem(item);
    }
    int result = RunScripted(dialog, [](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(SendDlgItemMessageA(h, 610, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(ItemText(h, 620), "abc");
        EXPECT_EQ(ItemText(h, 621), "10");
        EXPECT_EQ(SendDlgItemMessageA(h, 601, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(ItemText(h, 670), "C:\\old");
        SendDlgItemMessageA(h, 610, BM_SETCHECK, BST_UNCHECKED, 0);
        SetDlgItemTextA(h, 620, "a much longer text");
        SetDlgItemTextA(h, 621, "25");
        SendDlgItemMessageA(h, 601, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(h, 603, BM_SETCHECK, BST_CHECKED, 0);
        SetDlgItemTextA(h, 670, "D:\\new");
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(flag.GetValue(), 0u);
    EXPECT_STREQ(text.GetText(), "a much ");  // the option's buffer of 8
    EXPECT_EQ(number.GetValue(), 25u);
    EXPECT_EQ(radio.GetValue(), 2u);
    EXPECT_STREQ(folder.GetText(), "D:\\new");
}

TEST(OptionItems, ChoicesWideNumbersFilesAndAddresses)
{
    POptionList owner;
    static const uint32_t values[] = {1, 2, 5};
    PRadioOptionAsComboBox choice(&owner, "Choice", 1, values, 3, 2);
    PIntValueOption64 wide(&owner, "Wide", 0x123456789ull, 0, 1);  // "0x" hexadecimal
    PINetAddrOption address(&owner, "Address", "host", 64);
    PFileOption file(&owner, "File", "C:\\a.txt", "Text (*.txt)|*.txt", "Pick|Pick");
    OptionsDialog dialog;
    dialog.AddItems({CreateDlgItem(choice, 623), CreateDlgItem(wide, 621), CreateDlgItem(address, 620, 0),
                     CreateDlgItem(file, 672, 673)});
    int result = RunScripted(dialog, [](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(SendDlgItemMessageA(h, 623, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageA(h, 623, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(ItemText(h, 623), "2");
        EXPECT_EQ(ItemText(h, 621), "0x123456789");
        EXPECT_EQ(ItemText(h, 620), "host");
        EXPECT_EQ(ItemText(h, 672), "C:\\a.txt");
        SendDlgItemMessageA(h, 623, CB_SETCURSEL, 2, 0);
        SetDlgItemTextA(h, 621, "0x10000000000");
        SetDlgItemTextA(h, 620, "other");
        SetDlgItemTextA(h, 672, "C:\\b.txt");
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(choice.GetValue(), 2u);
    EXPECT_EQ(wide.Get64(), 0x10000000000ull);
    EXPECT_STREQ(address.GetText(), "other");
    EXPECT_STREQ(file.GetText(), "C:\\b.txt");
}

std::string g_answer;
int g_calls = 0;
bool FakeFolder(HWND owner, const char*, const char*, std::string& chosen)
{
    ++g_calls;
    EXPECT_NE(owner, nullptr);
    if (g_answer.empty()) return false;
    chosen = g_answer;
    return true;
}

TEST(OptionItems, BrowseReturnsTrueOnlyWhenAFolderWasChosen)
{
    FolderBrowseFunction previous = SetFolderBrowseFunction(&FakeFolder);
    POptionList owner;
    PFolderOption folder(&owner, "Folder", "C:\\old");
    g_calls = 0;
    g_answer.clear();
    EXPECT_FALSE(Browse(folder));
    EXPECT_STREQ(folder.GetText(), "C:\\old");
    g_answer = "C:\\picked";
    EXPECT_TRUE(Browse(folder));
    EXPECT_STREQ(folder.GetText(), "C:\\picked");
    EXPECT_EQ(g_calls, 2);
    PBoolOption flag(&owner, "Flag", true);
    EXPECT_FALSE(Browse(flag));
    SetFolderBrowseFunction(previous);
}

}  // namespace
