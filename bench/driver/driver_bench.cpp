// Block reads and writes of 64 Ki words through GTI_READMEM_BLK and
// GTI_WRITEMEM_BLK, the way the host calls them, against the simulated board
// (through the same import seam as the driver's tests).
//
// Reported per request: the USB transfers and the master exchanges it took,
// the bytes framed per transfer, the modelled USB time at a fixed latency per
// transfer, and the CPU time per word split between the driver (the export
// frame, narrowing/widening, framing and the USB layer) and the master engine.
// The simulated device's own time is measured and left out of both.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sim/pod/generic_device.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/usb/sim_usb_device.h"
#include "sim/host/seam/device_seam.h"
#include "sim/host/seam/iat_patch.h"

namespace {

constexpr uint32_t kWords = 65536;
constexpr int kRounds = 5;
constexpr double kUsbLatencyUs = 125.0;  // one USB transfer, as modelled

using MemFn = int32_t (*)(void*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t*);
using InitEx = int32_t (*)(uint32_t, const char*, uint32_t, const char*, uint32_t, uint32_t, uint32_t, uint32_t,
                           uint32_t);
using MasterMem = uint32_t(__attribute__((stdcall))*)(uint32_t, uint32_t, uint32_t, void*);
using SendFn = uint32_t(__attribute__((stdcall))*)(const void*, uint32_t);
using ReplyFn = uint32_t(__attribute__((stdcall))*)(void*, uint32_t*);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using WriteFileFn = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);

double g_frequency = 1;
uint64_t Now()
{
    LARGE_INTEGER v;
    QueryPerformanceCounter(&v);
    return static_cast<uint64_t>(v.QuadPart);
}

// Time spent inside each layer, in counter ticks.
uint64_t g_master = 0, g_transport = 0, g_device = 0;

MasterMem g_readMemory = nullptr, g_writeMemory = nullptr;
SendFn g_send = nullptr;
ReplyFn g_reply = nullptr;
ReadFileFn g_readFile = nullptr;
WriteFileFn g_writeFile = nullptr;

template <typename F>
auto Timed(uint64_t& sum, F&& f)
{
    uint64_t start = Now();
    auto r = f();
    sum += Now() - start;
    return r;
}

uint32_t __attribute__((stdcall)) TimedRead(uint32_t s, uint32_t a, uint32_t c, void* b)
{
    return Timed(g_master, [&] { return g_readMemory(s, a, c, b); });
}
uint32_t __attribute__((stdcall)) TimedWrite(uint32_t s, uint32_t a, uint32_t c, void* b)
{
    return Timed(g_master, [&] { return g_writeMemory(s, a, c, b); });
}
uint32_t __attribute__((stdcall)) TimedSend(const void* d, uint32_t n)
{
    return Timed(g_transport, [&] { return g_send(d, n); });
}
uint32_t __attribute__((stdcall)) TimedReply(void* b, uint32_t* n)
{
    return Timed(g_transport, [&] { return g_reply(b, n); });
}
BOOL WINAPI TimedReadFile(HANDLE h, LPVOID b, DWORD n, LPDWORD got, LPOVERLAPPED o)
{
    return Timed(g_device, [&] { return g_readFile(h, b, n, got, o); });
}
BOOL WINAPI TimedWriteFile(HANDLE h, LPCVOID b, DWORD n, LPDWORD put, LPOVERLAPPED o)
{
    return Timed(g_device, [&] { return g_writeFile(h, b, n, put, o); });
}

// Replaces the import of `function` from `dll` in `module`; returns what the
// slot held (null when the module does not import it).
void* Reroute(HMODULE module, const char* dll, const char* function, void* replacement)
{
    const std::vector<sim::host::PatchedImport> patched =
        sim::host::patch_imports(module, {sim::host::ImportRedirect{dll, function, replacement}});
    return patched.empty() ? nullptr : patched.front().original;
}

template <typename T>
T As(void* p)
{
    return reinterpret_cast<T>(p);
}

struct Figures {
    uint64_t requests, writes, reads, bytesOut, bytesIn;
    double totalUs, masterUs, transportUs, deviceUs;
};

void Report(const char* name, const Figures& f)
{
    double perRequest = 1.0 / kRounds;
    double transfers = static_cast<double>(f.writes + f.reads) * perRequest;
    double driverUs = (f.totalUs - f.masterUs) + (f.transportUs - f.deviceUs);
    double masterUs = f.masterUs - f.transportUs;
    printf("%s of %u words (%d requests):\n", name, kWords, kRounds);
    printf("  master exchanges per request: %.1f\n", static_cast<double>(f.requests) * perRequest);
    printf("  USB transfers per request:    %.1f (%.1f writes, %.1f reads)\n", transfers, f.writes * perRequest,
           f.reads * perRequest);
    printf("  bytes framed per write:       %.0f\n", f.writes ? static_cast<double>(f.bytesOut) / f.writes : 0.0);
    printf("  bytes per read:               %.0f\n", f.reads ? static_cast<double>(f.bytesIn) / f.reads : 0.0);
    printf("  modelled USB time per request: %.1f ms at %.0f us per transfer\n", transfers * kUsbLatencyUs / 1000,
           kUsbLatencyUs);
    printf("  CPU per word: driver %.3f us, master %.3f us (device %.3f us left out)\n",
           driverUs * perRequest / kWords, masterUs * perRequest / kWords, f.deviceUs * perRequest / kWords);
}

}  // namespace

