// The setup's simple pages: the language choice, the licence and the
// restart question (the setup functions GetSetupLanguage, DisplayLicense and
// CheckReboot of setup/setup_functions.h), and the files they choose.
#pragma once

#include <string>

class SetupState;

// Sets the setup's help file: setupr.chm beside setup.ini on a Russian
// setup when it exists, else setup.chm there (also when that is missing).
void ChooseHelpFile(SetupState& state);
// The licence text to show: license.txt beside setup.ini, licenser.txt on a
// Russian setup when it exists; "" when neither exists.
std::string LicenceFile(const SetupState& state);
// The text of a licence file with its line ends made CR LF for the text
// control; "" when it cannot be read.
std::string ReadLicenceText(const std::string& path);
