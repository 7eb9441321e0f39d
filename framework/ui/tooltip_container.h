// The framework's tooltip container: a tree root named "TTP" that also holds
// one session string option of up to 4096 characters (read and written with
// the session, not with the options), whose text id is 14109.
//
// The option is stored under the key "TTP", the container's name: a session
// key must read back the same in either language, so it is no bilingual
// resource text; the text id names what the option is to a reader of texts.
#pragma once

#include "framework/config/poption_session.h"
#include "framework/ui/tree_container.h"

class STooltipContainer : public TreeContainer {
public:
    static constexpr uint32_t kTextId = 14109;
    static constexpr uint32_t kMaxText = 4096;

    STooltipContainer();
    PStringOptionSes& Option() { return option_; }
    uint32_t TextId() const { return kTextId; }

private:
    PStringOptionSes option_;
};
