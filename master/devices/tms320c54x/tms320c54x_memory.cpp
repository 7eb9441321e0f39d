// Program, data and I/O memory through instructions fed to the halted DSP.
#include <algorithm>
#include <cstring>
#include <vector>

#include "master/core/error_record.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

// Data addresses the emulation keeps in the saved context while halted.
constexpr uint16_t st0_address = 6;      // DP in bits 0-8
constexpr uint16_t st1_address = 7;      // CPL bit 14, BRAF bit 15
constexpr uint16_t etdr_address = 0x3F;
constexpr uint16_t dp_bits = 0x1FF;
constexpr uint16_t cpl_bit = 0x4000;
constexpr uint16_t braf_bit = 0x8000;

// Log entries one word of a block adds at most. The log exchanges the batch
// by itself when it fills; that must not fall between a register's scan and
// the checker that takes over its entry. (Request and reply room is the
// execute's to keep; a scan never exchanges after it queued its entry.)
constexpr uint32_t word_log_entries = 16;

uint16_t at(uint32_t address, uint32_t i) { return static_cast<uint16_t>(address + i); }

void room_for_word(trn_prot& prot)
{
    if (prot.log().size() + word_log_entries >= pending_log::capacity)
        prot.end_batch();
}

} // namespace

void TMS320C54x_jtag_device::ensure_access()
{
    if (has(c54x_state::running))
        raise_error(engine().prot().record(), rc::access_in_run);
    check_mode();
    save_context();
}

void TMS320C54x_jtag_device::read_block(uint16_t* words, uint32_t count, uint32_t address,
                                        uint16_t instruction)
{
    trn_prot& prot = engine().prot();
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(count - done, max_block_words);
        feed(repeat_instruction, static_cast<uint16_t>(n - 1));
        feed(instruction, at(address, done));
        data_checker.out = words + done;
        data_checker.end = words + done + n;
        for (uint32_t i = 0; i < n; ++i) {
            room_for_word(prot);
            execute();
            etdr.scan(scan_mode::read);
            prot.log().take_over_read(data_checker, &etdr);
        }
        prot.end_batch();
        const bool complete = data_checker.out == data_checker.end;
        data_checker.out = data_checker.end = nullptr;
        // Every word has its reply entry; one missing would leave stale
        // words in the caller's buffer.
        if (!complete)
            raise_error(prot.record(), rc::internal_failure);
        done += n;
    }
}

void TMS320C54x_jtag_device::write_block(const uint16_t* words, uint32_t count,
                                         uint32_t address, uint16_t instruction)
{
    trn_prot& prot = engine().prot();
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(count - done, max_block_words);
        feed(repeat_instruction, static_cast<uint16_t>(n - 1));
        feed(instruction, at(address, done));
        for (uint32_t i = 0; i < n; ++i) {
            room_for_word(prot);
            etdr.force_set(words[done + i]);
            execute();
        }
        prot.end_batch();
        done += n;
    }
}

void TMS320C54x_jtag_device::write_program(const uint16_t* words, uint32_t count,
                                           uint32_t address)
{
    if (through_microcontroller_ && microcontroller != nullptr)
        microcontroller->write_program(words, count, address);
    else
        write_block(words, count, address, program_write_instruction);
}

void TMS320C54x_jtag_device::fix_read(uint16_t* words, uint32_t count, uint32_t address) const
{
    for (uint32_t i = 0; i < count; ++i) {
        switch (at(address, i)) {
        case st0_address:
            words[i] = static_cast<uint16_t>((words[i] & ~dp_bits) | (saved_dp & dp_bits));
            break;
        case st1_address:
            words[i] = static_cast<uint16_t>((words[i] & ~(cpl_bit | braf_bit)) | saved_cpl |
                                             saved_braf);
            break;
        case etdr_address:
            words[i] = saved_etdr;
            break;
        default:
            break;
        }
    }
}

