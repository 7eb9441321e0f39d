// Combo boxes with a browse button: a folder, a file or an internet address.
#pragma once

#include <string>

#include "framework/ui/di_combo_box.h"

class BButton;

enum : uint32_t {
    BROWSE_IMAGE_FOLDER = 10500,
    BROWSE_IMAGE_INET = 14195,
};

class DIDirBrowser : public DIComboBox {
public:
    DIDirBrowser(uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id);
    void CreateControl() override;
    uint32_t BrowseButtonId() const { return browseId_; }
    // The browse button, looked up by id (the dialog's button list owns it).
    BButton* BrowseButton() const;
    // The outcome of the last browse: true when something was chosen.
    bool Chosen() const { return chosen_; }
    void SetChosen(bool chosen) { chosen_ = chosen; }

protected:
    DIDirBrowser(uint32_t kind, uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id, uint32_t image);
    uint32_t browseId_;
    uint32_t image_;
    bool chosen_ = false;
};

class DIFileBrowser : public DIDirBrowser {
public:
    DIFileBrowser(uint32_t extraFlags, bool save, const char* title, const char* filter, uint32_t flags, char* boundText,
                  uint32_t browseButtonId, uint32_t id);
    // Runs the file dialog on the combo's text; true when a file was chosen
    // (it becomes the combo's text).
    bool Browse();

private:
    uint32_t extraFlags_;
    bool save_;
    const char* title_;  // text argument: literal or message id
    std::string filter_;
};

class DIINetAddrBrowser : public DIDirBrowser {
public:
    DIINetAddrBrowser(uint32_t flags, char* boundText, uint32_t browseButtonId, uint32_t id);
};

// The start folder and file name of a file dialog from a combo text: quotes
// become blanks and the ends are trimmed; a text without wildcards that
// names an existing folder is the folder alone; else it splits at the last
// backslash. A trailing backslash goes, except after a drive colon or as the
// whole folder.
void SplitBrowseStart(const char* text, std::string& folder, std::string& fileName);

// Keeps a top-most window down while a browse dialog runs.
class TopmostGuard {
public:
    explicit TopmostGuard(HWND window);
    ~TopmostGuard();
    TopmostGuard(const TopmostGuard&) = delete;
    TopmostGuard& operator=(const TopmostGuard&) = delete;

private:
    HWND window_ = nullptr;
};
