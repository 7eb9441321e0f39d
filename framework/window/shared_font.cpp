#include "framework/window/shared_font.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

struct PSharedFont::Info {
    std::string face;
    HFONT font = nullptr;
    int users = 0;
    int pixelHeight = 0;
    int weight = 0;
    int pointSize = 0;
};

namespace {

// Never destroyed: fonts held by static objects (the dialog module's) go
// after every other static, and still find the list.
std::vector<std::unique_ptr<PSharedFont::Info>>& Infos()
{
    static auto* infos = new std::vector<std::unique_ptr<PSharedFont::Info>>;
    return *infos;
}

int PixelHeight(int pointSize, HDC dc)
{
    HDC screen = dc ? dc : GetDC(nullptr);
    const int height = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    if (!dc) ReleaseDC(nullptr, screen);
    return height;
}

}  // namespace

PSharedFont::PSharedFont(int pointSize, int weight, const char* face, HDC dc)
{
    Join(face ? face : "", PixelHeight(pointSize, dc), weight, pointSize);
}

PSharedFont::PSharedFont(HFONT font, bool bold)
{
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    HDC screen = GetDC(nullptr);
    const int points = MulDiv(std::abs(static_cast<int>(lf.lfHeight)), 72, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
    Join(lf.lfFaceName, lf.lfHeight, bold ? FW_BOLD : static_cast<int>(lf.lfWeight), points);
}

void PSharedFont::Join(const std::string& face, int pixelHeight, int weight, int pointSize)
{
    auto& infos = Infos();
    for (auto& info : infos)
        if (info->face == face && info->pixelHeight == pixelHeight && info->weight == weight && info->pointSize == pointSize) {
            ++info->users;
            info_ = info.get();
            return;
        }
    auto info = std::make_unique<Info>();
    info->face = face;
    info->pixelHeight = pixelHeight;
    info->weight = weight;
    info->pointSize = pointSize;
    info->users = 1;
    info->font = CreateFontA(pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    info_ = info.get();
    infos.push_back(std::move(info));
}

PSharedFont::~PSharedFont()
{
    if (!info_ || --info_->users > 0) return;
    auto& infos = Infos();
    for (auto it = infos.begin(); it != infos.end(); ++it)
        if (it->get() == info_) {
            if (info_->font) DeleteObject(info_->font);
            infos.erase(it);
            break;
        }
}

HFONT PSharedFont::Handle() const { return info_ ? info_->font : nullptr; }

int PSharedFont::Users() const { return info_ ? info_->users : 0; }

PSharedFont* NewPSharedFont(int pointSize, int weight, const char* face)
{
    return new (std::nothrow) PSharedFont(pointSize, weight, face);
}
