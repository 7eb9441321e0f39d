// The simulated emulator board on its USB cable, seen from the device's side:
// the maker's kernel driver (its device interface, I/O control codes in both
// of its modes, read time-outs) and the board's firmware (its command
// protocol, boot loader and target firmware states, flash, signature,
// versions, serial number and board information), with the master traffic
// passed through to a simulated pod (sim/pod).
//
// It is portable: handles are small numbers and errors are Win32 error
// numbers (usb_codes.h). The seam in sim/host turns the Win32 calls of a
// loaded module (SetupDi*, CreateFileA, DeviceIoControl, ReadFile, WriteFile,
// CloseHandle) into calls of this class; unit tests call it directly.
//
// What the device assumes (the points the link leaves open, decided here):
// - Kernel driver modes. The version text (I/O control 0x22200C) holds "WDF"
//   in the WDF mode. In that mode data moves only by ReadFile/WriteFile and
//   the control codes 0x222002/0x222005 fail with ERROR_INVALID_FUNCTION; in
//   the other mode it is the reverse. 0x22201C, 0x22200C, 0x222010 and
//   0x222018 work in both. An unknown control code fails with
//   ERROR_INVALID_FUNCTION, an output buffer too small for the answer with
//   ERROR_INSUFFICIENT_BUFFER, a missing input with ERROR_INVALID_PARAMETER.
// - Time-outs. A read finds either a queued reply or nothing. Nothing means
//   the read waits its time-out (0x222010, 5000 ms until set; counted on the
//   device's virtual clock, never slept) and then: in the WDF mode ReadFile
//   fails with ERROR_SEM_TIMEOUT (121); in the other mode the control code
//   returns 0 bytes with success, or fails with ERROR_SEM_TIMEOUT when
//   `faults().non_wdf_timeout_fails` is set. Either way 0x222018 then
//   answers 258 until the next read that brings data.
// - Writes. One write call carries at most the out-buffer size the board
//   announces; a longer one fails with ERROR_INVALID_PARAMETER and is
//   dropped. The written bytes form one stream: a packet is a u32 length
//   (little-endian) and that many bytes; it is taken when complete, however
//   it was cut into writes. A failed write discards an incomplete packet (the
//   board drops a transfer that broke off). A length above 1 MiB is taken as
//   garbage: the stream is dropped and counted as a protocol error.
// - Board command or master traffic. A packet whose first u32, with bits
//   24-28 (the sequence number) masked off, is one of the board's command
//   codes (usb_codes.h, board::is_command) is a board command. Every other
//   packet is master traffic: its bytes are the master library's request and
//   go to the pod unchanged; the pod's reply comes back as a u32 length and
//   the reply bytes. The master protocol's words cannot be mistaken for
//   board codes: their low 24 bits are 0x...903/0x...90x or 0xFFFFFF.
// - Replies are queued in packet order. A read takes at most what it asks
//   for; the rest of a reply stays for the next read. A board reply is a u32
//   length, the status word (the command word as received, sequence number
//   included, on success; 0xE0000006 when refused) and the reply data.
// - The board refuses (0xE0000006) a command with missing parameters, a
//   guarded command whose key is not 0xFF12FF01, the flash commands while the
//   target firmware runs, and master traffic and the board-information
//   command while the boot loader runs.
// - Restarts. RESET_TARGET and FLASH_INIT answer first; once their reply has
//   been read the board restarts into its boot loader: every open handle dies
//   (calls on it fail with ERROR_DEVICE_NOT_CONNECTED) and the device comes
//   back at once under `identity.boot_loader_path` (the same path unless a
//   test sets another). START_TARGET leaves the boot loader without a restart.
// - Firmware current. By default the board runs its target firmware (BOOT_BIT
//   clear) and reports a signature with a firmware file name that is not
//   installed, so a connect keeps the current firmware. A test that installs
//   a file can set `firmware.signature` to the file's signature instead.
// - The debug trace (RD_DEBUG_TRACE) holds one entry per board command and
//   master exchange: command word, its first parameter, reply word, the
//   first u32 of reply data, packet length (A), reply length (B) and the
//   virtual time in microseconds. A reply carries the newest entries that fit
//   the in-buffer.
// - The board information is scrambled with the board's generator
//   (state = state x 22695477 + 1, value = (state >> 16) & 0x7FFF, each byte
//   XOR the value's low byte), started with the seed it sends.
// - The read time-out belongs to the kernel driver: the pod never sees it.
//   Each read or write call costs `transfer_latency_us` of virtual time (0
//   unless a test or benchmark sets it).
// - A pod reply longer than the master's reply area (a pod fault) goes out
//   at its true length, the bytes past the area zero.
// - Unplugging (disconnect()) kills every handle and takes the device off the
//   bus; plugging back (reconnect()) brings a board that has restarted: its
//   boot state is the configured one, the pod and target keep their state.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/pod/pod.h"
#include "sim/usb/usb_codes.h"

