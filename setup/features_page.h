// The feature page: the shown features as a tree with check states
// (unchecked, checked, required), the selected feature's description and
// the drive space the selection needs.
#pragma once

#include <cstdint>
#include <string>

#include "setup/rigger_dialog.h"

class DITreeView;
class FeatureSet;
class TreeContainer;

enum : uint16_t {
    SETUP_CTL_FEATURE_TREE = 100,
    SETUP_CTL_FEATURE_DESCR = 21100,
    SETUP_CTL_FEATURE_SPACE = 21101,
};

// "Drive space required: %s bytes" with the digits grouped by thousands, in
// the setup's language.
std::string SpaceRequiredText(uint64_t bytes);

class DlgFeatures : public RiggerDialog {
public:
    DlgFeatures(Window* parent, bool firstPage, SetupState& state);
    void SetupWindow() override;
    // A click on a state image has been applied to the tree by the view:
    // the features take the tree's checks and the space text follows.
    int OnItemClick(TreeContainer* node, Window* control, DlgItemDescr* item, uint32_t id) override;
    // The features keep the tree's expanded states as the page goes.
    void CleanupWindow() override;

private:
    void TakeChecks();
    void ShowSpace();
    void ShowDescription(TreeContainer* node);

    FeatureSet& set_;
    DITreeView* tree_;
};
