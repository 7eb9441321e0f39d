#include "framework/ui/p_library.h"

#include "framework/ui/message.h"

namespace {

constexpr uint16_t kUnableToLoadDll = 6498;

}  // namespace

HINSTANCE PLibrary::Load(const char* fileName, uint32_t flags, bool quiet)
{
    Free();
    if (!fileName) fileName = "";
    module_ = LoadLibraryExA(fileName, nullptr, flags);
    if (!module_ && !quiet) DoMessageWithSystemError("m", kUnableToLoadDll, fileName);
    return module_;
}

FARPROC PLibrary::GetProc(const char* name) const
{
    if (!module_ || !name) return nullptr;
    return GetProcAddress(module_, name);
}

int PLibrary::Free()
{
    if (!module_) return 0;
    const int result = FreeLibrary(module_) ? 1 : 0;
    module_ = nullptr;
    return result;
}
