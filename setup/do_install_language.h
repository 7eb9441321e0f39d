// The last question of the installation: whether the product's own user
// interface is to be Russian, recorded in the product's language files
// ("langdef.ini" and every "*.ide" and "*.opt" file in TARGETDIR).
#pragma once

#include <string>

struct LanguageQuestion {
    std::string targetDir;
    std::string productName;
    bool quiet = false;            // /Y: never ask
    bool filesTransferred = false; // the user's own configuration came along
};

// The answer applied: asked when allowed, else the default (Yes only when
// langdef.ini allows Russian and the system's language is Russian). True
// when Russian was recorded.
bool ApplyLanguageChoice(const LanguageQuestion& question);
