// Memory reads and writes of the Cortex-M device through the master object,
// against the simulated pod with a simulated Cortex-M (an M3) over JTAG (its
// debug port alone on the chain) or over Serial Wire Debug. One iteration is
// one read_memory or write_memory call of 1 KB, 64 KB or 1 MB on the halted
// core, at a word-aligned address below 0x40000000 (reads go through the
// memory cache's 1 KB blocks, as a host's do). Pauses cost nothing.
//
// Counters:
//  - exch/KB: pod exchanges per KB moved;
//  - short_exch: exchanges per call whose request is under 64 units, the
//    single transfers whose answer the next step waits for;
//  - xfer/exch: debug-port transactions (DP and AP accesses the target
//    carried out) per exchange;
//  - tck/KB: clocks the pod drove (TCK in JTAG, SWCLK in Serial Wire Debug);
//  - req_fill, rep_fill: how full the batches were, as a fraction of the
//    request (2002 units) and reply (1002 units) room of one batch;
//  - ideal_exch: the fewest exchanges per call the two buffers permit for
//    the units this transfer sent and received (control requests alone);
//  - log_exch: the fewest the 280-entry pending log permits for the waiters
//    the call queued (one per word);
//  - forced_exch: the fewest exchanges the call's own steps leave (see
//    forced_exchanges below); exch/forced: exchanges per call against it;
//  - B/s@125us, B/s@1ms: bytes per second the link would carry at that
//    latency per exchange plus the wire time at the fastest clock
//    (18 MHz); bound@125us, bound@1ms: the same with ideal_exch exchanges,
//    the bound the buffers and the wire clock set on the same run;
//  - cpu/KB: host CPU time per KB (engine and simulator together).
//
// BM_EngineRead and BM_EngineWrite run the same calls with the simulator
// taken out: the replies of one call against the simulated pod are kept,
// and every measured call gets them back in order from a transport that
// does nothing else (the engine's requests are the same each call). Their
// cpu/word and cpu/exch are the engine's alone; cpu%link is that CPU time
// against the link time of the same call (exchanges at 125 us plus the
// wire time at the fastest clock).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "master/jtag/jtag.h"
#include "master/master.h"
#include "master/master_config.h"
#include "sim/pod/cortex_m_target.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

namespace {

constexpr uint32_t region = 0x10000000;
constexpr uint32_t region_bytes = 0x110000;
constexpr double batch_request_units = mst::trn_prot::request_units - 2;
constexpr double batch_reply_units = mst::trn_prot::reply_units - 2;
constexpr double fast_hz = 18e6;

void no_pause(uint32_t) {}

template <class Op>
void framed(const char* what, Op&& op)
{
    mst::error_record& record = mst::the_error_record();
    record.begin_call();
    try {
        op();
    } catch (const mst::call_abandoned&) {
    }
    if (record.has_error()) {
        std::fprintf(stderr, "%s: code %08X\n", what, record.code);
        std::exit(1);
    }
}

// Pending-log entries of every batch sent: each word's waiter is one, and
// the log holds 280.
uint64_t log_entries_sent = 0;

uint32_t counting_send(const void* data, uint32_t byte_count)
{
    log_entries_sent += mst::the_prot().log().size();
    if (getenv("TRACE")) fprintf(stderr, "\n[%u]", byte_count / 2);
    return sim::SendTargetRequest(data, byte_count);
}

// A pod with a Cortex-M on one wire, brought up through the master.
struct setup {
    explicit setup(bool swd)
    {
        pod.attach_arm_target(&target);
        target.bus().add_memory(region, region_bytes);
        target.bus().poke32(0x4, 0x101);
        target.bus().poke16(0x100, 0xE7FE);
        if (!swd)
            pod.chain().add(target.make_jtag_dp());
        SendTargetRequest = counting_send;
        GetTargetReply = sim::GetTargetReply;
        SetTargetTimeout = sim::SetTargetTimeout;
        mst::the_error_record().clear_without_recovery();
        mst::the_error_record().held_code = 0;
        mst::the_jtag().forget_state();
        mst::the_jtag().wire_mode = 0;
        mst::set_pause_hook(no_pause);
        master = std::make_unique<mst::master>();

        mst::MasterConfig c;
        std::memset(&c, 0, sizeof c);
        c.wire_mode = swd ? 1 : 0;
        c.wire_mode_2 = c.wire_mode;
        c.clock_start = 0;
        c.line_select = 1;
        c.set_selector = 1;
        c.positions_given = 1;
        c.target_devices = 1;
        c.target_ir_length = 4;
        framed("select", [&] { master->select_by_ide_code(mst::ide::cortex_m); });
        framed("init", [&] { master->init(); });
        framed("set_config", [&] { master->set_config(mst::master_config_size, &c); });
    }
    ~setup()
    {
        master.reset();
        mst::the_error_record().clear_without_recovery();
        mst::the_jtag().forget_state();
        SendTargetRequest = nullptr;
        GetTargetReply = nullptr;
        SetTargetTimeout = nullptr;
    }

