// Block reads and writes of the TMS320C54x device, through the chain engine
// and the pod protocol, against the simulated pod with the DSP alone on its
// chain. One iteration is one read_memory or write_memory call on the halted
// DSP (its context already saved, so the figures are those of the transfer).
//
// Counters, per word moved:
//  - exch/word, req/word, rep/word, log/word: pod exchanges, request units,
//    reply units (16-bit, end words and echoes included) and reply-log
//    entries of the transfer;
//  - tck/word: TCK clocks the pod drove;
//  - ideal_exch: the fewest exchanges per call that the request buffer, the
//    reply buffer and the reply log permit for what this transfer needs: a
//    batch carries at most 2002 request units besides its end word, 1002
//    reply units besides the echo and 280 log entries; a control command goes
//    alone; a call needs one exchange at least. exch_ratio = exchanges /
//    ideal_exch (the goal is 1.05 or less);
//  - ideal_open, open_ratio: the same minimum with the call's opening
//    exchange (the CPU-mode check, whose answer the transfer waits for)
//    counted alone, and exchanges / that minimum;
//  - req_fill, rep_fill, log_fill: how full the batches were on average, as
//    a fraction of those three limits (the largest names the binding one);
//  - w/s@125us/18M, w/s@1ms/18M, w/s@125us/141k, w/s@1ms/141k: the words per
//    second the link would carry with that latency per exchange and TCK at
//    the fastest (setting 0, 18 MHz) or slowest (setting 7, 140.625 kHz)
//    clock; bound@...: the same with ideal_exch exchanges and the same clocks;
//  - cpu/word: host CPU time per word (engine and simulator together).
//
// BM_EngineRead and BM_EngineWrite run the same transfers against a
// transport that answers every batch at once without simulating it (the
// echo of the closing word and a zero unit for each step that returns TDO):
// their cpu/word is the engine's alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bench/common/pod_bench.h"
#include "master/core/platform.h"
#include "master/core/trn_prot.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/jtag/jtag.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace {

using pod_bench::framed;

void no_pause(uint32_t) {}

// Reply-log entries of every batch sent: the log still holds the batch's
// waiters when its request goes out. The first exchange of a measured call
// is noted by its index in the pod's log, with its entries.
uint64_t log_entries_sent = 0;
const sim::Pod* measured_pod = nullptr;
bool call_opening = false;
std::vector<size_t> opening_exchanges;
uint64_t opening_entries = 0;

uint32_t counting_send(const void* data, uint32_t byte_count)
{
    const unsigned entries = mst::the_prot().log().size();
    log_entries_sent += entries;
    if (call_opening && measured_pod != nullptr) {
        call_opening = false;
        opening_exchanges.push_back(measured_pod->log().exchanges.size());
        opening_entries += entries;
    }
    return sim::SendTargetRequest(data, byte_count);
}

// The pod, the DSP and the device, identified and reset once.
struct setup {
    sim::Pod pod;
    sim::TransportBinding binding{pod};
    mst::TMS320C54x_jtag_device* device = nullptr;

    setup()
    {
        pod_bench::bind_pod_transport(counting_send);
        mst::set_pause_hook(no_pause);
        pod.chain().add(std::make_unique<sim::Tms320c54xTarget>());
        device = new mst::TMS320C54x_jtag_device();
        framed("bring-up", [&] {
            mst::the_jtag().reset_tap();
            mst::the_jtag().measure_chain();
            device->identify(0, 0, 0, 0, 0);
            device->attach(1);
            device->reset_step1();
            device->reset_step2();
            device->attach(1);
            device->reset_step3();
            uint16_t word = 0;
            device->read_memory(&word, 1, 0x100, 1);  // saves the context
        });
    }
};

setup& the_setup()
{
    static setup s;
    return s;
}

struct totals {
    uint64_t exchanges = 0, batches = 0, request = 0, reply = 0, tck = 0, log_entries = 0;
    // Units of the batches besides their end words and echoes.
    uint64_t batch_request = 0, batch_reply = 0;
    // The calls' opening exchanges: how many, and their share of the above.
    uint64_t openings = 0, opening_request = 0, opening_reply = 0, opening_entries = 0;
};