namespace sim::usb {

// The interface class the kernel driver registers its devices under.
inline constexpr char kInterfaceGuidText[] = "{A5DCBF10-6530-11D2-901F-00C04FB951ED}";
inline constexpr char kServiceName[] = "KVUSBDEV";

struct DeviceIdentity {
    std::string path = "\\\\?\\usb#vid_1d6b&pid_0c54#voq00017#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    std::string boot_loader_path; // empty: the boot loader enumerates under `path`
    std::string service = kServiceName;
    std::string description = "VOQ JTAG Emulator";
    std::string location = "Port_#0002.Hub_#0001";
    std::string manufacturer = "Korvan";
    std::uint32_t dev_inst = 0x00010C54;
};

// Another USB device on the bus, of another service; it cannot be opened.
struct ForeignDevice {
    std::string path;
    std::string service;
    std::string description;
};

struct FirmwareState {
    std::uint32_t signature = 0x5A3C7E21;
    std::string file_name = "VOQ54xx.trg"; // not installed: the firmware counts as current
    std::string text = "VOQ-54xx";                  // empty: the board gives no serial
    std::vector<std::uint8_t> status_bytes = {0x00};
    std::uint32_t boot_version = 0x00010007;        // 1.07
    std::string boot_text = "VOQ boot loader";
    std::uint32_t target_version = 0x00020011;      // 2.17
    std::string target_text = "VOQ-54xx target firmware";
    std::vector<std::uint8_t> serial = {'V', 'Q', '5', '4', '0', '0', '1', '7'};
};

struct BoardInfoConfig {
    bool supported = true;              // false: answered 0xE0000006
    std::uint32_t flash_status = 0;     // non-zero: only the status is sent
    std::uint32_t seed = 0x2F6B1D03;
    std::vector<std::uint8_t> bytes;    // empty: 48 bytes with "VQ54-000017" at byte 12
};

struct DeviceConfig {
    DeviceIdentity identity;
    std::vector<ForeignDevice> foreign; // listed before the board
    bool wdf = true;
    std::string version_text;           // empty: a text for the mode
    std::uint16_t in_buffer_size = 4096;
    std::uint16_t out_buffer_size = 512;
    std::uint32_t exchange_value = 0x00000001; // SET_EXCHANGE's first reply word
    bool starts_in_boot_loader = false;
    std::uint32_t status_bits = 0;      // GET_STATUS bits besides BOOT_BIT
    FirmwareState firmware;
    BoardInfoConfig board_info;
    std::uint32_t default_timeout_ms = 5000;
    std::uint32_t transfer_latency_us = 0; // virtual time each read or write call costs
};

// A fault on one reply, or on every reply to one board command.
struct ReplyFault {
    enum class Kind {
        NoReply,       // nothing is queued: the read times out
        NotSupported,  // status (board) or reply word 0 (master) 0xE0000006
        Short,         // the reply is cut to `value` bytes, length field kept
        Overlong,      // `value` bytes 0xA5 appended, counted in the length field
        LengthField,   // the length field says `value`, the bytes are kept
        OtherSequence, // the status carries the next sequence number (board)
        Status,        // status word (board) or reply word 0 (master) := value
    };
    Kind kind = Kind::NoReply;
    std::uint32_t value = 0;
};

enum class Traffic { Any, Board, Master };

// What happens to one write call.
struct WriteFault {
    enum class Kind {
        Fail,       // the call fails (ERROR_GEN_FAILURE), nothing arrives
        Short,      // success, but only `value` bytes arrive and are reported
        Disconnect, // the board is pulled during the call
    };
    Kind kind = Kind::Fail;
    std::uint32_t value = 0;
};

// Faults set by tests; those counted "from now" count calls of their kind
// made after they were set (1 = the next one).
struct DeviceFaults {
    bool enumeration_fails = false;     // SetupDiGetClassDevsA fails
    bool handle_unusable = false;       // 0x22201C answers 0xC0000008
    bool non_wdf_timeout_fails = false; // see the header comment
    bool stay_in_boot_loader = false;   // START_TARGET keeps BOOT_BIT
    std::map<std::uint32_t, std::uint32_t> flash_status; // command code -> flash status
};

using Handle = std::uint32_t; // 0 is no handle

struct IoResult {
    bool ok = false;
    std::uint32_t bytes = 0;
    std::uint32_t error = 0; // Win32 error number when !ok
};

struct OpenResult {
    Handle handle = 0;
    std::uint32_t error = 0;
};

struct BusEntry {
    std::string path;
    std::string service;
    std::string description;
    std::string location;
    std::string manufacturer;
    std::uint32_t dev_inst = 0;
    bool board = false;
};

struct IoRecord {
    enum class Kind { Open, Close, Control, Read, Write };
    Kind kind = Kind::Open;
    std::uint32_t code = 0;        // control code
    std::uint32_t requested = 0;   // bytes asked for or offered
    std::uint32_t transferred = 0;
    bool ok = false;
    std::uint32_t error = 0;
};

struct PacketRecord {
    bool board = false;
    std::uint32_t command_word = 0; // first u32 of the packet body (board: code | sequence)
    std::uint32_t code = 0;         // command word & 0xE0FFFFFF
    std::uint8_t sequence = 0;      // bits 24-28 of the command word
    std::vector<std::uint8_t> body; // the bytes after the length field
    bool answered = false;
    std::uint32_t reply_word = 0;   // board: status sent; master: reply word 0
    std::uint32_t reply_bytes = 0;  // whole reply as queued, length field included
};

struct UsbLog {
    std::vector<IoRecord> io;
    std::vector<PacketRecord> packets;
    std::map<std::uint32_t, std::uint64_t> ioctls; // by control code
    std::vector<std::uint32_t> timeouts_set;
    std::uint64_t opens = 0, failed_opens = 0, closes = 0;
    std::uint64_t reads = 0, writes = 0;           // data calls of either mode
    std::uint64_t bytes_written = 0, bytes_read = 0;
    std::uint64_t read_timeouts = 0;
    std::uint64_t board_commands = 0, master_exchanges = 0;
    std::uint64_t protocol_errors = 0;
    std::uint64_t restarts = 0;

