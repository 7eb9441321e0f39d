#include "setup/feature_plan.h"

#include "framework/ui/message.h"
#include "setup/do_install.h"
#include "setup/features.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"

uint64_t FeatureSize(const Feature& feature, InstallPlan& plan)
{
    uint64_t added = 0;
    if (feature.checked) {
        for (const Component* component : feature.components)
            if (plan.Add(component->name, component->archivePath, component->unpackedSize))
                added += component->unpackedSize;
    }
    for (uint32_t i = 0; i < feature.Count(); ++i) added += FeatureSize(*feature.ChildFeature(i), plan);
    return added;
}

InstallPlan PlanFeatures(const FeatureSet& set)
{
    InstallPlan plan;
    for (const TreeContainer* list : {&set.hidden, &set.shown})
        for (uint32_t i = 0; i < list->Count(); ++i) FeatureSize(*FeatureSet::At(*list, i), plan);
    return plan;
}

int InstallSelectedFeatures(SetupState& state, bool)
{
    // The features are read before any page: without them there is nothing
    // that could be installed correctly.
    if (!state.features) {
        DoMessage("s", "Internal error: the features of setup.ini were not read, please contact %s",
                  state.product.company.c_str());
        return SETUP_RESULT_CANCEL;
    }
    return DoInstall(state, PlanFeatures(*state.features));
}
