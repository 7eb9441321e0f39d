// The walk over the checked features: what they need installed and how
// many bytes that is, each component once.
#pragma once

#include <cstdint>

#include "setup/install_plan.h"

class Feature;
class FeatureSet;

// Adds the components of `feature` (when it is checked) that `plan` does not
// hold yet, then those of its sub-features in order, checked or not whatever
// the feature is (a checked sub-feature of an unchecked feature counts).
// Returns the bytes added.
uint64_t FeatureSize(const Feature& feature, InstallPlan& plan);

// The components of the checked features, the hidden list first and then
// the shown list, in order: what the installation step extracts, and its
// total is the space the selection needs.
InstallPlan PlanFeatures(const FeatureSet& set);
