#include "sim/host/seam/iat_patch.h"

#include <cstring>

namespace sim::host {

namespace {

void write_slot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot = value;
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof(void*), old, &ignored);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void*));
}

} // namespace

std::vector<PatchedImport> patch_imports(HMODULE module, const std::vector<ImportRedirect>& redirects) {
    std::vector<PatchedImport> patched;
    if (!module) return patched;
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return patched;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    // PE32 in the 32-bit build, PE32+ in the 64-bit one: the header types are
    // this process's, so only a module of the same kind is patched.
    if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) return patched;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0 || dir.Size == 0) return patched;

    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name != 0; ++desc) {
        const char* dll = reinterpret_cast<const char*>(base + desc->Name);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        const IMAGE_THUNK_DATA* names =
            desc->OriginalFirstThunk ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk) : nullptr;
        HMODULE exporter = GetModuleHandleA(dll);
        for (std::size_t i = 0; slots[i].u1.Function != 0; ++i) {
            const char* name = nullptr;
            if (names && !IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                name = reinterpret_cast<const char*>(
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name);
            void** slot = reinterpret_cast<void**>(&slots[i].u1.Function);
            for (const ImportRedirect& r : redirects) {
                if (_stricmp(dll, r.dll) != 0) continue;
                bool match = name ? std::strcmp(name, r.function) == 0 : false;
                if (!name && exporter)
                    match = *slot == reinterpret_cast<void*>(GetProcAddress(exporter, r.function));
                if (!match) continue;
                patched.push_back(PatchedImport{slot, *slot, dll, r.function});
                write_slot(slot, r.replacement);
                break;
            }
        }
    }
    return patched;
}

void restore_imports(const std::vector<PatchedImport>& patched) {
    for (const PatchedImport& p : patched) write_slot(p.slot, p.original);
}

bool module_loaded(HMODULE module) {
    HMODULE found = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(module), &found))
        return false;
    return found == module;
}

} // namespace sim::host
