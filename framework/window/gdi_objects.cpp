#include "framework/window/gdi_objects.h"

#include <cstring>

Font::Font(const char* face, int points, int weight)
{
    LOGFONTA lf{};
    HDC screen = GetDC(nullptr);
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    strncpy(lf.lfFaceName, face ? face : "", LF_FACESIZE - 1);
    *this = Font(lf);
}

Font Font::Derived(HFONT font, bool bold, bool underline)
{
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    if (bold) lf.lfWeight = FW_BOLD;
    if (underline) lf.lfUnderline = TRUE;
    return Font(lf);
}
