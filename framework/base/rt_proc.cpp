#include "framework/base/rt_proc.h"

#include <cstring>

namespace {

using Std0 = uintptr_t(__stdcall*)();
using Std1 = uintptr_t(__stdcall*)(uintptr_t);
using Std2 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t);
using Std3 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t);
using Std4 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Std5 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Std6 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Std7 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Std8 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                  uintptr_t);
using Std9 = uintptr_t(__stdcall*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                  uintptr_t, uintptr_t);
using Cdl0 = uintptr_t(__cdecl*)();
using Cdl1 = uintptr_t(__cdecl*)(uintptr_t);
using Cdl2 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t);
using Cdl3 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t);
using Cdl4 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Cdl5 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Cdl6 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Cdl7 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
using Cdl8 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                uintptr_t);
using Cdl9 = uintptr_t(__cdecl*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                uintptr_t, uintptr_t);

template <typename F>
F As(FARPROC p) { return reinterpret_cast<F>(reinterpret_cast<void*>(p)); }

// Calls a procedure whose arguments are machine words (32 bits in the 32-bit
// product, so a pointer always fits); a standard call removes them itself, a
// C call leaves that to the caller. The compiler builds the stack frame from
// the function type, so no assembler is needed.
uintptr_t Invoke(FARPROC p, bool callerPops, uint32_t n, const uintptr_t* a)
{
    if (callerPops) {
        switch (n) {
        case 0: return As<Cdl0>(p)();
        case 1: return As<Cdl1>(p)(a[0]);
        case 2: return As<Cdl2>(p)(a[0], a[1]);
        case 3: return As<Cdl3>(p)(a[0], a[1], a[2]);
        case 4: return As<Cdl4>(p)(a[0], a[1], a[2], a[3]);
        case 5: return As<Cdl5>(p)(a[0], a[1], a[2], a[3], a[4]);
        case 6: return As<Cdl6>(p)(a[0], a[1], a[2], a[3], a[4], a[5]);
        case 7: return As<Cdl7>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
        case 8: return As<Cdl8>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
        default: return As<Cdl9>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        }
    }
    switch (n) {
    case 0: return As<Std0>(p)();
    case 1: return As<Std1>(p)(a[0]);
    case 2: return As<Std2>(p)(a[0], a[1]);
    case 3: return As<Std3>(p)(a[0], a[1], a[2]);
    case 4: return As<Std4>(p)(a[0], a[1], a[2], a[3]);
    case 5: return As<Std5>(p)(a[0], a[1], a[2], a[3], a[4]);
    case 6: return As<Std6>(p)(a[0], a[1], a[2], a[3], a[4], a[5]);
    case 7: return As<Std7>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
    case 8: return As<Std8>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
    default: return As<Std9>(p)(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
    }
}

}  // namespace

RT_IMPORT_PROC::~RT_IMPORT_PROC() { Unload(); }

bool RT_IMPORT_PROC::Resolve()
{
    if (address_ == kFailed) return false;
    if (address_) return true;
    if (!handle_ && source_) {
        handle_ = source_();
    } else if (!handle_) {
        handle_ = GetModuleHandleA(module_);
        if (!handle_) {
            handle_ = LoadLibraryA(module_);
            loaded_ = handle_ != nullptr;
        }
    }
    FARPROC p = handle_ ? GetProcAddress(handle_, name_) : nullptr;
    address_ = p ? p : kFailed;
    return p != nullptr;
}

uintptr_t RT_IMPORT_PROC::Call(uint32_t count, const uintptr_t* args)
{
    if (count > 9 || (count > 0 && !args)) return 0;
    if (!Resolve()) return 0;
    return Invoke(address_, callerPops_, count, args);
}

void RT_IMPORT_PROC::Unload()
{
    // Only a handle that LoadLibraryA gave holds a reference of ours; one
    // from GetModuleHandleA belongs to whoever loaded the module.
    if (handle_ && loaded_) FreeLibrary(handle_);
    handle_ = nullptr;
    loaded_ = false;
    address_ = nullptr;
}

bool RT_IMPORT_PROC::IsEqual(const RT_IMPORT_PROC& other) const
{
    return strcmp(name_ ? name_ : "", other.name_ ? other.name_ : "") == 0;
}

bool RT_IMPORT_PROC::IsGreater(const RT_IMPORT_PROC& other) const
{
    return strcmp(name_ ? name_ : "", other.name_ ? other.name_ : "") > 0;
}