void TMS320C54x_jtag_device::fix_write(uint16_t* words, uint32_t count, uint32_t address)
{
    for (uint32_t i = 0; i < count; ++i) {
        switch (at(address, i)) {
        case st0_address:
            saved_dp = static_cast<uint16_t>(words[i] & dp_bits);
            words[i] = static_cast<uint16_t>(words[i] & ~dp_bits);
            break;
        case st1_address:
            saved_cpl = static_cast<uint16_t>(words[i] & cpl_bit);
            saved_braf = static_cast<uint16_t>(words[i] & braf_bit);
            words[i] = static_cast<uint16_t>(words[i] & ~(cpl_bit | braf_bit));
            break;
        case etdr_address:
            saved_etdr = words[i];
            break;
        default:
            break;
        }
    }
}

uint32_t TMS320C54x_jtag_device::patch(uint16_t* words, uint32_t count, uint32_t address,
                                       bool opcode) const
{
    uint32_t changed = 0;
    for (const sw_break& b : sw_breaks) {
        // Every index of the range that lands on the breakpoint (a range
        // longer than the space wraps onto it more than once).
        for (uint32_t i = static_cast<uint16_t>(b.address - address); i < count; i += 0x10000u) {
            if (opcode) {
                if (words[i] != c54x_break::opcode) {
                    words[i] = c54x_break::opcode;
                    ++changed;
                }
            } else if (words[i] == c54x_break::opcode) {
                words[i] = b.saved;
                ++changed;
            }
        }
    }
    return changed;
}

void TMS320C54x_jtag_device::read_space(uint16_t* words, uint32_t count, uint32_t address,
                                        uint32_t space)
{
    switch (space) {
    case c54x_space::program:
    case c54x_space::program_alias:
        read_block(words, count, address, program_read_instruction);
        patch(words, count, address, false);
        break;
    case c54x_space::data:
        read_block(words, count, address, data_read_instruction);
        fix_read(words, count, address);
        break;
    default: {
        trn_prot& prot = engine().prot();
        data_checker.out = words;
        data_checker.end = words + count;
        for (uint32_t i = 0; i < count; ++i) {
            room_for_word(prot);
            feed(io_read_instruction, at(address, i));
            room_for_word(prot);
            etdr.scan(scan_mode::read);
            prot.log().take_over_read(data_checker, &etdr);
        }
        prot.end_batch();
        const bool complete = data_checker.out == data_checker.end;
        data_checker.out = data_checker.end = nullptr;
        if (!complete)
            raise_error(prot.record(), rc::internal_failure);
        break;
    }
    }
}

void TMS320C54x_jtag_device::write_space(uint16_t* words, uint32_t count, uint32_t address,
                                         uint32_t space)
{
    switch (space) {
    case c54x_space::program:
    case c54x_space::program_alias: {
        // The new words replace whatever a breakpoint saved there.
        const uint32_t first = address;
        sw_breaks.remove_if([&](const sw_break& b) {
            return count >= 0x10000u || static_cast<uint16_t>(b.address - first) < count;
        });
        write_program(words, count, address);
        break;
    }
    case c54x_space::data:
        fix_write(words, count, address);
        write_block(words, count, address, data_write_instruction);
        break;
    default: {
        trn_prot& prot = engine().prot();
        for (uint32_t i = 0; i < count; ++i) {
            room_for_word(prot);
            etdr.force_set(words[i]);
            feed(io_write_instruction, at(address, i));
        }
        prot.end_batch();
        break;
    }
    }
}

namespace {

void check_space(error_record& record, uint32_t space)
{
    if (space <= c54x_space::program_alias)
        return;
    set_param(record, 0, space);
    raise_error(record, rc::memory_type);
}

} // namespace

void TMS320C54x_jtag_device::read_memory(void* buffer, uint32_t count, uint32_t address,
                                         uint32_t space)
{
    check_space(engine().prot().record(), space);
    ensure_access();
    if (count == 0)
        return;
    std::vector<uint16_t> words(count);
    read_space(words.data(), count, address & 0xFFFFu, space);
    std::memcpy(buffer, words.data(), count * sizeof(uint16_t));
}

void TMS320C54x_jtag_device::write_memory(const void* buffer, uint32_t count, uint32_t address,
                                          uint32_t space)
{
    check_space(engine().prot().record(), space);
    ensure_access();
    if (count == 0)
        return;
    // The fix-ups work on a copy: the caller's words stay as given.
    std::vector<uint16_t> words(count);
    std::memcpy(words.data(), buffer, count * sizeof(uint16_t));
    write_space(words.data(), count, address & 0xFFFFu, space);
}

} // namespace mst
