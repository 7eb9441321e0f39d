// Block reads and writes of the TMS320C54x device, through the chain engine
// and the pod protocol, against the simulated pod with the DSP alone on its
// chain. One iteration is one read_memory or write_memory call on the halted
// DSP (its context already saved, so the figures are those of the transfer).
//
// Counters, per word moved:
//  - exch/word, req/word, rep/word: pod exchanges, request units and reply
//    units (16-bit) of the transfer;
//  - tck/word: TCK clocks the pod drove;
//  - ideal_exch: the fewest exchanges the request buffer (2004 units), the
//    reply buffer (1004 units) and the reply log (280 entries) permit for the
//    units this transfer needs; exch_ratio = exchanges / ideal_exch;
//  - w/s@125us/12M, w/s@1ms/12M, w/s@125us/94k, w/s@1ms/94k: the words per
//    second the link would carry with that latency per exchange and TCK at
//    the fastest (12 MHz) or slowest (93.75 kHz) clock setting;
//  - cpu/word: host CPU time per word (engine and simulator together).
//
// BM_EngineRead and BM_EngineWrite run the same transfers against a
// transport that answers every batch at once without simulating it (the
// echo of the closing word and a zero unit for each step that returns TDO):
// their cpu/word is the engine's alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/jtag/jtag.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s: code %08X\n", what, mst::the_error_record().code);
    std::exit(1);
}

template <class Op>
void framed(const char* what, Op&& op)
{
    mst::error_record& record = mst::the_error_record();
    record.begin_call();
    try {
        op();
    } catch (const mst::call_abandoned&) {
    }
    if (record.has_error())
        fail(what);
}

void no_pause(uint32_t) {}

// The pod, the DSP and the device, identified and reset once.
struct setup {
    sim::Pod pod;
    sim::TransportBinding binding{pod};
    mst::TMS320C54x_jtag_device* device = nullptr;

