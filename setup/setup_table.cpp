#include "setup/setup_table.h"

#include "framework/base/message.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"

namespace {

bool AnyForwardBefore(const SetupTable& table, size_t index)
{
    for (size_t i = 0; i < index; ++i)
        if (table[i].result == SETUP_RESULT_NEXT) return true;
    return false;
}

}  // namespace

bool RunSetupTable(SetupState& state, SetupTable& table)
{
    size_t i = 0;
    while (i < table.size() && table[i].function) {
        SetupStep& step = table[i];
        const bool firstPage = !AnyForwardBefore(table, i);
        int result;
        if (state.unattended && step.skippedUnattended) {
            LogPrintf("Skipping setup function '%s' because of /Y option\n", step.name);
            result = SETUP_RESULT_SKIPPED;
        } else {
            LogPrintf("Calling setup function '%s'...\n", step.name);
            result = step.function(state, firstPage);
            LogPrintf("Setup function '%s' returned %u\n", step.name, static_cast<unsigned>(result));
        }
        step.result = result;
        if (result == SETUP_RESULT_CANCEL) return false;
        if (result != SETUP_RESULT_BACK) {
            ++i;
            continue;
        }
        size_t back = i;
        while (back > 0 && table[back - 1].result != SETUP_RESULT_NEXT) --back;
        i = back > 0 ? back - 1 : i + 1;
    }
    return true;
}
