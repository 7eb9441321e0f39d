// The driver's GTI exports as a host binds them: by name ("_GTI_..."), with
// GetProcAddress, at run time, all cdecl. A missing export leaves its pointer
// null and its name in `missing`, so a host can report it and go on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sim::host {

using GtiHandle = void*;

// The host's board-parameter list as the driver hands it out (fixed 32-bit
// fields; this is a 32-bit program).
struct GtiBoardParam {
    std::uint32_t type;          // 0: a choice list
    const char* name;
    std::uint32_t reserved1;
    std::uint32_t choice_count;
    const char** choices;
    std::uint32_t current;       // index of the current choice
    std::uint32_t reserved2;
};
struct GtiBoardParamList {
    std::uint32_t count;
    GtiBoardParam* entries;
};

struct GtiApi {
    using u32 = std::uint32_t;
    int32_t(__cdecl* INIT_EX)(u32, const char*, u32, const char*, u32, u32, u32, u32, u32) = nullptr;
    int32_t(__cdecl* QUIT)() = nullptr;
    int32_t(__cdecl* RUN_EX)(GtiHandle, u32) = nullptr;
    int32_t(__cdecl* HALT)(GtiHandle, int32_t) = nullptr;
    int32_t(__cdecl* STEP)(GtiHandle, u32) = nullptr;
    int32_t(__cdecl* RESET)() = nullptr;
    int32_t(__cdecl* STAT)() = nullptr;
    int32_t(__cdecl* READREG)(GtiHandle, u32, u32*) = nullptr;
    int32_t(__cdecl* WRITEREG)(GtiHandle, u32, const u32*) = nullptr;
    int32_t(__cdecl* READMEM_BLK)(GtiHandle, u32, u32, u32, u32, u32, u32, u32, u32*) = nullptr;
    int32_t(__cdecl* WRITEMEM_BLK)(GtiHandle, u32, u32, u32, u32, u32, u32, u32, const u32*) = nullptr;
    int32_t(__cdecl* SETBP)(GtiHandle, u32, u32) = nullptr;
    int32_t(__cdecl* CLEARBP)(GtiHandle, u32, u32) = nullptr;
    int32_t(__cdecl* WAS_HBP_HIT)(GtiHandle, u32, u32) = nullptr;
    int32_t(__cdecl* NUM_HBP_TYPES)() = nullptr;
    const char*(__cdecl* GETERRSTR)() = nullptr;
    const char*(__cdecl* GETERRSTR_EX2)(GtiHandle, u32*, u32*, u32*, u32*) = nullptr;
    int32_t(__cdecl* CONFIG)(GtiHandle, GtiBoardParamList**, const char*, int32_t) = nullptr;
    int32_t(__cdecl* GETCONFIGPARAM)(GtiHandle, GtiBoardParamList**, const char*) = nullptr;
    int32_t(__cdecl* SETCONFIGPARAM)(GtiHandle, GtiBoardParamList**, const char*) = nullptr;
    int32_t(__cdecl* GETCAPABILITIES)(GtiHandle) = nullptr;
    int32_t(__cdecl* GETPROCTYPE)(GtiHandle) = nullptr;
    int32_t(__cdecl* GET_INFO_STRING)(int32_t, const char**) = nullptr;
    int32_t(__cdecl* GETWORDSIZE)() = nullptr;

    std::vector<std::string> missing; // export names not found

    // Resolves every pointer above from `module`; false when any is missing.
    bool bind(HMODULE module);
};

} // namespace sim::host
