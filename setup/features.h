// The features of setup.ini: the user's choices, a tree of named nodes, each
// naming the components it needs. Read once per run with the components,
// then shown by the feature page and walked by the installation step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/ui/tree_container.h"
#include "setup/components.h"

class SetupState;

// Sub-features deeper than this (a top-level feature is level 1) are refused.
constexpr uint32_t kFeatureDepthMax = 16;

class Feature : public TreeContainer {
public:
    Feature(const char* name, TreeContainer* parent);
    // Shown as required (and kept checked) while its parent is checked or it
    // is top-level.
    bool IsRequired() const override { return required; }
    Feature* ChildFeature(uint32_t i) const { return static_cast<Feature*>((*this)[i]); }

    std::string descr;  // bilingual
    bool checked = true;
    bool required = false;
    bool expanded = true;
    bool invisible = false;  // top-level features only
    std::vector<const Component*> components;
};

// The run's components and its two lists of top-level features: the hidden
// list (installed as setup.ini says, never shown) and the shown list (the
// feature page's tree). The lists are unnamed roots whose children are the
// features.
class FeatureSet {
public:
    FeatureSet();
    ~FeatureSet();
    FeatureSet(const FeatureSet&) = delete;
    FeatureSet& operator=(const FeatureSet&) = delete;

    // Without regard to case; null when there is none of that name.
    const Component* FindComponent(const char* name) const;
    static Feature* At(const TreeContainer& list, uint32_t i) { return static_cast<Feature*>(list[i]); }

    std::vector<std::unique_ptr<Component>> components;
    TreeContainer hidden;
    TreeContainer shown;
};

// Reads [Components] (listing each archive) and then [Features] of the
// run's setup.ini. Null after the message that says why: a missing block, an
// archive that cannot be listed, a feature naming a missing component,
// features nested deeper than kFeatureDepthMax.
std::unique_ptr<FeatureSet> ReadFeatureSet(const SetupState& state);

// The rules that hold whether or not the feature page is shown: a single
// shown feature is checked; a required feature whose parent is checked, or
// which is top-level, is checked (parents first).
void ApplyForcingRules(FeatureSet& set);
