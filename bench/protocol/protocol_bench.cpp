// One full batch of register reads: data-register read scans of one device,
// each with its reply waiter, appended until the batch cannot take the next
// one; the batch is exchanged with the simulated pod and every waiter takes
// its bits. One iteration is one exchanged batch.
//
// Counters per batch: scans (= waiters), scan steps, request and reply units
// against their buffers (2004 and 1004 units) and log entries against the
// log (280); the pod's virtual time per batch at the fastest clock with the
// default 125 us exchange latency. CPU time per batch is the iteration time;
// per step it is the "step" rate counter inverted.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "bench/common/pod_bench.h"
#include "master/core/trn_prot.h"
#include "master/jtag/bitchain.h"
#include "master/jtag/jtag.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

namespace {

using pod_bench::fail;
using pod_bench::framed;

// Takes its bits from the reply, as a register image does.
struct bits_waiter : mst::synchro {
    void complete(uint32_t position) override
    {
        value = mst::the_jtag().working.bits_at(position, length);
        synchro::complete(position);
    }
    uint32_t length = 0;
    uint32_t value = 0;
};

struct batch_figures {
    uint64_t batches = 0;
    uint64_t scans = 0;
};

// Fills and exchanges one batch per iteration.
batch_figures run_batches(benchmark::State& state, uint32_t length)
{
    mst::jtag& engine = mst::the_jtag();
    mst::trn_prot& prot = mst::the_prot();
    std::array<uint32_t, 4> zeros{};
    mst::bitchain data;
    data.attach(zeros.data(), length);
    std::array<bits_waiter, mst::pending_log::capacity + 1> waiters;
    for (bits_waiter& w : waiters)
        w.length = length < 32 ? length : 32;

    batch_figures f;
    unsigned next = 0;
    const uint32_t first_batch = prot.batch_count();
    for (auto _ : state) {
        framed("batch", [&] {
            const uint32_t batch = prot.batch_count();
            while (prot.batch_count() == batch) {
                const mst::scan_result r =
                    engine.scan(mst::reg_kind::dr, mst::scan_mode::read, data, 0);
                if (r.done == 0)
                    fail("scan");
                bits_waiter& w = waiters[next];
                next = (next + 1) % waiters.size();
                prot.log().queue_read(w, r.position, &w);
                ++f.scans;
            }
        });
    }
    f.batches = prot.batch_count() - first_batch;
    // The batch begun by the last iteration goes out while its waiters live.
    framed("flush", [&] { prot.end_batch(); });
    return f;
}

void BM_ReadScanBatch(benchmark::State& state)
{
    const uint32_t length = static_cast<uint32_t>(state.range(0));
    sim::Pod pod;
    sim::TransportBinding binding{pod};
    sim::GenericDeviceConfig device;
    device.ir_length = 8;
    device.idcode = 0x1234AFDFu;
    pod.chain().add(std::make_unique<sim::GenericDevice>(device));
    pod.clock().set_exchange_latency_ps(125000000);
    pod_bench::bind_pod_transport();
    framed("measure", [&] {
        mst::the_prot().set_parameter(0);
        mst::the_jtag().measure_chain();
    });

    const size_t first_exchange = pod.log().exchanges.size();
    const uint64_t first_step = pod.log().scan_steps;
    const uint64_t start_ps = pod.clock().now_ps();
    const batch_figures f = run_batches(state, length);

    // The flush of run_batches is the last exchange and not a full batch.
    const auto& exchanges = pod.log().exchanges;
    const size_t last = exchanges.size() - 1;
    const double batches = static_cast<double>(last - first_exchange);
    uint64_t request_units = 0;
    uint64_t reply_units = 0;
    for (size_t i = first_exchange; i < last; ++i) {
        request_units += exchanges[i].request.size();
        reply_units += exchanges[i].reply.size();
    }
    const double steps = static_cast<double>(pod.log().scan_steps - first_step);
    state.counters["scans/batch"] = static_cast<double>(f.scans) / batches;
    state.counters["steps/batch"] = steps / batches;
    state.counters["req_units/batch"] = static_cast<double>(request_units) / batches;
    state.counters["reply_units/batch"] = static_cast<double>(reply_units) / batches;
    state.counters["virtual_us/batch"] =
        static_cast<double>(exchanges[last - 1].time_ps - start_ps) / 1e6 / batches;
    state.counters["step"] = benchmark::Counter(steps, benchmark::Counter::kIsRate);

    pod_bench::unbind_transport();
}

// The same batches against the echoing transport: the engine's own CPU time.
void BM_ReadScanBatchEngineOnly(benchmark::State& state)
{
    const uint32_t length = static_cast<uint32_t>(state.range(0));
    pod_bench::echo::bind();
    mst::jtag& engine = mst::the_jtag();
    // The chain as the simulated one measures: one device, 8 IR bits.
    engine.dr_bypass_length = 1;
    engine.ir_chain_length = 8;
    engine.forget_state();
    const batch_figures f = run_batches(state, length);
    state.counters["scans/batch"] =
        static_cast<double>(f.scans) / static_cast<double>(f.batches);
    state.counters["scan"] = benchmark::Counter(static_cast<double>(f.scans),
                                                benchmark::Counter::kIsRate);
    pod_bench::unbind_transport();
}

BENCHMARK(BM_ReadScanBatch)->Arg(1)->Arg(16)->Arg(32)->Arg(128)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadScanBatchEngineOnly)
    ->Arg(1)
    ->Arg(16)
    ->Arg(32)
    ->Arg(128)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
