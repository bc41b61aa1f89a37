// Speed of the round's pure steps: building a score sheet and laying out a received play.
#include <benchmark/benchmark.h>

#include "model/roundstate.h"
#include "model/settlementlines.h"

namespace vexal {
namespace {

void BM_BuildSettlementSheet(benchmark::State& state) {
    SettlementInput in;
    in.seatBits = {1, 2, 4, 8};
    in.wealthOn = true;
    in.wealthText = "3";
    in.note = "本局";
    for (size_t r = 0; r < 4; ++r) {
        in.records[r].seatBit = in.seatBits[r];
        in.records[r].place = static_cast<uint8_t>(r + 1);
        in.records[r].subtotal = in.records[r].finalAmount = 1200;
        in.records[r].subtotalGain = in.records[r].finalGain = r % 2 == 0;
        in.records[r].finalPoints = r % 2 == 0 ? 100 : 0;
        in.initialCoins[r] = "100000金币";
        in.bombs[r] = {7, 11, 15};
    }
    in.records[0].callerBit = 1;
    in.records[0].partnerBit = 4;
    for (auto _ : state)
        benchmark::DoNotOptimize(buildSettlementSheet(in));
}
BENCHMARK(BM_BuildSettlementSheet);

void BM_LayOutReceivedRun(benchmark::State& state) {
    std::vector<CardCode> play;
    int id = 0;
    for (int rank = 14; rank >= 5; --rank)
        if (rank != 10) {
            play.push_back(makeCard(rank, 1, id++));
            play.push_back(makeCard(rank, 2, id++));
        }
    play.push_back(makeCard(16, 10 << 4, 104));
    play.push_back(makeCard(17, 10 << 4, 106));
    for (auto _ : state)
        benchmark::DoNotOptimize(layOutReceivedPlay(play));
}
BENCHMARK(BM_LayOutReceivedRun);

}  // namespace
}  // namespace vexal
