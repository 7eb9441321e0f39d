// Loads each DLL named on the command line with LoadLibraryA, as a host
// would, and fails when one does not load: a missing runtime DLL or an
// import that is not there shows here first.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The build passes host paths; under Wine the host's root is drive Z:.
std::string to_windows_path(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string path = to_windows_path(argv[i]);
        HMODULE module = LoadLibraryA(path.c_str());
        if (!module) {
            std::printf("FAIL: %s does not load (error %lu)\n", path.c_str(), GetLastError());
            ++failed;
            continue;
        }
        std::printf("loaded %s\n", path.c_str());
        FreeLibrary(module);
    }
    std::printf("%d passed, %d failed\n", argc - 1 - failed, failed);
    return failed == 0 && argc > 1 ? 0 : 1;
}
