// setup.ini: the product settings, the caption, the 64-bit check and the
// default TARGETDIR.
#pragma once

#include <string>

class SetupState;

// Reads setup.ini from SUPPORTDIR (from the program's folder when SUPPORTDIR
// is empty) into `state`: the [Product] settings, the banner, the caption
// and, unless /B set it, the default TARGETDIR; `state.setupIni` keeps the
// file for the later steps. False after the message that says why.
bool ReadSetupIni(SetupState& state);

// The folder setup.ini is read from: SUPPORTDIR, else the setup program's
// folder. The licence texts, the help file and the banner lie beside it.
std::string SetupIniFolder(const SetupState& state);
// "%s v. %s Installation" with the product name and version, in the
// current language.
void MakeSetupCaption(SetupState& state);
// "1.02.3" -> "1_02_3".
std::string VersionFolder(const std::string& version);
// TARGETDIR when /B gave none: with "StandardInstallPath", Program Files +
// InstallFolder (+ the version folder with "MultipleVersions"); else, or
// when there is no Program Files folder, "C:\<Company>\<InstallFolder>\<version
// folder>". Unchecked for length.
std::string DefaultTargetDir(const SetupState& state);
