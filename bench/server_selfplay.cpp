// Rounds per second of bot self-play on one table, one thread.
#include <benchmark/benchmark.h>

#include "server/selfplay.h"

namespace {

void BM_SelfPlayRound(benchmark::State& state) {
    vexal::server::Logger quiet(nullptr, vexal::server::LogLevel::Silent);
    vexal::server::TableConfig config;
    config.seed = 7;
    const int rounds = static_cast<int>(state.range(0));
    for (auto _ : state) {
        vexal::server::SelfPlayTotals totals = vexal::server::runSelfPlay(rounds, config, quiet);
        benchmark::DoNotOptimize(totals.amounts);
    }
    state.SetItemsProcessed(state.iterations() * rounds);
    state.counters["rounds/s"] = benchmark::Counter(static_cast<double>(state.iterations() * rounds),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SelfPlayRound)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
