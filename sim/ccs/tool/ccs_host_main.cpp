// ccs_host.exe: makes or removes the simulated host installation in the Wine
// prefix it runs in.
//
//   ccs_host make ROOT2 ROOT3 [--cc-setup FILE] [--cc-app FILE]
//   ccs_host clear
//
// "make" writes the registry entries (sim/ccs/host_install.h), makes the
// folders and copies the board setup stand-in and the host program in; it
// prints what it made. "clear" removes the registry entries (the folders
// stay). Exit code 0 on success, 1 on a failure (printed), 2 on a bad
// command line.
#include <cstdio>
#include <string>

#include "sim/ccs/host_install.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: ccs_host make ROOT2 ROOT3 [--cc-setup FILE] [--cc-app FILE]\n"
                         "       ccs_host clear\n");
    return 2;
}

int Failed(const std::string& error)
{
    std::fprintf(stderr, "ccs_host: %s\n", error.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "clear") return ccs::ClearHostRegistry() ? 0 : Failed("cannot clear");
    if (argc < 4 || std::string(argv[1]) != "make") return Usage();
    ccs::HostLayout layout{argv[2], argv[3]};
    std::string ccSetup, ccApp;
    for (int i = 4; i < argc; i += 2) {
        const std::string a = argv[i];
        if (i + 1 >= argc) return Usage();
        if (a == "--cc-setup") {
            ccSetup = argv[i + 1];
        } else if (a == "--cc-app") {
            ccApp = argv[i + 1];
        } else {
            return Usage();
        }
    }
    std::string error;
    if (!ccs::MakeHostFolders(layout, error) || !ccs::MakeHostRegistry(layout, error) ||
        !ccs::CopyHostPrograms(layout, ccSetup, ccApp, error))
        return Failed(error);
    for (const ccs::HostEntry& e : ccs::HostEntries(layout))
        std::printf("HKLM\\%s\\%s: ProductName \"%s\", Version \"%s\", CC_APP \"%s\"\n", ccs::kVendorKey,
                    e.subKey.c_str(), e.productName.c_str(), e.version.c_str(), e.ccApp.c_str());
    return 0;
}
