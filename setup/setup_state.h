// The state of one setup run: the product settings read from setup.ini, the
// folders and switches of the run, and the install log. One object per run
// and no hidden globals, so that one process can run several installs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class Bitmap;
class INIStream;
class InstallLog;
class ExtractProgress;
struct TextMacro;
class FeatureSet;

enum : uint8_t { SETUP_LANG_ENGLISH = 0, SETUP_LANG_RUSSIAN = 1 };

// The [Product] values of setup.ini, with their defaults.
struct ProductSettings {
    std::string name = "Unknown Product";
    std::string name16 = "Product";
    std::string emuName = "ZEMU";
    std::string simName = "ZSIM";
    std::string version = "0.00.00";
    std::string company = "Korvan";
    bool standardInstallPath = false;
    bool registerFlag = false;
    bool worksOnX64 = true;
    bool hasDate = false;  // "Date" is written only when set
    std::string date;
    bool noRussian = true;
    bool multipleVersions = true;
    std::string banner;
    std::string bannerAlign = "Left";
    int32_t bannerColorL = -1;
    int32_t bannerColorR = -1;
    int32_t bannerTextColor = -1;
    int32_t bannerTextX = 0;
    int32_t bannerTextY = 0;
    std::string installFolder = "Product";  // default: the "Name16" value
    // Read by the installation step.
    std::string itemsToCopy;
    std::string webSite;
    std::string rvcFolder;
    std::string arFtpAddr;
    std::string productsIniAddr;
    std::string cleanupFiles;
    int32_t id = -1;
    // Read by the pages.
    std::string confFiles;
};

class SetupState {
public:
    SetupState();
    ~SetupState();
    SetupState(const SetupState&) = delete;
    SetupState& operator=(const SetupState&) = delete;

    ProductSettings product;
    std::string caption;
    // The version with every "." replaced by "_" (a folder level and a
    // registry key name).
    std::string versionFolder;
    std::string targetDir;       // TARGETDIR, at most 519 characters
    std::string supportDir;      // SUPPORTDIR, empty when none was made
    std::string programFolder;   // the setup program's folder, no trailing "\"
    uint8_t language = SETUP_LANG_ENGLISH;
    bool unattended = false;     // /Y
    bool logging = false;        // /L (the setup log is open while it is on)
    bool targetDirGiven = false; // /B set TARGETDIR: setup.ini gives no default
    std::string programPath;     // the setup program's own path
    std::string tempDir;         // TEMP, with a trailing "\"
    std::string setupLogPath;    // <program>.log while logging is on
    // The program's "$P"/"$V" table (null: none): the main flow points its
    // values at the product's name and version once setup.ini is read.
    TextMacro* textMacros = nullptr;
    bool rebootRequired = false;
    // The restart page's answer "restart now": the main flow restarts the
    // system (RestartSystem, setup/page_seams.h) once it has cleaned up.
    bool restartPending = false;
    // The setup's help file: SUPPORTDIR\setup.chm or its Russian twin.
    std::string helpFile;
    // setup.ini's "Banner" as loaded; null without one (the pages then show
    // the animation).
    std::unique_ptr<Bitmap> bannerBitmap;
    std::string transferFolder;  // configuration files to transfer; empty when none
    // The versions page: the transfer box and the selected version, kept
    // between visits.
    bool transferConfiguration = false;
    uint32_t versionSelection = 0;
    // setup.ini as read by the main flow (sections other than [Product]).
    std::unique_ptr<INIStream> setupIni;
    // Setup.log, while the installation step runs and until the clean-up.
    std::unique_ptr<InstallLog> installLog;
    // The progress window of the installation step while it is open.
    ExtractProgress* progress = nullptr;
    // The components and features of setup.ini, read once by SetupFeatures:
    // the feature page changes their checks, the installation step walks
    // them.
    std::unique_ptr<FeatureSet> features;

    bool IsRussian() const { return language != SETUP_LANG_ENGLISH; }
};
