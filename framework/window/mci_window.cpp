#include "framework/window/mci_window.h"

#include <mmsystem.h>
#include <vfw.h>

#include "framework/base/file_temp.h"

namespace {

// Writes the module's AVI resource `id` to `path`; false when the module
// lacks it or the file cannot be written.
bool WriteResource(HINSTANCE module, uint32_t id, const char* path)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "AVI");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!bytes || !size) return false;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (!ok) DeleteFileA(path);
    return ok;
}

}  // namespace

MCIWindow::MCIWindow(Window* parent, HINSTANCE module, DWORD style, const char* file) : Window(parent)
{
    Open(parent, module, style, file);
}

MCIWindow::MCIWindow(Window* parent, HINSTANCE module, DWORD style, uint32_t aviResourceId) : Window(parent)
{
    HINSTANCE from = module ? module : GetModuleHandleA(nullptr);
    // MCI picks its device by the extension, so the name ends in ".avi"; the
    // process id and the window object keep two players apart.
    char name[64];
    wsprintfA(name, "voq%lx_%p.avi", GetCurrentProcessId(), static_cast<void*>(this));
    extracted_ = std::make_unique<TempFile>(name, true);
    if (!*extracted_->Text() || !WriteResource(from, aviResourceId, extracted_->Text())) {
        extracted_.reset();
        Open(parent, module, style, nullptr);
        return;
    }
    Open(parent, module, style, extracted_->Text());
}

void MCIWindow::Open(Window* parent, HINSTANCE module, DWORD style, const char* file)
{
    HWND owner = parent ? parent->GetHandle() : nullptr;
    HWND hwnd = MCIWndCreateA(owner, module ? module : GetModuleHandleA(nullptr), style, file);
    if (!hwnd) return;
    Attach(hwnd);
    if (file && *file) device_ = static_cast<UINT>(::SendMessageA(hwnd, MCIWNDM_GETDEVICEID, 0, 0));
}

MCIWindow::~MCIWindow()
{
    Close();
    // The temporary copy is deleted only after MCI let go of it.
    extracted_.reset();
}

bool MCIWindow::SendPlay(DWORD flags, int32_t end, int32_t start)
{
    MCI_PLAY_PARMS parms{};
    parms.dwCallback = reinterpret_cast<DWORD_PTR>(GetHandle());
    DWORD request = flags | MCI_NOTIFY;
    if (end != -1) {
        request |= MCI_TO;
        parms.dwTo = static_cast<DWORD>(end);
    }
    if (start != 0) {
        request |= MCI_FROM;
        parms.dwFrom = static_cast<DWORD>(start);
    }
    return mciSendCommandA(device_, MCI_PLAY, request, reinterpret_cast<DWORD_PTR>(&parms)) == 0;
}

bool MCIWindow::Play(DWORD flags, int32_t end, int32_t start, bool repeat)
{
    if (!device_) return false;
    playFlags_ = flags;
    playEnd_ = end;
    playStart_ = start;
    repeat_ = repeat;
    return SendPlay(flags, end, start);
}

void MCIWindow::Close()
{
    HWND hwnd = GetHandle();
    if (!hwnd) return;
    repeat_ = false;
    ::SendMessageA(hwnd, MCI_STOP, 0, 0);
    device_ = 0;
    Detach();
    UnbindHandle();
    // MCIWNDM's own close releases the device before the window goes.
    ::SendMessageA(hwnd, MCI_CLOSE, 0, 0);
    DestroyWindow(hwnd);
}

uint32_t MCIWindow::Mode() const
{
    if (!device_) return 0;
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_MODE;
    if (mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status)) != 0) return 0;
    return static_cast<uint32_t>(status.dwReturn);
}

LRESULT MCIWindow::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    if (msg == MM_MCINOTIFY && static_cast<UINT>(l) == device_ && device_) {
        if (w == MCI_NOTIFY_SUCCESSFUL && repeat_) {
            // The loop starts again from the remembered start, MCI_FROM
            // given even for 0 so that the device rewinds.
            MCI_PLAY_PARMS parms{};
            parms.dwCallback = reinterpret_cast<DWORD_PTR>(GetHandle());
            parms.dwFrom = static_cast<DWORD>(playStart_);
            parms.dwTo = static_cast<DWORD>(playEnd_);
            DWORD request = playFlags_ | MCI_NOTIFY | MCI_FROM | (playEnd_ != -1 ? MCI_TO : 0);
            mciSendCommandA(device_, MCI_PLAY, request, reinterpret_cast<DWORD_PTR>(&parms));
        }
    }
    return Window::WindowProc(msg, w, l);
}
