// The simulated host installation: the registry entries that the host
// debugger's own setup leaves under HKLM "SOFTWARE\Texas Instruments" (a
// 2.x and a 3.x installation, and the decoys a search must pass over, which
// enumerate before them), the installations' folders, and the host's
// programs copied in. It is made in whatever Wine prefix the calling program
// runs in; a 32-bit prefix has no Wow6432Node, so a reader of the same
// bitness sees what was written.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ccs {

constexpr char kVendorKey[] = "SOFTWARE\\Texas Instruments";

struct HostLayout {
    std::string root2;  // the 2.x installation's root, e.g. C:\CCStudio
    std::string root3;  // the 3.x installation's root
    // A root with cc\bin but no Drivers, named by the first decoy: its
    // candidate must be skipped.
    std::string DecoyRoot() const { return root2 + "_decoy"; }
};

// One sub-key of the vendor key, in enumeration order.
struct HostEntry {
    std::string subKey;
    std::string productName;
    std::string version;
    std::string ccApp;
};

// The sub-keys that MakeHostRegistry writes: the decoys first ("code
// composer studio" 2 without Drivers; "Code Composer Studio" 2.2, neither
// version; a 3.x candidate whose CC_APP is no folder), then the real 2.x and
// 3.x entries.
std::vector<HostEntry> HostEntries(const HostLayout& layout);

// Replaces the vendor key by the entries above. False (with `error`) on the
// first failing registry call.
bool MakeHostRegistry(const HostLayout& layout, std::string& error);
// Removes the vendor key and everything below it; true when it is gone.
bool ClearHostRegistry();
// Removes a key with all its sub-keys; true when it is gone (or was never there).
bool DeleteKeyTree(HKEY root, const std::string& path);
// Makes <root>\cc\bin and <root>\Drivers of both roots, and the decoy's
// cc\bin (with all missing levels).
bool MakeHostFolders(const HostLayout& layout, std::string& error);
// Copies the board setup program into each installation's cc\bin (the
// decoy's too, so a launch from a rejected root shows in its record) and the
// host program into the 3.x installation's cc\bin. An empty path copies
// nothing.
bool CopyHostPrograms(const HostLayout& layout, const std::string& ccSetup, const std::string& ccApp,
                      std::string& error);

}  // namespace ccs
