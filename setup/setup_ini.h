// setup.ini: the product settings, the caption, the 64-bit check and the
// default TARGETDIR.
#pragma once

class SetupState;

// Reads setup.ini from SUPPORTDIR (from the program's folder when SUPPORTDIR
// is empty) into `state`: the [Product] settings, the banner, the caption
// and, unless /B set it, the default TARGETDIR; `state.setupIni` keeps the
// file for the later steps. False after the message that says why.
bool ReadSetupIni(SetupState& state);
