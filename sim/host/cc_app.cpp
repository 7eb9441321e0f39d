// The stand-in host: a Win32 program with a main window titled as the host's
// and a menu bar, that loads the target driver VOQ-TMS.dll by LoadLibraryA,
// binds its GTI exports by name and drives a debugging session through them
// (host_session.h), printing each step and its result.
//
//   cc_app [--driver PATH] [--no-sim] [--control-codes] [--log-on] [--tck N]
//          [--no-window] [--chain alone|before|after|both] [--board-absent]
//          [--pod-silent N] [--unplug-at N] [--unload-with-menu]
//
// By default the driver's device calls are led to the simulated emulator
// (sim/usb: the USB device, the pod and its TMS320C54x target) through the
// import-table seam; --no-sim leaves them to the platform, so under plain
// Wine the driver finds no board. --chain places other devices on the JTAG
// chain before the TMS320C54x (nearer TDI), after it (nearer TDO), on both
// sides or nowhere (default: before, see sim/usb/sim_emulator.h). --control-codes makes the simulated kernel
// driver the one without "WDF" in its version text. The failure paths:
// --board-absent (the simulated board is not on the bus), --pod-silent N (the
// pod leaves the next N master requests unanswered), --unplug-at N (the board
// is pulled when the N-th master request has been written). With
// --unload-with-menu the host only initialises the driver, waits for its menu
// in the main window and unloads the driver while the menu is in place, then
// keeps driving its window and message loop: nothing may call into the
// unloaded module, and the window must be left as it was. The exit code is
// 0 when every step passed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "sim/host/seam/device_seam.h"
#include "sim/host/session/gti_api.h"
#include "sim/host/session/host_session.h"
#include "sim/usb/sim_emulator.h"

namespace {

struct Options {
    std::string driver;
    bool sim = true;
    bool wdf = true;
    bool window = true;
    bool board_absent = false;
    bool unload_with_menu = false;
    sim::usb::EmulatorLayout layout;
    std::uint32_t pod_silent = 0;
    std::uint32_t unplug_at = 0;
    sim::host::SessionOptions session;
};

void usage() {
    std::printf("usage: cc_app [--driver PATH] [--no-sim] [--control-codes] [--log-on] [--tck N] [--no-window]\n"
                "              [--chain alone|before|after|both] [--board-absent] [--pod-silent N] [--unplug-at N]\n"
                "              [--unload-with-menu]\n");
}

bool number(const char* text, std::uint32_t max, std::uint32_t& value) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    if (!end || end == text || *end != '\0' || n > max) return false;
    value = static_cast<std::uint32_t>(n);
    return true;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--driver" && i + 1 < argc) {
            o.driver = argv[++i];
        } else if (a == "--no-sim") {
            o.sim = false;
        } else if (a == "--control-codes") {
            o.wdf = false;
        } else if (a == "--log-on") {
            o.session.log_on = true;
        } else if (a == "--tck" && i + 1 < argc) {
            if (!number(argv[++i], 7, o.session.tck_index)) return false;
        } else if (a == "--chain" && i + 1 < argc) {
            const std::string c = argv[++i];
            if (c != "alone" && c != "before" && c != "after" && c != "both") return false;
            o.layout.device_before_target = c == "before" || c == "both";
            o.layout.device_after_target = c == "after" || c == "both";
        } else if (a == "--board-absent") {
            o.board_absent = true;
        } else if (a == "--pod-silent" && i + 1 < argc) {
            if (!number(argv[++i], 1000000, o.pod_silent)) return false;
        } else if (a == "--unplug-at" && i + 1 < argc) {
            if (!number(argv[++i], 1000000, o.unplug_at) || o.unplug_at == 0) return false;
        } else if (a == "--unload-with-menu") {
            o.unload_with_menu = true;
        } else if (a == "--no-window") {
            o.window = false;
        } else {
            return false;
        }
    }
    return true;
}

// The build passes host paths; under Wine the host's root is drive Z:.
std::string windows_path(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// VOQ-TMS.dll beside this program.
std::string default_driver() {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string path = exe;
    const std::size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "VOQ-TMS.dll";
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The host's main window: its title holds "Code Composer Studio" and it has a
// menu bar, as the driver expects of the window it adds its menu to.
HWND create_main_window() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "CcAppMainWindow";
    if (!RegisterClassA(&wc)) return nullptr;
    HMENU bar = CreateMenu();
    for (const char* title : {"&File", "&Edit", "&Debug", "&Window", "&Help"}) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, 0x9000, "(stand-in)");
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
    return CreateWindowExA(0, "CcAppMainWindow", "cc_app - Code Composer Studio (stand-in host)",
                           WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 400, nullptr, bar, instance, nullptr);
}

void pump_messages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string menu_bar_text(HWND hwnd) {
    HMENU bar = GetMenu(hwnd);
    std::string text;
    for (int i = 0; bar && i < GetMenuItemCount(bar); ++i) {
        char item[81] = {};
        GetMenuStringA(bar, static_cast<UINT>(i), item, sizeof item, MF_BYPOSITION);
        text += (text.empty() ? "" : " | ") + std::string(item);
    }
    return text;
}

// Pumps for `ms`, opening each popup of the menu bar as a user would.
void drive_window(HWND hwnd, DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        HMENU bar = GetMenu(hwnd);
        for (int i = 0; bar && i < GetMenuItemCount(bar); ++i)
            if (HMENU popup = GetSubMenu(bar, i))
                SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), static_cast<LPARAM>(i));
        DrawMenuBar(hwnd);
        pump_messages();
        Sleep(20);
    }
}

