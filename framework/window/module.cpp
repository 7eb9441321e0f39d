#include "framework/window/module.h"

#include "framework/base/ml_text.h"

Module& Module::Own()
{
    static Module own(GetProgramInstance());
    return own;
}

HRSRC Module::FindResource(const char* type, uint32_t id) const
{
    return ::FindResourceA(instance_, MAKEINTRESOURCEA(id), type);
}

HBITMAP Module::LoadBitmap(uint32_t id) const
{
    if (!HasResource(RT_BITMAP, id)) return nullptr;
    return static_cast<HBITMAP>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HICON Module::LoadIcon(uint32_t id, int size) const
{
    if (!HasResource(RT_GROUP_ICON, id)) return nullptr;
    return static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED));
}

std::string Module::LoadString(uint32_t id) const
{
    char buffer[1024];
    int n = ::LoadStringA(instance_, id, buffer, sizeof buffer);
    return std::string(n > 0 ? buffer : "");
}
