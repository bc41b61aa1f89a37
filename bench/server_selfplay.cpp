// Rounds per second of bot self-play on one table, one thread, with the economy of those rounds:
// the mean and median bomb multiplier and the share of rounds that leave a seat broke.
#include <benchmark/benchmark.h>

#include "server/selfplay.h"

namespace {

void BM_SelfPlayRound(benchmark::State& state) {
    vexal::server::Logger quiet(nullptr, vexal::server::LogLevel::Silent);
    vexal::server::TableConfig config;
    config.seed = 7;
    const int rounds = static_cast<int>(state.range(0));
    vexal::server::SelfPlayTotals totals;
    for (auto _ : state) {
        totals = vexal::server::runSelfPlay(rounds, config, quiet);
        benchmark::DoNotOptimize(totals.amounts);
    }
    state.counters["bomb x mean"] = totals.bombFactors.mean();
    state.counters["bomb x median"] = static_cast<double>(totals.bombFactors.quantile(0.5));
    state.counters["broke %"] = totals.rounds > 0 ? 100.0 * totals.brokeRounds / totals.rounds : 0.0;
    state.SetItemsProcessed(state.iterations() * rounds);
    state.counters["rounds/s"] = benchmark::Counter(static_cast<double>(state.iterations() * rounds),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SelfPlayRound)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
