// The resources of the built Outrig.dll: the images of its browse buttons,
// and its dialogs with the controls, positions and texts they must have.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/b_button.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/ml_text.h"

namespace {

HMODULE g_deliverable = nullptr;
HMODULE FromDeliverable(const char*, uint32_t) { return g_deliverable; }

std::string DeliverablePath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dll(path);
    return dll.substr(0, dll.find_last_of('\\') + 1) + "Outrig.dll";
}

TEST(PluginResources, BrowseButtonsLoadTheirImagesFromThePlugIn)
{
    const std::string dll = DeliverablePath();
    g_deliverable = LoadLibraryExA(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(g_deliverable, nullptr) << dll;
    SetResourceModuleHook(&FromDeliverable);
    for (uint32_t image : {static_cast<uint32_t>(BROWSE_IMAGE_FOLDER), static_cast<uint32_t>(BROWSE_IMAGE_INET)}) {
        BButton browse(nullptr, 200, image);
        ASSERT_NE(browse.Bitmap(), nullptr) << image;
        BITMAP info{};
        GetObjectA(browse.Bitmap(), sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 16) << image;
        EXPECT_EQ(info.bmHeight, 16) << image;
    }
    SetResourceModuleHook(nullptr);
    FreeLibrary(g_deliverable);
}

// The dialog templates as the built DLL carries them: size, font, and each
// control's id, position and text.
struct TemplateItem {
    int id;
    short x, y, cx, cy;
    std::string text;  // code page 1251; a class ordinal's control has its caption here
};

struct DialogTemplate {
    short cx = 0, cy = 0;
    uint16_t pointSize = 0;
    std::string font;
    std::vector<TemplateItem> items;
};

std::string Narrow(const wchar_t* text)
{
    char out[1024] = "";
    WideCharToMultiByte(1251, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// Reads a name-or-ordinal field; returns the text (empty for an ordinal).
std::string ReadSzOrOrd(const uint16_t*& p)
{
    if (*p == 0) {
        ++p;
        return {};
    }
    if (*p == 0xFFFF) {
        p += 2;
        return {};
    }
    std::string text = Narrow(reinterpret_cast<const wchar_t*>(p));
    while (*p) ++p;
    ++p;
    return text;
}

const uint16_t* Align4(const uint16_t* p, const uint8_t* base)
{
    size_t offset = reinterpret_cast<const uint8_t*>(p) - base;
    return reinterpret_cast<const uint16_t*>(base + ((offset + 3) & ~size_t{3}));
}

bool ReadTemplate(HMODULE module, int id, DialogTemplate& out)
{
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (!info) return false;
    const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
    const auto* p = reinterpret_cast<const uint16_t*>(base);
    if (p[0] != 1 || p[1] != 0xFFFF) return false;  // DIALOGEX
    uint16_t count = p[8];
    out.cx = static_cast<short>(p[11]);
    out.cy = static_cast<short>(p[12]);
    p += 13;
    ReadSzOrOrd(p);  // menu
    ReadSzOrOrd(p);  // class
    ReadSzOrOrd(p);  // caption
    out.pointSize = p[0];
    p += 3;  // point size, weight, italic and charset
    out.font = ReadSzOrOrd(p);
    for (uint16_t i = 0; i < count; ++i) {
        p = Align4(p, base);
        TemplateItem item;
        item.x = static_cast<short>(p[6]);
        item.y = static_cast<short>(p[7]);
        item.cx = static_cast<short>(p[8]);
        item.cy = static_cast<short>(p[9]);
        item.id = static_cast<int32_t>(p[10] | (static_cast<uint32_t>(p[11]) << 16));
        p += 12;
        ReadSzOrOrd(p);  // class
        item.text = ReadSzOrOrd(p);
        p += 1 + *p / 2;  // extra data
        out.items.push_back(item);
    }
    return true;
}

struct Expected {
    int id;
    short x, y, cx, cy;
    const char* text;  // null: not compared
};

void ExpectTemplate(HMODULE module, int id, short cx, short cy, const std::vector<Expected>& expected)
{
    SCOPED_TRACE(id);
    DialogTemplate t;
    ASSERT_TRUE(ReadTemplate(module, id, t));
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "Microsoft Sans Serif");
    ASSERT_EQ(t.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const TemplateItem& item = t.items[i];
        SCOPED_TRACE(e.id);
        EXPECT_EQ(item.id, e.id);
        EXPECT_EQ(item.x, e.x);
        EXPECT_EQ(item.y, e.y);
        EXPECT_EQ(item.cx, e.cx);
        EXPECT_EQ(item.cy, e.cy);
        if (e.text) {
            EXPECT_EQ(item.text, e.text);
        }
    }
}

TEST(PluginResources, DialogsHoldTheControlsOfTheirTables)
{
    HMODULE dll = LoadLibraryExA(DeliverablePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr);
    std::vector<Expected> setup = {
        {-1, 8, 8, 326, 70, "Code Composer Studio version 2"},
        {21099, 19, 23, 304, 16, "Code Composer Studio v. 2.x has been found at the following location:"},
        {20599, 19, 43, 248, 35, ""},
        {500, 274, 42, 50, 14, "Browse..."},
        {300, 19, 61, 304, 12, "Install Korvan %s JTAG Emulator files to this CCS version 2 folder"},
        {-1, 8, 90, 326, 70, "Code Composer Studio version 3"},
        {21100, 19, 105, 304, 16, "Code Composer Studio v. 3.x has been found at the following location:"},
        {20626, 19, 125, 248, 35, ""},
        {200, 274, 124, 50, 14, "Browse..."},
        {301, 19, 143, 304, 12, "Install Korvan %s JTAG Emulator files to this CCS version 3 folder"},
        {21101, 9, 172, 313, 20,
         "Please exit the Code Composer Studio and Code Composer Studio Setup before installing the %s files."},
        {1, 80, 204, 60, 14, "&Install"},
        {2, 184, 204, 80, 14, "E&xit Setup"},
    };
    ExpectTemplate(dll, 21862, 343, 233, setup);
    // The Russian twin: the same controls, wider buttons.
    for (Expected& e : setup) e.text = nullptr;
    setup[11] = {1, 77, 204, 78, 14, "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xFC"};  // "Установить"
    setup[12] = {2, 187, 204, 80, 14, "\xC2\xFB\xF5\xEE\xE4"};                      // "Выход"
    ExpectTemplate(dll, 31862, 343, 233, setup);

    std::vector<Expected> done = {
        {21099, 12, 24, 269, 8, "Korvan %s Setup has been successfully completed."},
        {100, 17, 53, 265, 12, "View help setting up the %s in the Code Composer Studio Setup"},
        {101, 17, 65, 265, 12, "Launch the Code Composer Studio Setup v. 2.x"},
        {102, 17, 77, 265, 12, "Launch the Code Composer Studio Setup v. 3.x"},
        {1, 16, 106, 60, 14, "Exit"},
    };
    ExpectTemplate(dll, 21781, 292, 134, done);
    for (Expected& e : done) e.text = nullptr;
    ExpectTemplate(dll, 31781, 292, 134, done);
    FreeLibrary(dll);
}

}  // namespace
