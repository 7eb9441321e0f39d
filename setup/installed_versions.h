// The versions of the product that are already installed, as the product's
// registry key under HKLM records them (the installation step writes it):
// the sub-keys named by a version, and with "MultipleVersions" off the key's
// own "Version" value.
#pragma once

#include <string>
#include <vector>

struct ProductSettings;

// A sub-key names a version when its first character is a decimal digit.
bool IsVersionKeyName(const char* name);

// "SOFTWARE\<company>\<product name>".
std::string ProductKeyPath(const ProductSettings& product);

// The version sub-keys in enumeration order; with "MultipleVersions" off
// followed by the key's "Version" value when it is set and not listed yet.
// Empty when the key is missing.
std::vector<std::string> ListInstalledVersions(const ProductSettings& product);

// The folder an installed version was put in: its "Folder" value. With
// "MultipleVersions" off the version that the product key's "Version" names
// keeps it in the product key itself; any other version in its sub-key.
// False when the value is missing or empty.
bool InstalledVersionFolder(const ProductSettings& product, const std::string& version, std::string& folder);

// The uninstall entry of an installed version under
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall": the product name,
// with "MultipleVersions" on followed by " " and the version.
std::string VersionUninstallKeyPath(const ProductSettings& product, const std::string& version);
