// Chain-engine and master hooks that record the calls the core makes, for
// the recovery tests. A hook can be told to raise a code when called.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "master/core/error_record.h"

namespace core_test {

struct hooks_spy : mst::chain_hooks, mst::master_hooks {
    explicit hooks_spy(mst::error_record& record) : record_(record) {}

    std::vector<std::string> calls;
    std::map<std::string, uint32_t> raise_on;  // hook name -> code it raises
    uint8_t clock_setting = 3;

    void attach_reply() override { hit("attach_reply"); }
    void complete_batch() override { hit("complete_batch"); }
    void forget_state() override { hit("forget_state"); }
    void forget_line_state() override {}
    void detect_chain() override { hit("detect_chain"); }
    void power_check() override { hit("power_check"); }
    void reconfigure() override { hit("reconfigure"); }
    void device_hook() override { hit("device_hook"); }
    void stop() override { hit("stop"); }
    uint8_t kept_clock_setting() override { return clock_setting; }

private:
    void hit(const std::string& name) {
        calls.push_back(name);
        auto it = raise_on.find(name);
        if (it != raise_on.end())
            record_.raise(it->second);
    }
    mst::error_record& record_;
};

} // namespace core_test