    setup()
    {
        SendTargetRequest = sim::SendTargetRequest;
        GetTargetReply = sim::GetTargetReply;
        SetTargetTimeout = sim::SetTargetTimeout;
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
    uint64_t exchanges = 0, request = 0, reply = 0, tck = 0, log_entries = 0;
};

totals measure_since(const sim::PodLog& log, size_t first, uint64_t tck0)
{
    totals t;
    for (size_t i = first; i < log.exchanges.size(); ++i) {
        ++t.exchanges;
        t.request += log.exchanges[i].request.size();
        t.reply += log.exchanges[i].reply.size();
    }
    t.tck = log.tck_clocks - tck0;
    return t;
}

void report(benchmark::State& state, const totals& t, uint64_t iterations, uint32_t words)
{
    const double n = static_cast<double>(iterations) * words;
    const double exch = static_cast<double>(t.exchanges);
    const double ideal = std::max({std::ceil(static_cast<double>(t.request) /
                                             mst::trn_prot::request_units),
                                   std::ceil(static_cast<double>(t.reply) /
                                             mst::trn_prot::reply_units),
                                   1.0 * iterations});
    state.counters["exch/word"] = exch / n;
    state.counters["req/word"] = static_cast<double>(t.request) / n;
    state.counters["rep/word"] = static_cast<double>(t.reply) / n;
    state.counters["tck/word"] = static_cast<double>(t.tck) / n;
    state.counters["ideal_exch"] = ideal / iterations;
    state.counters["exch_ratio"] = exch / ideal;
    const double fast_hz = 12e6, slow_hz = 12e6 / 128;
    auto rate = [&](double latency_s, double hz) {
        return n / (exch * latency_s + static_cast<double>(t.tck) / hz);
    };
    state.counters["w/s@125us/12M"] = rate(125e-6, fast_hz);
    state.counters["w/s@1ms/12M"] = rate(1e-3, fast_hz);
    state.counters["w/s@125us/94k"] = rate(125e-6, slow_hz);
    state.counters["w/s@1ms/94k"] = rate(1e-3, slow_hz);
    state.counters["cpu/word"] =
        benchmark::Counter(n, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void transfer(benchmark::State& state, bool write)
{
    setup& s = the_setup();
    const uint32_t space = static_cast<uint32_t>(state.range(0));
    const uint32_t words = static_cast<uint32_t>(state.range(1));
    std::vector<uint16_t> buffer(words);
    for (uint32_t i = 0; i < words; ++i)
        buffer[i] = static_cast<uint16_t>(i * 0x9E37u);
    // Clear of the registers the data space maps at its bottom.
    const uint32_t address = space == 1 ? 0x0080 : 0x1000;
    const size_t first = s.pod.log().exchanges.size();
    const uint64_t tck0 = s.pod.log().tck_clocks;
    uint64_t iterations = 0;
    for (auto _ : state) {
        framed(write ? "write" : "read", [&] {
            if (write)
                s.device->write_memory(buffer.data(), words, address, space);
            else
                s.device->read_memory(buffer.data(), words, address, space);
        });
        ++iterations;
    }
    report(state, measure_since(s.pod.log(), first, tck0), iterations, words);
}

std::array<uint16_t, mst::trn_prot::reply_units> echo_reply{};
uint32_t echo_reply_bytes = 0;

uint32_t echo_send(const void* data, uint32_t byte_count)
{
    const auto* units = static_cast<const uint16_t*>(data);
    const uint32_t n = byte_count / 2;
    uint32_t reply = 2;
    for (uint32_t i = 0; i + 1 < n;) {
        const uint32_t word = units[i] | (uint32_t{units[i + 1]} << 16);
        if (word == mst::cmd::end_of_batch)
            break;
        if ((word & 0xF9FFFFFFu) == 0x88000903u) {
            if ((word & 0x06000000u) != 0)
                ++reply;
            i += 4;
        } else {
            i += 2;
        }
    }
    echo_reply.fill(0);
    echo_reply[0] = static_cast<uint16_t>(mst::cmd::end_of_batch & 0xFFFF);
    echo_reply[1] = static_cast<uint16_t>(mst::cmd::end_of_batch >> 16);
    echo_reply_bytes = 2 * reply;
    return 0;
}

uint32_t echo_reply_fn(void* buffer, uint32_t* byte_count)
{
    std::memcpy(buffer, echo_reply.data(), echo_reply_bytes);
    *byte_count = echo_reply_bytes;
    return 0;
}

uint32_t echo_timeout(uint32_t) { return 0; }

void engine_transfer(benchmark::State& state, bool write)
{
    setup& s = the_setup();
    const uint32_t space = static_cast<uint32_t>(state.range(0));
    const uint32_t words = static_cast<uint32_t>(state.range(1));
    std::vector<uint16_t> buffer(words, 0x1234);
    const uint32_t address = space == 1 ? 0x0080 : 0x1000;
    SendTargetRequest = echo_send;
    GetTargetReply = echo_reply_fn;
    SetTargetTimeout = echo_timeout;
    uint64_t iterations = 0;
    for (auto _ : state) {
        framed(write ? "echo write" : "echo read", [&] {
            if (write)
                s.device->write_memory(buffer.data(), words, address, space);
            else
                s.device->read_memory(buffer.data(), words, address, space);
        });
        ++iterations;
    }
    SendTargetRequest = sim::SendTargetRequest;
    GetTargetReply = sim::GetTargetReply;
    SetTargetTimeout = sim::SetTargetTimeout;
    state.counters["cpu/word"] = benchmark::Counter(
        static_cast<double>(iterations) * words,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_EngineRead(benchmark::State& state) { engine_transfer(state, false); }
void BM_EngineWrite(benchmark::State& state) { engine_transfer(state, true); }

void BM_Read(benchmark::State& state) { transfer(state, false); }
void BM_Write(benchmark::State& state) { transfer(state, true); }

void sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"space", "words"});
    for (int64_t space : {0, 1, 2})
        for (int64_t words : {1, 64, 1000, 65536})
            b->Args({space, words});
    b->Unit(benchmark::kMillisecond);
    b->Iterations(1);
}

void engine_sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"space", "words"});
    for (int64_t space : {0, 1, 2})
        for (int64_t words : {1, 64, 1000, 65536})
            b->Args({space, words});
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Read)->Apply(sizes);
BENCHMARK(BM_Write)->Apply(sizes);
BENCHMARK(BM_EngineRead)->Apply(engine_sizes);
BENCHMARK(BM_EngineWrite)->Apply(engine_sizes);

} // namespace

BENCHMARK_MAIN();
