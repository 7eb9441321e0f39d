#include "sim/pod/cortex_m_target.h"

namespace sim {

namespace {

struct PartDefaults {
    std::uint32_t jtag_idcode, dpidr, wrap;
    unsigned fpb_code, fpb_lit, dwt;
};

PartDefaults defaults(CortexMPart part) {
    switch (part) {
    case CortexMPart::M0: return {0x0BB11477, 0x0BB11477, 1024, 4, 0, 2};
    case CortexMPart::M1: return {0x0BB11477, 0x0BB11477, 1024, 2, 0, 1};
    case CortexMPart::M3:
    case CortexMPart::M4: break;
    }
    return {0x4BA00477, 0x2BA01477, 4096, 6, 2, 4};
}

CortexMFpbConfig fpb_config(const CortexMTargetConfig& c) {
    const PartDefaults d = defaults(c.part);
    CortexMFpbConfig f;
    f.code_comparators = c.fpb_code_comparators.value_or(d.fpb_code);
    f.literal_comparators = d.fpb_lit;
    f.v6m = cortex_m_is_v6m(c.part);
    return f;
}

CortexMDwtConfig dwt_config(const CortexMTargetConfig& c) {
    CortexMDwtConfig d;
    d.comparators = c.dwt_comparators.value_or(defaults(c.part).dwt);
    d.v6m = cortex_m_is_v6m(c.part);
    d.data_value_comparator = d.v6m ? -1 : 1;
    return d;
}

CortexMCoreConfig core_config(const CortexMTargetConfig& c) {
    CortexMCoreConfig k;
    k.part = c.part;
    k.cpuid = c.cpuid.value_or(0);
    k.regrdy_latency = c.regrdy_latency;
    return k;
}

ArmMemApConfig ap_config(const CortexMTargetConfig& c) {
    ArmMemApConfig a;
    a.wrap_bytes = defaults(c.part).wrap;
    if (cortex_m_is_v6m(c.part)) a.idr = 0x04770021;
    return a;
}

ArmDpConfig dp_config(const CortexMTargetConfig& c) {
    ArmDpConfig d;
    d.dpidr = c.dpidr.value_or(defaults(c.part).dpidr);
    d.power_ack_latency = c.power_ack_latency;
    return d;
}

ArmBus& with_memory(ArmBus& bus, const CortexMTargetConfig& c) {
    bus.add_memory(CortexMTarget::kFlashBase, c.flash_size);
    bus.add_memory(CortexMTarget::kSramBase, c.sram_size);
    return bus;
}

} // namespace

CortexMTarget::CortexMTarget(const CortexMTargetConfig& config)
    : config_(config), fpb_(fpb_config(config)), dwt_(dwt_config(config)),
      core_(with_memory(bus_, config), fpb_, dwt_, core_config(config)), mem_ap_(bus_, ap_config(config)),
      dp_(dp_config(config)), sw_dp_(dp_, ArmSwDpConfig{config.starts_in_swd}), line_(sw_dp_),
      jtag_idcode_(config.jtag_idcode.value_or(defaults(config.part).jtag_idcode)) {
    bus_.map_device(CortexMCore::kScsBase, CortexMCore::kScsSize, core_);
    bus_.map_device(CortexMDwt::kBase, 0x1000, dwt_);
    bus_.map_device(CortexMFpb::kBase, 0x1000, fpb_);
    dp_.attach_ap(0, mem_ap_);
}

std::unique_ptr<ArmJtagDp> CortexMTarget::make_jtag_dp() {
    auto tap = std::make_unique<ArmJtagDp>(dp_, ArmJtagDpConfig{jtag_idcode_});
    tap->set_swj(&sw_dp_);
    return tap;
}

void CortexMTarget::on_exchange() {
    ++exchanges_;
    if (reset_in_) {
        if (*reset_in_ == 0) {
            reset_in_.reset();
            core_.inject_reset();
        } else {
            --*reset_in_;
        }
    }
    core_.advance(config_.instructions_per_exchange);
}

ArmViolations CortexMTarget::violations() const {
    ArmViolations all = line_.violations();
    for (const ArmViolations* part : {&sw_dp_.violations(), &mem_ap_.violations(), &core_.violations()})
        all.insert(all.end(), part->begin(), part->end());
    return all;
}

} // namespace sim