    std::vector<std::uint32_t> board_codes() const; // codes of the board packets in order
    void clear() { *this = UsbLog{}; }
};

class SimUsbDevice {
public:
    // `pod` receives the master traffic and must outlive the device.
    explicit SimUsbDevice(Pod& pod, const DeviceConfig& config = DeviceConfig{});

    // ---- The platform's view (what the seam calls) ----
    std::vector<BusEntry> enumerate() const;
    bool owns_path(std::string_view path) const; // a path of the board or a foreign device
    OpenResult open(std::string_view path);
    IoResult close(Handle handle);
    IoResult control(Handle handle, std::uint32_t code, const void* in, std::uint32_t in_len, void* out,
                     std::uint32_t out_len);
    IoResult read_file(Handle handle, void* buffer, std::uint32_t count);
    IoResult write_file(Handle handle, const void* buffer, std::uint32_t count);

    // ---- Test control ----
    DeviceConfig& config() { return config_; }
    DeviceFaults& faults() { return faults_; }
    const UsbLog& log() const { return log_; }
    UsbLog& log() { return log_; }
    Pod& pod() { return pod_; }

    void set_present(bool present); // absent: not listed, opens fail (no board)
    bool present() const { return present_; }
    void disconnect();              // pulled: handles die, off the bus
    void reconnect();               // plugged back: a fresh board

    // The n-th reply from now (of the traffic given) gets `fault`.
    void fault_reply(std::uint32_t nth, ReplyFault fault, Traffic traffic = Traffic::Any);
    // Every reply to board command `code` gets `fault` (`times` of them).
    void fault_command(std::uint32_t code, ReplyFault fault, std::uint32_t times = 0xFFFFFFFF);
    void clear_reply_faults();
    // The k-th write call from now (either mode) gets `fault`.
    void fault_write(std::uint32_t kth, WriteFault fault = {});
    // The k-th read call from now finds the board pulled.
    void disconnect_on_read(std::uint32_t kth);
    // The board is pulled when the n-th master packet from now has arrived:
    // the request went out, its reply never comes (a block read cut off).
    void disconnect_on_master_packet(std::uint32_t nth);
    // After `skip` more successful opens, the next `count` opens fail with
    // ERROR_FILE_NOT_FOUND (re-opens failing: skip = 0 once the first is done).
    void fail_opens(std::uint32_t count, std::uint32_t skip = 0);

