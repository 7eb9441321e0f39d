#include "sim/pod/scan_chain.h"

#include <stdexcept>

namespace sim {

TapDevice& ScanChain::add(std::unique_ptr<TapDevice> device) {
    return insert(slots_.size(), std::move(device));
}

TapDevice& ScanChain::insert(std::size_t index, std::unique_ptr<TapDevice> device) {
    if (!device) throw std::invalid_argument("scan chain: null device");
    if (index > slots_.size()) throw std::out_of_range("scan chain: insert index");
    // A device joins powered up: its TAP is in Test-Logic-Reset.
    device->reset();
    Slot slot;
    slot.device = std::move(device);
    auto it = slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index), std::move(slot));
    return *it->device;
}

bool ScanChain::serial_out(const Slot& slot) {
    if (slot.state == TapState::ShiftIr) return slot.ir_stage.empty() ? kFloatingTdo : slot.ir_stage.front();
    if (slot.state == TapState::ShiftDr) return slot.dr_stage.empty() ? kFloatingTdo : slot.dr_stage.front();
    return kFloatingTdo;
}

bool ScanChain::disconnected() const {
    for (const Slot& slot : slots_)
        if (slot.device->disconnected()) return true;
    return false;
}

bool ScanChain::tdo() const {
    if (slots_.empty() || disconnected()) return kFloatingTdo;
    return serial_out(slots_.back());
}

void ScanChain::enter(Slot& slot, TapState next) {
    const TapState previous = slot.state;
    slot.state = next;
    TapDevice& dev = *slot.device;
    switch (next) {
    case TapState::CaptureIr: {
        slot.ir_stage = dev.capture_ir();
        slot.ir_stage.resize(dev.ir_length(), false);
        break;
    }
    case TapState::CaptureDr:
        slot.dr_stage = dev.capture_dr();
        // A device must always put at least one bit between TDI and TDO.
        if (slot.dr_stage.empty()) slot.dr_stage.push_back(false);
        break;
    case TapState::UpdateIr: dev.update_ir(slot.ir_stage); break;
    case TapState::UpdateDr: dev.update_dr(slot.dr_stage); break;
    case TapState::TestLogicReset:
        if (previous != TapState::TestLogicReset) dev.reset();
        break;
    default: break;
    }
}

bool ScanChain::clock(bool tms, bool tdi) {
    const bool sampled = tdo();
    if (disconnected()) return sampled;
    ++clocks_;
    if (trst_) {
        // A board plugged back in while TRST is asserted joins the reset.
        hold_in_reset();
        return sampled;
    }

    // Every stage shifts on the same edge, so take all serial outputs first.
    bool input = tdi;
    for (Slot& slot : slots_) {
        const bool out = serial_out(slot);
        if (slot.state == TapState::ShiftIr) {
            slot.ir_stage.erase(slot.ir_stage.begin());
            slot.ir_stage.push_back(input);
        } else if (slot.state == TapState::ShiftDr) {
            slot.dr_stage.erase(slot.dr_stage.begin());
            slot.dr_stage.push_back(input);
        } else if (slot.state == TapState::RunTestIdle) {
            slot.device->on_idle_clock();
        }
        input = out;
    }
    for (Slot& slot : slots_) enter(slot, next_tap_state(slot.state, tms));
    return sampled;
}

void ScanChain::hold_in_reset() {
    for (Slot& slot : slots_) {
        if (slot.state == TapState::TestLogicReset) continue;
        slot.state = TapState::TestLogicReset;
        slot.device->reset();
    }
}

void ScanChain::set_trst(bool asserted) {
    trst_ = asserted;
    if (trst_ && !disconnected()) hold_in_reset();
}

void ScanChain::set_target_reset(bool asserted) {
    for (Slot& slot : slots_) slot.device->on_target_reset_line(asserted);
}

} // namespace sim
