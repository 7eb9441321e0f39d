// The progress window of the installation: a modeless page (dialog 20886,
// its Russian twin 30886) with the page title (21099), the file being
// unpacked (21100), the bytes done (2000) and a progress bar (101) over the
// total. Every button of the page frame stays disabled: the step cannot be
// cancelled half-way.
#pragma once

#include <cstdint>
#include <string>

#include "framework/ui/sdialog.h"
#include "setup/archive_extract.h"

class DlgProgress : public SDialog, public ExtractProgress {
public:
    DlgProgress(const char* caption, uint64_t total);

    // Creates and shows the window; false when the template is missing.
    bool Open();
    void Close();

    void ShowStatus(const char* fileText, const char* spaceText) override;
    // Lets the window process what is pending.
    void Pump();

    uint64_t Total() const { return total_; }
    // The bar's range is the total shifted right by this many bits, so that
    // totals above 2 GiB fit the bar's signed 32-bit range.
    uint32_t Shift() const { return shift_; }

    void SetupWindow() override;
    void CmCancel() override {}

protected:
    void SetBytesDone(uint64_t bytesDone) override;

private:
    std::string caption_;
    uint64_t total_;
    uint32_t shift_ = 0;
};
