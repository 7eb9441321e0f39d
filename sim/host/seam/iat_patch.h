// Rewrites entries of a loaded module's import address table, so that the
// module's calls of chosen imported functions go elsewhere. Nothing in the
// module itself changes: only the table the loader filled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sim::host {

struct ImportRedirect {
    const char* dll;       // as the import table names it, compared without regard to case
    const char* function;  // imported by name
    void* replacement;
};

struct PatchedImport {
    void** slot = nullptr;
    void* original = nullptr;
    std::string dll;
    std::string function;
};

// Redirects every import of `module` that matches one of `redirects`, by its
// name in the import name table or, where the module has none, by the
// address the loader stored. Returns the slots changed, for restoring.
std::vector<PatchedImport> patch_imports(HMODULE module, const std::vector<ImportRedirect>& redirects);

// Puts the loader's values back.
void restore_imports(const std::vector<PatchedImport>& patched);

// True while `module` is still mapped at that address.
bool module_loaded(HMODULE module);

} // namespace sim::host
