#include "setup/features_page.h"

#include "framework/base/sstr.h"
#include "framework/base/text_utils.h"
#include "framework/ui/di_tree_view.h"
#include "framework/ui/ml_text.h"
#include "setup/feature_plan.h"
#include "setup/features.h"
#include "setup/setup_functions.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

void ForEachFeature(TreeContainer& list, const std::function<void(Feature&)>& operation)
{
    list.ForEach([&](TreeContainer& node) {
        if (&node != &list) operation(static_cast<Feature&>(node));
    });
}

}  // namespace

std::string SpaceRequiredText(uint64_t bytes)
{
    char digits[40];
    FormatThousands64(digits, bytes);
    return sstr::Format(GetMLText("Drive space required: %s bytes|\322\360\345\341\363\345\362\361\377 \354\345\361"
                                  "\362\340 \355\340 \344\350\361\352\345: %s \341\340\351\362"),
                        digits)
        .c_str();
}

DlgFeatures::DlgFeatures(Window* parent, bool firstPage, SetupState& state)
    : RiggerDialog(parent, firstPage, SETUP_DLG_FEATURES, state), set_(*state.features)
{
    tree_ = NewDITreeView(&set_.shown, SETUP_CTL_FEATURE_TREE, true);
    tree_->SetSelectionHandler([this](TreeContainer* node) { ShowDescription(node); });
    AddItems({tree_});
}

void DlgFeatures::SetupWindow()
{
    RiggerDialog::SetupWindow();
    // The tree is filled: its states come from the features, which the
    // forcing rules have already settled.
    ForEachFeature(set_.shown, [](Feature& f) { f.SetStateImage(f.checked ? TREE_STATE_CHECKED : TREE_STATE_UNCHECKED); });
    tree_->ApplyRequiredRule();
    ForEachFeature(set_.shown, [](Feature& f) {
        if (f.Count()) f.Expand(f.expanded ? TVE_EXPAND : TVE_COLLAPSE);
    });
    ShowDescription(nullptr);
    ShowSpace();
}

int DlgFeatures::OnItemClick(TreeContainer*, Window*, DlgItemDescr*, uint32_t id)
{
    if (id != SETUP_CTL_FEATURE_TREE) return 0;
    TakeChecks();
    ShowSpace();
    return 0;
}

void DlgFeatures::TakeChecks()
{
    // A required item shows checked and stays so: GetCheck counts it.
    ForEachFeature(set_.shown, [](Feature& f) {
        if (f.Item()) f.checked = f.GetCheck() > 0;
    });
}

void DlgFeatures::ShowSpace()
{
    SetItemText(SETUP_CTL_FEATURE_SPACE, "%s", SpaceRequiredText(PlanFeatures(set_).TotalSize()).c_str());
}

void DlgFeatures::ShowDescription(TreeContainer* node)
{
    const auto* feature = static_cast<Feature*>(node);
    SetItemText(SETUP_CTL_FEATURE_DESCR, "%s", feature && !feature->descr.empty() ? GetMLText(feature->descr.c_str()) : "");
}

void DlgFeatures::CleanupWindow()
{
    // The items still exist: the dialog goes before its children.
    ForEachFeature(set_.shown, [](Feature& f) {
        if (f.Item() && f.Count()) f.expanded = (f.GetItemState() & TVIS_EXPANDED) != 0;
    });
    RiggerDialog::CleanupWindow();
}

int DisplayFeatures(SetupState& state, bool firstPage)
{
    if (!state.features) return SETUP_RESULT_SKIPPED;
    FeatureSet& set = *state.features;
    if (set.shown.Count() == 1) {
        FeatureSet::At(set.shown, 0)->checked = true;
        return SETUP_RESULT_SKIPPED;
    }
    DlgFeatures page(nullptr, firstPage, state);
    return page.Execute();
}