    sim::Pod pod;
    sim::CortexMTarget target;
    sim::TransportBinding binding{pod};
    std::unique_ptr<mst::master> master;
};

// What the steps of a memory call cost in exchanges at the least, beyond
// what the buffers hold. Three rules set them:
//  - a value that decides the next step is back before that step is sent:
//    the port ID of the attach check before the call; CSW (bit 6) and STAT
//    (the sticky check) of each AP wait; the CSW that a single word's access
//    reads first to make the CSW it writes;
//  - Serial Wire: a transfer outside the pod scripts sends its request
//    phase and waits for the acknowledge before its data phase (one
//    exchange each, shared only with what went before it); an AP read is
//    posted, so its value needs a second transfer (RDBUFF);
//  - a block transfer ends with its batch sent, after the final wait and
//    CSW write; at each TAR wrap the wait comes before TAR is written again,
//    so a run's words never share a batch with the next run's.
// JTAG requests are checked by their own captures, so everything else rides
// in the batch of the next value needed.
struct step_costs {
    double attach;      // the port ID read (Serial Wire: request, then value)
    double first_wait;  // the AP wait before the block's CSW write
    double csw_write;   // the block's CSW write (JTAG: in the first run's batch)
    double run_wait;    // the AP wait after a run, past what rides with its last batch
    double end_csw;     // the final CSW write and the batch sent
    double word_read;   // a single word: CSW read, then TAR, DRW and the wait
    double word_write;  // CSW read, CSW write, then TAR, DRW and the wait
};
// JTAG: CSW and STAT of a wait in one exchange; a word's CSW read, then the
// rest with the wait.
constexpr step_costs jtag_steps{1, 1, 0, 0, 1, 2, 2};
// Serial Wire: a wait is CSW, RDBUFF and STAT requests and STAT's value; a
// word's CSW read is its request, RDBUFF's, and the value; the final CSW
// write its acknowledge, then the batch.
constexpr step_costs swd_steps{2, 4, 1, 3, 2, 7, 8};

// The fewest exchanges of one read_memory or write_memory call of bytes on
// the halted M3 (4 KB TAR runs) at a 4 KB aligned address: the steps above
// plus, for each run, the fewest batches its words' units need, at the
// units per block word this call sent and received. A read of more than
// two 1 KB blocks reads all words but the last as a block, the last with a
// single word read, then polls the status (a DHCSR word read); a 1 KB read
// is one cache block, 256 words as a block. A write sends all words but
// the last as a block and the last as a single word.
double forced_exchanges(bool swd, bool write, uint32_t bytes, double request_per_word,
                        double reply_per_word, double entries_per_word)
{
    const step_costs& c = swd ? swd_steps : jtag_steps;
    const bool cached = !write && bytes <= 1024;
    const uint32_t block_words = cached ? bytes / 4 : bytes / 4 - 1;
    double n = c.attach + c.first_wait + c.csw_write + c.end_csw;
    for (uint32_t done = 0; done < block_words; done += 1024) {
        const double words = std::min<uint32_t>(1024, block_words - done);
        n += std::max({std::ceil(words * request_per_word / batch_request_units),
                       std::ceil(words * reply_per_word / batch_reply_units),
                       std::ceil(words * entries_per_word / mst::pending_log::capacity), 1.0});
        n += c.run_wait;
    }
    if (write)
        n += c.word_write;
    else if (!cached)
        n += 2 * c.word_read;
    return n;
}

bool is_batch(const std::vector<uint16_t>& request)
{
    const size_t n = request.size();
    return n >= 2 && request[n - 2] == (mst::cmd::end_of_batch & 0xFFFFu) &&
           request[n - 1] == (mst::cmd::end_of_batch >> 16);
}

void transfer(benchmark::State& state, bool write)
{
    const bool swd = state.range(0) != 0;
    const uint32_t bytes = static_cast<uint32_t>(state.range(1));
    setup s(swd);
    std::vector<uint8_t> buffer(bytes);
    for (uint32_t i = 0; i < bytes; ++i)
        buffer[i] = static_cast<uint8_t>(i * 37 + (i >> 10));
    // Reads find the memory written once before.
    if (!write)
        framed("fill", [&] { s.master->write_memory(0, region, bytes, buffer.data()); });

    const size_t first = s.pod.log().exchanges.size();
    const uint64_t entries0 = log_entries_sent;
    const uint64_t tck0 = s.pod.log().tck_clocks;
    const uint64_t xfer0 = s.target.dp().log().transactions;
    uint64_t calls = 0;
    for (auto _ : state) {
        framed(write ? "write" : "read", [&] {
            if (write)
                s.master->write_memory(0, region, bytes, buffer.data());
            else
                s.master->read_memory(0, region, bytes, buffer.data());
        });
        ++calls;
    }

    double exch = 0, batches = 0, batch_request = 0, batch_reply = 0;
    double max_request = 0, max_reply = 0, single = 0;
    for (size_t i = first; i < s.pod.log().exchanges.size(); ++i) {
        const sim::ExchangeRecord& x = s.pod.log().exchanges[i];
        ++exch;
        if (x.request.size() < 64)
            ++single;
        if (!is_batch(x.request))
            continue;
        ++batches;
        const double request = static_cast<double>(x.request.size() - 2);
        const double reply = x.reply.size() >= 2 ? static_cast<double>(x.reply.size() - 2) : 0.0;
        batch_request += request;
        batch_reply += reply;
        max_request = std::max(max_request, request);
        max_reply = std::max(max_reply, reply);
    }
    const double n = static_cast<double>(calls);
    const double kb = n * bytes / 1024.0;
    const double controls = exch - batches;
    const double ideal_per_call =
        std::max(controls / n + std::max({std::ceil(batch_request / n / batch_request_units),
                                          std::ceil(batch_reply / n / batch_reply_units), 1.0}),
                 1.0);
    const double tck = static_cast<double>(s.pod.log().tck_clocks - tck0);
    const double xfers = static_cast<double>(s.target.dp().log().transactions - xfer0);
    auto rate = [&](double exchanges, double latency_s) {
        return n * bytes / (exchanges * latency_s + tck / fast_hz);
    };
    state.counters["exch/KB"] = exch / kb;
    // Exchanges of a few transfers only (an answer the next step waits for).
    state.counters["short_exch"] = single / n;
    state.counters["xfer/exch"] = xfers / exch;
    state.counters["tck/KB"] = tck / kb;
    if (batches != 0) {
        state.counters["req_fill"] = batch_request / batches / batch_request_units;
        state.counters["rep_fill"] = batch_reply / batches / batch_reply_units;
    }
    state.counters["ideal_exch"] = ideal_per_call;
    // The log bound: every word's waiter is a log entry (280 a batch).
    const double entries = static_cast<double>(log_entries_sent - entries0) / n;
    const double log_exch = std::ceil(entries / mst::pending_log::capacity);
    state.counters["log_exch"] = log_exch;
    const double words = n * bytes / 4.0;
    const double forced = forced_exchanges(swd, write, bytes, batch_request / words,
                                           batch_reply / words, entries * n / words);
    state.counters["forced_exch"] = forced;
    state.counters["exch/forced"] = exch / n / forced;
    state.counters["exch/call"] = exch / n;
    state.counters["B/s@125us"] = rate(exch, 125e-6);
    state.counters["B/s@1ms"] = rate(exch, 1e-3);
    state.counters["bound@125us"] = rate(ideal_per_call * n, 125e-6);
    state.counters["bound@1ms"] = rate(ideal_per_call * n, 1e-3);
    state.counters["cpu/KB"] =
        benchmark::Counter(kb, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    if (s.target.violations().size() != 0) {
        std::fprintf(stderr, "protocol violations on the target\n");
        std::exit(1);
    }
}

// Replies kept from one call against the simulated pod, handed back in
// order.
namespace replay {

std::vector<std::vector<uint8_t>> replies;
size_t next = 0;

uint32_t keep_reply(void* buffer, uint32_t* byte_count)
{
    const uint32_t result = sim::GetTargetReply(buffer, byte_count);
    const uint32_t n = std::min<uint32_t>(*byte_count, mst::trn_prot::reply_bytes);
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    replies.emplace_back(bytes, bytes + n);
    return result;
}

uint32_t send(const void*, uint32_t) { return 0; }

uint32_t get_reply(void* buffer, uint32_t* byte_count)
{
    if (next >= replies.size()) {
        std::fprintf(stderr, "the engine asked for more exchanges than the kept call\n");
        std::exit(1);
    }
    const std::vector<uint8_t>& r = replies[next++];
    std::memcpy(buffer, r.data(), r.size());
    *byte_count = static_cast<uint32_t>(r.size());
    return 0;
}

uint32_t set_timeout(uint32_t) { return 0; }

} // namespace replay

double cpu_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void engine_transfer(benchmark::State& state, bool write)
{
    const bool swd = state.range(0) != 0;
    const uint32_t bytes = static_cast<uint32_t>(state.range(1));
    setup s(swd);
    std::vector<uint8_t> buffer(bytes);
    for (uint32_t i = 0; i < bytes; ++i)
        buffer[i] = static_cast<uint8_t>(i * 37 + (i >> 10));
    auto call = [&] {
        framed(write ? "write" : "read", [&] {
            if (write)
                s.master->write_memory(0, region, bytes, buffer.data());
            else
                s.master->read_memory(0, region, bytes, buffer.data());
        });
    };
    // The first call settles what the engine keeps between calls (SELECT,
    // CSW); the second is the one kept.
    call();
    replay::replies.clear();
    GetTargetReply = replay::keep_reply;
    const uint64_t tck0 = s.pod.log().tck_clocks;
    call();
    const double tck = static_cast<double>(s.pod.log().tck_clocks - tck0);
    const double exchanges = static_cast<double>(replay::replies.size());
    SendTargetRequest = replay::send;
    GetTargetReply = replay::get_reply;
    SetTargetTimeout = replay::set_timeout;

    double cpu = 0;
    uint64_t calls = 0;
    for (auto _ : state) {
        replay::next = 0;
        const double t0 = cpu_seconds();
        call();
        cpu += cpu_seconds() - t0;
        if (replay::next != replay::replies.size()) {
            std::fprintf(stderr, "the engine made fewer exchanges than the kept call\n");
            std::exit(1);
        }
        ++calls;
    }
    const double n = static_cast<double>(calls);
    const double link = exchanges * 125e-6 + tck / fast_hz;
    state.counters["exch/call"] = exchanges;
    state.counters["cpu/word"] = benchmark::Counter(n * bytes / 4.0, benchmark::Counter::kIsRate |
                                                                       benchmark::Counter::kInvert);
    state.counters["cpu/exch"] = benchmark::Counter(n * exchanges, benchmark::Counter::kIsRate |
                                                                    benchmark::Counter::kInvert);
    state.counters["link_us"] = link * 1e6;
    state.counters["cpu%link"] = n != 0 ? 100.0 * cpu / n / link : 0.0;
}

void BM_EngineRead(benchmark::State& state) { engine_transfer(state, false); }
void BM_EngineWrite(benchmark::State& state) { engine_transfer(state, true); }

void BM_Read(benchmark::State& state) { transfer(state, false); }
void BM_Write(benchmark::State& state) { transfer(state, true); }

void sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"swd", "bytes"});
    for (int64_t swd : {0, 1})
        for (int64_t bytes : {1024, 64 * 1024, 1024 * 1024})
            b->Args({swd, bytes});
    b->Unit(benchmark::kMillisecond);
    b->Iterations(1);
}

void engine_sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"swd", "bytes"});
    for (int64_t swd : {0, 1})
        for (int64_t bytes : {1024, 64 * 1024})
            b->Args({swd, bytes});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Read)->Apply(sizes);
BENCHMARK(BM_Write)->Apply(sizes);
BENCHMARK(BM_EngineRead)->Apply(engine_sizes);
BENCHMARK(BM_EngineWrite)->Apply(engine_sizes);

} // namespace

BENCHMARK_MAIN();
