#include "sim/robot/screenshot.h"

#include <cstdio>

namespace robot {

namespace {

void PaintNow(HWND window)
{
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    // The window's own thread paints only while it pumps; another thread or
    // process paints by itself, and is given the time to.
    const bool own = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    for (int i = 0; i < 3; ++i) {
        if (own) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        Sleep(100);
    }
}

}  // namespace

std::string ScreenshotDirFromEnvironment()
{
    char dir[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("VOQ_SCREENSHOT_DIR", dir, sizeof dir);
    return n && n < sizeof dir ? std::string(dir) : std::string();
}

bool SaveScreenshot(HWND window, const std::string& dir, const std::string& name)
{
    if (!window || !IsWindow(window) || dir.empty()) return false;
    PaintNow(window);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) / 4) * 4;
    std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(h), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::string path = dir + "\\" + name + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
                    std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace robot