bool is_batch(const std::vector<uint16_t>& request)
{
    const size_t n = request.size();
    return n >= 2 && request[n - 2] == (mst::cmd::end_of_batch & 0xFFFFu) &&
           request[n - 1] == (mst::cmd::end_of_batch >> 16);
}

totals measure_since(const sim::PodLog& log, size_t first, uint64_t tck0, uint64_t entries0,
                     uint64_t opening_entries0)
{
    totals t;
    for (size_t i = first; i < log.exchanges.size(); ++i) {
        const sim::ExchangeRecord& x = log.exchanges[i];
        ++t.exchanges;
        t.request += x.request.size();
        t.reply += x.reply.size();
        if (is_batch(x.request)) {
            const uint64_t request = x.request.size() - 2;
            const uint64_t reply = x.reply.size() >= 2 ? x.reply.size() - 2 : 0;
            ++t.batches;
            t.batch_request += request;
            t.batch_reply += reply;
            if (std::find(opening_exchanges.begin(), opening_exchanges.end(), i) !=
                opening_exchanges.end()) {
                ++t.openings;
                t.opening_request += request;
                t.opening_reply += reply;
            }
        }
    }
    t.tck = log.tck_clocks - tck0;
    t.log_entries = log_entries_sent - entries0;
    t.opening_entries = opening_entries - opening_entries0;
    return t;
}

// What one batch can carry besides its end word and echo.
constexpr double batch_request_units = mst::trn_prot::request_units - 2;
constexpr double batch_reply_units = mst::trn_prot::reply_units - 2;
constexpr double batch_log_entries = mst::pending_log::capacity;
// Clock settings 0 (fastest) and 7 (slowest): 18 MHz / 2^setting.
constexpr double fast_hz = 18e6;
constexpr double slow_hz = 18e6 / 128;

