// The plug-in carries the images of its browse buttons: a browse button
// that takes its bitmaps from the built Outrig.dll loads an image.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/ui/b_button.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/ml_text.h"

namespace {

HMODULE g_deliverable = nullptr;
HMODULE FromDeliverable(const char*, uint32_t) { return g_deliverable; }

TEST(PluginResources, BrowseButtonsLoadTheirImagesFromThePlugIn)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dll(path);
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "Outrig.dll";
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

}  // namespace