    // ---- Board state, for assertions ----
    bool in_boot_loader() const { return boot_loader_; }
    std::uint32_t timeout_ms() const { return timeout_ms_; }
    std::uint64_t now_ms() const { return now_us_ / 1000; }
    std::uint64_t now_us() const { return now_us_; }
    std::size_t open_handles() const;
    std::string current_path() const;
    const std::map<std::uint32_t, std::vector<std::uint8_t>>& flash() const { return flash_; }
    std::uint32_t flash_inits() const { return flash_inits_; }
    std::uint32_t target_starts() const { return target_starts_; }
    std::size_t pending_reply_bytes() const;
    // Synthetic entries put before the real ones in the next debug traces.
    void pad_debug_trace(std::uint32_t entries) { debug_padding_ = entries; }

private:
    using Bytes = std::vector<std::uint8_t>;
    struct OpenHandle {
        std::uint64_t epoch = 0;
    };
    struct DebugEntry {
        std::uint32_t command_word, command_value, reply_word, reply_value, a, b, time_us;
    };
    struct CommandFault {
        ReplyFault fault;
        std::uint32_t left;
    };

    std::optional<IoResult> check_handle(Handle handle, IoRecord::Kind kind, std::uint32_t code,
                                         std::uint32_t requested);
    IoResult finish(IoRecord record, IoResult result);
    IoResult data_read(Handle handle, IoRecord::Kind kind, std::uint32_t code, void* buffer,
                       std::uint32_t count);
    IoResult data_write(Handle handle, IoRecord::Kind kind, std::uint32_t code, const void* buffer,
                        std::uint32_t count);
    void take_bytes(const std::uint8_t* data, std::uint32_t count);
    void dispatch(Bytes body);
    std::optional<Bytes> board_command(PacketRecord& record, const Bytes& body);
    std::optional<Bytes> master_exchange(PacketRecord& record, const Bytes& body);
    void queue_reply(PacketRecord& record, std::optional<Bytes> reply);
    std::optional<ReplyFault> next_reply_fault(bool board, std::uint32_t code);
    Bytes board_info_reply() const;
    Bytes debug_trace_reply() const;
    void restart_board();
    void pull_board();
    std::string version_text() const;

    Pod& pod_;
    DeviceConfig config_;
    DeviceFaults faults_;
    UsbLog log_;

    bool present_ = true;
    bool boot_loader_ = false;
    bool restart_pending_ = false;
    bool last_read_timed_out_ = false;
    std::uint64_t epoch_ = 1;
    Handle next_handle_ = 1;
    std::map<Handle, OpenHandle> handles_;
    std::uint32_t timeout_ms_ = 5000;
    std::uint64_t now_us_ = 0;

    struct QueuedReply {
        Bytes bytes;
        bool restart_after = false; // the board restarts once this was read
    };
    Bytes stream_;                      // written bytes of the packet in progress
    std::deque<QueuedReply> replies_;   // queued replies, front first

    std::map<std::uint32_t, std::vector<std::uint8_t>> flash_;
    std::uint32_t flash_inits_ = 0;
    std::uint32_t target_starts_ = 0;
    std::vector<DebugEntry> debug_trace_;
    std::uint32_t debug_padding_ = 0;

    // Fault schedules: absolute call or reply numbers.
    std::uint64_t replies_made_[3] = {0, 0, 0}; // Any, Board, Master
    std::map<std::pair<int, std::uint64_t>, ReplyFault> reply_faults_;
    std::map<std::uint32_t, CommandFault> command_faults_;
    std::uint64_t write_calls_ = 0;
    std::map<std::uint64_t, WriteFault> write_faults_;
    std::uint64_t read_calls_ = 0;
    std::optional<std::uint64_t> disconnect_read_;
    std::uint64_t master_packets_ = 0;
    std::optional<std::uint64_t> disconnect_master_;
    std::uint32_t open_skip_ = 0;
    std::uint32_t open_failures_ = 0;
};

// The board's byte scrambler (board information): XORs each byte with the
// low byte of the generator's next value.
class BoardScrambler {
public:
    explicit BoardScrambler(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 22695477u + 1u;
        return (state_ >> 16) & 0x7FFFu;
    }
    void apply(std::uint8_t* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) bytes[i] ^= static_cast<std::uint8_t>(next() & 0xFF);
    }

private:
    std::uint32_t state_;
};

} // namespace sim::usb
