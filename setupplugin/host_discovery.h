// The search for Code Composer Studio 2.x and 3.x installations in the
// registry entries that the host's own setup leaves: one sub-key per product
// under HKLM "SOFTWARE\Texas Instruments" with "ProductName", "Version" and
// "CC_APP" (the host program's folder; the installation's root is two levels
// up and holds "Drivers").
//
// An accepted installation sets its root (full path, without a trailing
// "\" except for a drive root) into the folder option "CCSDir2" or "CCSDir3"
// and its CC_APP folder into the plug-in state; a rejected candidate sets
// nothing. Registry errors only mean "not found".
#pragma once

#include <windows.h>

#include <cstdint>

constexpr const char* kCcsRegistryKey = "SOFTWARE\\Texas Instruments";

// The candidate rules, by version: 2.x wants the exact product name and
// version "2" without regard to case; 3.x a product name that contains the
// phrase (with case) and a version that begins with "3".
bool IsCcsCandidate(uint32_t version, const char* productName, const char* versionText);

// Searches the sub-keys of `keyPath` under `root` for version 2 or 3.
bool FindCcsFolder(uint32_t version, HKEY root, const char* keyPath);
bool FindCcs2Folder();
bool FindCcs3Folder();
