#include "setup/features.h"

#include "framework/base/text_utils.h"
#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "setup/setup_busy.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"

namespace {

constexpr char kComponentKey[] = "Component";

bool IsComponentKey(const char* name)
{
    const std::string prefix = std::string(name).substr(0, sizeof kComponentKey - 1);
    return CompareNoCase(prefix.c_str(), kComponentKey) == 0;
}

// The nested stream of a block section of setup.ini; null when there is no
// such section.
INIStream* Block(const SetupState& state, const char* name)
{
    if (!state.setupIni) return nullptr;
    SectionItem* section = state.setupIni->FindSection(name);
    return section ? section->Nested() : nullptr;
}

bool ReadFlag(INIStream& stream, const char* name, bool defaultValue)
{
    uint8_t value = defaultValue ? 1 : 0;
    stream.Read(INIReadRecord(name, value, value));
    return value != 0;
}

class FeatureReader {
public:
    FeatureReader(const SetupState& state, FeatureSet& set) : state_(state), set_(set) {}

    // Makes the feature of `section` (in `stream`) under `list`, then its
    // sub-features; false after the message.
    bool Make(INIStream& stream, const SectionItem& section, TreeContainer& list, uint32_t depth)
    {
        if (depth > kFeatureDepthMax) {
            DoMessage("s", "Internal error: features nested deeper than %u levels in setup.ini, please contact %s",
                      kFeatureDepthMax, state_.product.company.c_str());
            return false;
        }
        auto* feature = new Feature(section.Name().c_str(), &list);
        stream.SetSection(section.Name().c_str());
        stream.Read(INIReadRecord("Descr", feature->descr, INI_TAG_SSTR, ""));
        feature->checked = ReadFlag(stream, "Checked", true);
        feature->required = ReadFlag(stream, "Required", false);
        feature->expanded = ReadFlag(stream, "Expanded", true);
        if (depth == 1) feature->invisible = ReadFlag(stream, "Invisible", false);
        for (const auto& record : section.Records()) {
            if (!record->Name()[0] || !IsComponentKey(record->Name())) continue;
            const Component* component = set_.FindComponent(record->Value());
            if (!component) {
                DoMessage("s", "Internal error: cannot find component '%s', please contact %s", record->Value(),
                          state_.product.company.c_str());
                return false;
            }
            feature->components.push_back(component);
        }
        INIStream* children = section.Nested();
        if (!children) return true;
        for (const auto& child : children->Sections())
            if (!Make(*children, *child, *feature, depth + 1)) return false;
        return true;
    }

private:
    const SetupState& state_;
    FeatureSet& set_;
};

bool ReadComponents(const SetupState& state, FeatureSet& set)
{
    INIStream* block = Block(state, "Components");
    if (!block) {
        DoMessage("s", "Internal error: no [Components] in setup.ini, please contact %s",
                  state.product.company.c_str());
        return false;
    }
    for (const auto& section : block->Sections()) {
        if (set.FindComponent(section->Name().c_str())) continue;
        auto component = std::make_unique<Component>();
        component->name = section->Name();
        component->archivePath = ComponentArchivePath(state.programFolder, component->name);
        if (!ListComponentArchive(*component)) return false;
        set.components.push_back(std::move(component));
    }
    return true;
}

bool ReadFeatures(const SetupState& state, FeatureSet& set)
{
    INIStream* block = Block(state, "Features");
    if (!block) {
        DoMessage("s", "Internal error: no [Features] in setup.ini, please contact %s", state.product.company.c_str());
        return false;
    }
    FeatureReader reader(state, set);
    for (const auto& section : block->Sections()) {
        block->SetSection(section->Name().c_str());
        TreeContainer& list = ReadFlag(*block, "Invisible", false) ? set.hidden : set.shown;
        if (!reader.Make(*block, *section, list, 1)) return false;
    }
    return true;
}

void ForceRequired(TreeContainer& list)
{
    list.ForEach([&](TreeContainer& node) {
        if (&node == &list) return;
        auto& feature = static_cast<Feature&>(node);
        const bool parentChecked = node.IsTopLevel() || static_cast<Feature*>(node.Parent())->checked;
        if (feature.required && parentChecked) feature.checked = true;
    });
}

}  // namespace

Feature::Feature(const char* name, TreeContainer* parent) : TreeContainer(-1, 0, 0, name, parent) {}

FeatureSet::FeatureSet() : hidden(-1, 0, 0, "", nullptr), shown(-1, 0, 0, "", nullptr) {}
FeatureSet::~FeatureSet() = default;

const Component* FeatureSet::FindComponent(const char* name) const
{
    for (const auto& component : components)
        if (CompareNoCase(component->name.c_str(), name) == 0) return component.get();
    return nullptr;
}

std::unique_ptr<FeatureSet> ReadFeatureSet(const SetupState& state)
{
    auto set = std::make_unique<FeatureSet>();
    if (!ReadComponents(state, *set) || !ReadFeatures(state, *set)) return nullptr;
    return set;
}

void ApplyForcingRules(FeatureSet& set)
{
    if (set.shown.Count() == 1) FeatureSet::At(set.shown, 0)->checked = true;
    ForceRequired(set.hidden);
    ForceRequired(set.shown);
}

int SetupFeatures(SetupState& state, bool)
{
    if (state.features) return SETUP_RESULT_SKIPPED;
    std::unique_ptr<FeatureSet> set;
    {
        SMSControl busy(state, "Reading files, please wait...|\327\362\345\355\350\345 \364\340\351\353\356\342, "
                               "\357\356\344\356\346\344\350\362\345...");
        set = ReadFeatureSet(state);
    }
    if (!set) return SETUP_RESULT_CANCEL;
    ApplyForcingRules(*set);
    state.features = std::move(set);
    return SETUP_RESULT_SKIPPED;
}