int main()
{
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    g_frequency = static_cast<double>(freq.QuadPart);

    sim::Pod pod;
    sim::GenericDeviceConfig a;
    a.ir_length = 5;
    a.idcode = 0x0A5A5001u;
    pod.chain().add(std::make_unique<sim::GenericDevice>(a));
    sim::GenericDeviceConfig b;
    b.ir_length = 4;
    pod.chain().add(std::make_unique<sim::GenericDevice>(b));
    pod.chain().emplace<sim::Tms320c54xTarget>();
    sim::usb::SimUsbDevice device(pod, sim::usb::DeviceConfig{});

    HMODULE driver = LoadLibraryA("VOQ-TMS.dll");
    HMODULE master = GetModuleHandleA("VOQ-MST.dll");
    if (!driver || !master) {
        fprintf(stderr, "VOQ-TMS.dll and VOQ-MST.dll must be in the current folder\n");
        return 1;
    }
    sim::host::DeviceSeam seam(driver, device);
    auto init = As<InitEx>(reinterpret_cast<void*>(GetProcAddress(driver, "_GTI_INIT_EX")));
    auto readBlock = As<MemFn>(reinterpret_cast<void*>(GetProcAddress(driver, "_GTI_READMEM_BLK")));
    auto writeBlock = As<MemFn>(reinterpret_cast<void*>(GetProcAddress(driver, "_GTI_WRITEMEM_BLK")));
    if (init(0, "", 0, "", 0, 0, 0, 0, 0) != 0) {
        fprintf(stderr, "GTI_INIT_EX failed\n");
        return 1;
    }

    // Timing wrappers around each layer.
    g_readMemory =
        As<MasterMem>(Reroute(driver, "VOQ-MST.dll", "Master_ReadMemory", reinterpret_cast<void*>(&TimedRead)));
    g_writeMemory =
        As<MasterMem>(Reroute(driver, "VOQ-MST.dll", "Master_WriteMemory", reinterpret_cast<void*>(&TimedWrite)));
    auto* sendSlot = reinterpret_cast<SendFn*>(reinterpret_cast<void*>(GetProcAddress(master, "SendTargetRequest")));
    auto* replySlot = reinterpret_cast<ReplyFn*>(reinterpret_cast<void*>(GetProcAddress(master, "GetTargetReply")));
    g_send = *sendSlot;
    g_reply = *replySlot;
    *sendSlot = TimedSend;
    *replySlot = TimedReply;
    g_readFile =
        As<ReadFileFn>(Reroute(driver, "kernel32.dll", "ReadFile", reinterpret_cast<void*>(&TimedReadFile)));
    g_writeFile =
        As<WriteFileFn>(Reroute(driver, "kernel32.dll", "WriteFile", reinterpret_cast<void*>(&TimedWriteFile)));

    std::vector<uint32_t> words(kWords);
    for (uint32_t i = 0; i < kWords; ++i) words[i] = (i * 7919u) & 0xFFFF;
    for (int op = 0; op < 2; ++op) {
        g_master = g_transport = g_device = 0;
        sim::usb::UsbLog before = device.log();
        uint64_t total = 0;
        for (int round = 0; round < kRounds; ++round) {
            uint64_t start = Now();
            int32_t r = op == 0 ? writeBlock(nullptr, 0, 1, kWords, 0, 0, 0, 0, words.data())
                                : readBlock(nullptr, 0, 1, kWords, 0, 0, 0, 0, words.data());
            total += Now() - start;
            if (r != 0) {
                fprintf(stderr, "block transfer failed\n");
                return 1;
            }
        }
        const sim::usb::UsbLog& after = device.log();
        auto us = [](uint64_t ticks) { return static_cast<double>(ticks) * 1e6 / g_frequency; };
        Figures f = {after.master_exchanges - before.master_exchanges,
                     after.writes - before.writes,
                     after.reads - before.reads,
                     after.bytes_written - before.bytes_written,
                     after.bytes_read - before.bytes_read,
                     us(total),
                     us(g_master),
                     us(g_transport),
                     us(g_device)};
        Report(op == 0 ? "GTI_WRITEMEM_BLK" : "GTI_READMEM_BLK", f);
    }
    *sendSlot = g_send;
    *replySlot = g_reply;
    return 0;
}
