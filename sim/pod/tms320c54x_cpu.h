// The TMS320C54x core of the simulated target: three 64K-word memories, the
// registers the emulation logic reaches, and a behavioural executor for the
// few instructions the debugger feeds and the test programs use. Not cycle
// accurate: one call executes one whole instruction.
//
// Instruction encodings follow the public TMS320C54x mnemonic instruction
// set; operand words follow the opcode in the order listed:
//   NOP              0xF495              ESTOP             0xF4F0
//   RPT #lku         0xF070, lku         RPT #K            0xEC00 | K
//   B pmad           0xF073, pmad        BANZ pmad, Sind   0x6C00 | Sind, pmad
//   LD Smem, dst     0x1000 | D<<8 | Smem
//   LD #K, dst       0xE800 | D<<8 | K   (K unsigned 8 bits)
//   ADD Smem, src    0x0000 | S<<8 | Smem
//   SUB Smem, src    0x0800 | S<<8 | Smem
//   ADD #lk, SHFT, src, dst  0xF000 | S<<9 | D<<8 | SHFT, lk
//   STL src, Smem    0x8000 | S<<8 | Smem
//   STH src, Smem    0x8400 | S<<8 | Smem
//   ST #lk, Smem     0x7600 | Smem, lk   STM #lk, MMR      0x7700 | MMR, lk
//   MVKD dmad, Smem  0x7000 | Smem, dmad MVDK Smem, dmad   0x7100 | Smem, dmad
//   MVPD pmad, Smem  0x7C00 | Smem, pmad MVDP Smem, pmad   0x7D00 | Smem, pmad
//   PORTR PA, Smem   0x7400 | Smem, PA   PORTW Smem, PA    0x7500 | Smem, PA
// Smem (low 7 bits plus I at bit 7): I = 0 direct, the 7-bit offset added to
// DP x 128 (CPL = 0) or to SP (CPL = 1); I = 1 indirect through AR(bits 2-0)
// with MOD (bits 6-3) 0 *ARx, 1 *ARx-, 2 *ARx+, 3 *+ARx. Any other encoding
// or addressing mode is undefined here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

enum class C54xSpace : std::uint8_t { Program, Data, Io };

// Data addresses with a fixed meaning to the core.
namespace c54x_addr {
inline constexpr std::uint16_t kSt0 = 0x06;  // DP in bits 8-0
inline constexpr std::uint16_t kSt1 = 0x07;  // BRAF bit 15, CPL bit 14, SXM bit 8
inline constexpr std::uint16_t kAl = 0x08;   // A: AL, AH, AG (AG holds bits 39-32)
inline constexpr std::uint16_t kBl = 0x0B;   // B: BL, BH, BG
inline constexpr std::uint16_t kAr0 = 0x10;  // AR0..AR7 at 0x10..0x17
inline constexpr std::uint16_t kSp = 0x18;
inline constexpr std::uint16_t kPmst = 0x1D;
// The emulation transfer register as the core sees it: the fed block moves
// go through this address (direct offset 0x3F with DP = 0).
inline constexpr std::uint16_t kEtdr = 0x3F;
} // namespace c54x_addr

struct C54xAccess {
    C54xSpace space;
    bool write;
    std::uint16_t address;
};

class C54xAccessObserver {
public:
    virtual ~C54xAccessObserver() = default;
    virtual void on_access(const C54xAccess& access) = 0;
};

class C54xCpu {
public:
    static constexpr std::size_t kSpaceWords = 0x10000;
    static constexpr std::uint16_t kResetVector = 0xFF80;  // IPTR = 0x1FF
    static constexpr std::uint16_t kOpEstop = 0xF4F0;
    static constexpr std::uint16_t kOpNop = 0xF495;
    static constexpr std::uint16_t kOpRptLong = 0xF070;

    enum class Outcome : std::uint8_t { Completed, Estop, Undefined };

    struct Effect {
        Outcome outcome = Outcome::Completed;
        std::uint16_t length = 1;                 // words of the instruction
        std::optional<std::uint16_t> branch;      // taken branch target
    };

    C54xCpu();

    // Core reset: registers to their reset values, memories kept.
    void reset();

    // Registers that the emulation keeps in its scan pools.
    std::uint16_t pc = kResetVector;
    std::uint16_t dp = 0;       // 9 bits
    bool cpl = false;
    bool braf = false;
    // The emulation transfer register (scan register "ETDR", data 0x3F).
    std::uint16_t etdr = 0;

    // Executions the next instruction gets from a repeat (RC + 1); 0: none.
    std::uint32_t pending_repeat = 0;

    // Memory as the core's buses see it: data 6, 7 and 0x3F compose the
    // pooled DP, CPL and BRAF and the transfer register.
    std::uint16_t read(C54xSpace space, std::uint16_t address) const;
    void write(C54xSpace space, std::uint16_t address, std::uint16_t value);

    // The memory words themselves, as a test loads or inspects them.
    std::vector<std::uint16_t>& memory(C54xSpace space);
    const std::vector<std::uint16_t>& memory(C54xSpace space) const;

    std::int64_t accumulator(bool b) const;
    void set_accumulator(bool b, std::int64_t value);

    // One execution of the instruction in `words` (opcode first). Within a
    // repeat, `repetition` counts the executions so far; block moves add it
    // to their long address. A repeat instruction sets pending_repeat.
    Effect execute(const std::array<std::uint16_t, 3>& words, unsigned repetition);

    // The instruction at PC with all its repetitions; PC moves past it or
    // to the branch target (an undefined instruction leaves PC on it).
    Effect step();

    // Operand accesses (not instruction fetches) are reported here.
    void set_observer(C54xAccessObserver* observer) { observer_ = observer; }

private:
    std::uint16_t smem_address(std::uint8_t smem, bool* ok);
    std::uint16_t access_read(C54xSpace space, std::uint16_t address);
    void access_write(C54xSpace space, std::uint16_t address, std::uint16_t value);
    std::int64_t extend(std::uint16_t value) const;
    bool sxm() const;

    std::vector<std::uint16_t> program_;
    std::vector<std::uint16_t> data_;
    std::vector<std::uint16_t> io_;
    C54xAccessObserver* observer_ = nullptr;
};

} // namespace sim