// Initialises the driver, waits for its menu and unloads it while the menu
// is in place; true when the window comes back as it was.
bool unload_with_menu(HWND window, HMODULE module, const sim::host::GtiApi& api,
                      std::unique_ptr<sim::host::DeviceSeam>& seam) {
    const std::string before = menu_bar_text(window);
    const LONG_PTR own_proc = GetWindowLongPtrA(window, GWLP_WNDPROC);
    const int32_t rc = api.INIT_EX ? api.INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0) : -1;
    std::printf("[%s] GTI_INIT_EX: %d\n", rc == 0 ? " ok " : "FAIL", rc);
    bool menu = false;
    for (DWORD start = GetTickCount(); !menu && GetTickCount() - start < 5000;) {
        drive_window(window, 100);
        menu = menu_bar_text(window).find("VOQ-TMS") != std::string::npos;
    }
    std::printf("[%s] menu bar with the driver: %s\n", menu ? " ok " : "FAIL", menu_bar_text(window).c_str());
    const BOOL freed = FreeLibrary(module);
    std::printf("[%s] FreeLibrary with the menu in place\n", freed ? " ok " : "FAIL");
    seam.reset();
    // A few timer periods of menus and messages: a timer or window hook left
    // behind would call into the unloaded module here.
    drive_window(window, 3500);
    const std::string after = menu_bar_text(window);
    const bool same_bar = after == before;
    const bool same_proc = GetWindowLongPtrA(window, GWLP_WNDPROC) == own_proc;
    std::printf("[%s] menu bar after the unload: %s\n", same_bar ? " ok " : "FAIL", after.c_str());
    std::printf("[%s] window procedure after the unload: %s\n", same_proc ? " ok " : "FAIL",
                same_proc ? "the host's own" : "still replaced");
    return rc == 0 && menu && freed && same_bar && same_proc;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }
    const std::string driver = options.driver.empty() ? default_driver() : windows_path(options.driver);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    HWND window = options.window ? create_main_window() : nullptr;
    if (window) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        std::printf("[ ok ] main window: \"cc_app - Code Composer Studio (stand-in host)\", menu bar %s\n",
                    menu_bar_text(window).c_str());
    } else if (options.window) {
        std::printf("[info] no main window (error %lu): the driver's menu has nowhere to go\n", GetLastError());
    }
    pump_messages();

    HMODULE module = LoadLibraryA(driver.c_str());
    if (!module) {
        std::printf("[FAIL] LoadLibraryA(\"%s\"): error %lu\n", driver.c_str(), GetLastError());
        return 1;
    }
    std::printf("[ ok ] LoadLibraryA(\"%s\")\n", driver.c_str());

    sim::usb::DeviceConfig device_config;
    device_config.wdf = options.wdf;
    auto emulator = std::make_unique<sim::usb::SimEmulator>(device_config, options.layout);
    if (options.board_absent) emulator->device().set_present(false);
    if (options.pod_silent) emulator->pod().go_dead_for(options.pod_silent);
    if (options.unplug_at) emulator->device().disconnect_on_master_packet(options.unplug_at);
    std::unique_ptr<sim::host::DeviceSeam> seam;
    if (options.sim) {
        seam = std::make_unique<sim::host::DeviceSeam>(module, emulator->device());
        std::printf("[ ok ] device seam: %zu imports of the driver led to the simulated emulator (%s kernel driver)\n",
                    seam->patched_functions().size(), options.wdf ? "WDF" : "control-code");
    } else {
        std::printf("[info] no device seam: the driver sees the platform's devices\n");
    }

    // Exports the session needs and does not find fail their own steps.
    sim::host::GtiApi api;
    if (!api.bind(module))
        for (const std::string& name : api.missing) std::printf("[info] GetProcAddress(\"%s\"): not exported\n", name.c_str());

    if (options.unload_with_menu) {
        const bool unloaded = window && unload_with_menu(window, module, api, seam);
        if (window) DestroyWindow(window);
        pump_messages();
        std::printf("%s\n", unloaded ? "unload passed" : "unload failed");
        return unloaded ? 0 : 1;
    }

    sim::host::SessionOptions& session_options = options.session;
    session_options.pump = pump_messages;
    sim::host::HostSession session(api, stdout);
    bool ok = session.run(session_options);

    if (window) {
        // The driver adds its menu from a timer on this thread: let it tick.
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 1500) {
            pump_messages();
            Sleep(20);
        }
        std::printf("[info] menu bar after the session: %s\n", menu_bar_text(window).c_str());
    }

    if (options.sim) {
        const sim::usb::UsbLog& log = emulator->device().log();
        std::printf("[info] simulated device: %llu board commands, %llu master exchanges, %llu writes (%llu bytes), "
                    "%llu reads (%llu bytes), %llu read time-outs\n",
                    static_cast<unsigned long long>(log.board_commands),
                    static_cast<unsigned long long>(log.master_exchanges), static_cast<unsigned long long>(log.writes),
                    static_cast<unsigned long long>(log.bytes_written), static_cast<unsigned long long>(log.reads),
                    static_cast<unsigned long long>(log.bytes_read), static_cast<unsigned long long>(log.read_timeouts));
    }

    // The driver's unload closes its device through the seam, which must
    // still be in place; the seam then finds the module gone.
    const BOOL freed = FreeLibrary(module);
    std::printf("[%s] FreeLibrary\n", freed ? " ok " : "FAIL");
    ok = ok && freed;
    seam.reset();
    if (window) DestroyWindow(window);
    pump_messages();
    std::printf("%s\n", ok ? "session passed" : "session failed");
    return ok ? 0 : 1;
}