void report(benchmark::State& state, const totals& t, uint64_t iterations, uint32_t words)
{
    const double calls = static_cast<double>(iterations);
    const double n = calls * words;
    const double exch = static_cast<double>(t.exchanges);
    const double batches = static_cast<double>(t.batches);
    const double controls = exch - batches;
    // Per call: every call is the same transfer.
    const double ideal_batches =
        std::max({std::ceil(static_cast<double>(t.batch_request) / calls / batch_request_units),
                  std::ceil(static_cast<double>(t.batch_reply) / calls / batch_reply_units),
                  std::ceil(static_cast<double>(t.log_entries) / calls / batch_log_entries),
                  t.batches != 0 ? 1.0 : 0.0});
    const double ideal_per_call = std::max(controls / calls + ideal_batches, 1.0);
    const double ideal = ideal_per_call * calls;
    // The opening exchange alone, then the rest of the call's batches.
    const double rest_batches = std::max(
        {std::ceil(static_cast<double>(t.batch_request - t.opening_request) / calls / batch_request_units),
         std::ceil(static_cast<double>(t.batch_reply - t.opening_reply) / calls / batch_reply_units),
         std::ceil(static_cast<double>(t.log_entries - t.opening_entries) / calls / batch_log_entries)});
    const double ideal_open =
        std::max(controls / calls + static_cast<double>(t.openings) / calls + rest_batches, 1.0);
    state.counters["exch/word"] = exch / n;
    state.counters["req/word"] = static_cast<double>(t.request) / n;
    state.counters["rep/word"] = static_cast<double>(t.reply) / n;
    state.counters["log/word"] = static_cast<double>(t.log_entries) / n;
    state.counters["tck/word"] = static_cast<double>(t.tck) / n;
    state.counters["ideal_exch"] = ideal_per_call;
    state.counters["exch_ratio"] = exch / ideal;
    state.counters["ideal_open"] = ideal_open;
    state.counters["open_ratio"] = exch / (ideal_open * calls);
    if (t.batches != 0) {
        state.counters["req_fill"] = static_cast<double>(t.batch_request) / batches / batch_request_units;
        state.counters["rep_fill"] = static_cast<double>(t.batch_reply) / batches / batch_reply_units;
        state.counters["log_fill"] = static_cast<double>(t.log_entries) / batches / batch_log_entries;
    }
    const double tck = static_cast<double>(t.tck);
    auto rate = [&](double exchanges, double latency_s, double hz) {
        return n / (exchanges * latency_s + tck / hz);
    };
    state.counters["w/s@125us/18M"] = rate(exch, 125e-6, fast_hz);
    state.counters["w/s@1ms/18M"] = rate(exch, 1e-3, fast_hz);
    state.counters["w/s@125us/141k"] = rate(exch, 125e-6, slow_hz);
    state.counters["w/s@1ms/141k"] = rate(exch, 1e-3, slow_hz);
    state.counters["bound@125us/18M"] = rate(ideal, 125e-6, fast_hz);
    state.counters["bound@1ms/18M"] = rate(ideal, 1e-3, fast_hz);
    state.counters["bound@125us/141k"] = rate(ideal, 125e-6, slow_hz);
    state.counters["bound@1ms/141k"] = rate(ideal, 1e-3, slow_hz);
    state.counters["cpu/word"] =
        benchmark::Counter(n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Clear of the registers the data space maps at its bottom.
uint32_t block_address(uint32_t space) { return space == 1 ? 0x0080 : 0x1000; }

// One call of a transfer: the whole buffer written to or read from address.
void move_block(setup& s, bool write, std::vector<uint16_t>& buffer, uint32_t address, uint32_t space)
{
    const uint32_t words = static_cast<uint32_t>(buffer.size());
    if (write)
        s.device->write_memory(buffer.data(), words, address, space);
    else
        s.device->read_memory(buffer.data(), words, address, space);
}

void transfer(benchmark::State& state, bool write)
{
    setup& s = the_setup();
    const uint32_t space = static_cast<uint32_t>(state.range(0));
    const uint32_t words = static_cast<uint32_t>(state.range(1));
    std::vector<uint16_t> buffer(words);
    for (uint32_t i = 0; i < words; ++i)
        buffer[i] = static_cast<uint16_t>(i * 0x9E37u);
    const uint32_t address = block_address(space);
    const size_t first = s.pod.log().exchanges.size();
    const uint64_t tck0 = s.pod.log().tck_clocks;
    const uint64_t entries0 = log_entries_sent;
    const uint64_t opening_entries0 = opening_entries;
    measured_pod = &s.pod;
    uint64_t iterations = 0;
    for (auto _ : state) {
        call_opening = true;
        framed(write ? "write" : "read", [&] { move_block(s, write, buffer, address, space); });
        ++iterations;
    }
    call_opening = false;
    report(state, measure_since(s.pod.log(), first, tck0, entries0, opening_entries0), iterations,
           words);
}

void engine_transfer(benchmark::State& state, bool write)
{
    setup& s = the_setup();
    const uint32_t space = static_cast<uint32_t>(state.range(0));
    const uint32_t words = static_cast<uint32_t>(state.range(1));
    std::vector<uint16_t> buffer(words, 0x1234);
    const uint32_t address = block_address(space);
    pod_bench::echo::bind();
    uint64_t iterations = 0;
    for (auto _ : state) {
        framed(write ? "echo write" : "echo read", [&] { move_block(s, write, buffer, address, space); });
        ++iterations;
    }
    pod_bench::bind_pod_transport(counting_send);
    state.counters["cpu/word"] = benchmark::Counter(
        static_cast<double>(iterations) * words,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EngineRead(benchmark::State& state) { engine_transfer(state, false); }
void BM_EngineWrite(benchmark::State& state) { engine_transfer(state, true); }

void BM_Read(benchmark::State& state) { transfer(state, false); }
void BM_Write(benchmark::State& state) { transfer(state, true); }

// Every space with 1, 64, 1000 and 65536 words.
void spaces_and_words(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"space", "words"});
    for (int64_t space : {0, 1, 2})
        for (int64_t words : {1, 64, 1000, 65536})
            b->Args({space, words});
}

void sizes(benchmark::internal::Benchmark* b)
{
    spaces_and_words(b);
    b->Unit(benchmark::kMillisecond);
    b->Iterations(1);
}

void engine_sizes(benchmark::internal::Benchmark* b)
{
    spaces_and_words(b);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Read)->Apply(sizes);
BENCHMARK(BM_Write)->Apply(sizes);
BENCHMARK(BM_EngineRead)->Apply(engine_sizes);
BENCHMARK(BM_EngineWrite)->Apply(engine_sizes);

} // namespace

BENCHMARK_MAIN();
