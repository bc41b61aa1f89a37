// The server's settlement records read through the client's own score-sheet builder: the lines it
// derives must be the call, 枯/踹 and amounts the server decided.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "server/selfplay.h"
#include "model/settlementlines.h"

namespace vexal::server {
namespace {

bool has(const std::vector<std::string>& list, const std::string& line) {
    return std::find(list.begin(), list.end(), line) != list.end();
}

TEST(SettlementSheet, ClientLinesMatchTheServersRound) {
    Logger quiet(nullptr, LogLevel::Silent);
    TableConfig config;
    config.seed = 77;
    config.stake = 10;
    std::set<CallKind> kinds;
    int kuRounds = 0;
    auto check = [&](const RoundSummary& s) {
        kinds.insert(s.facts.kind);
        kuRounds += s.scoring.ku || s.scoring.kuChuai ? 1 : 0;
        for (int own = 0; own < 4; own += 3) {  // the sheet as seat 0 and as seat 3 see it
            SettlementInput in;
            for (int r = 0; r < 4; ++r) {
                const int seat = (own + r) % 4;
                in.records[r] = s.records[seat];
                in.seatBits[r] = s.records[seat].seatBit;
                in.bombs[r] = s.facts.bombs[seat];
                in.initialCoins[r] = "0";
            }
            SettlementSheet sheet = buildSettlementSheet(in);
            for (int r = 0; r < 4; ++r) {
                const int seat = (own + r) % 4;
                const auto& column = sheet.lists[r];
                const std::string where = "round " + std::to_string(s.roundNumber) + " seat " + std::to_string(seat);
                EXPECT_EQ(sheet.coinChange[r], s.scoring.seats[seat].amount) << where;
                EXPECT_EQ(sheet.win[r], s.scoring.seats[seat].winner) << where;
                switch (s.facts.kind) {
                case CallKind::Hidden:
                    EXPECT_TRUE(has(column, seat == s.facts.lone ? "暗叫       :×12" : "暗叫       :×4")) << where;
                    break;
                case CallKind::Roar:
                    EXPECT_TRUE(has(column, seat == s.facts.lone ? "吼        :×24" : "吼        :×8")) << where;
                    break;
                case CallKind::Ordinary: {
                    const bool calling = seat == s.facts.caller || seat == s.facts.partner;
                    EXPECT_EQ(has(column, "朋友"), calling) << where;
                    EXPECT_EQ(has(column, "枯         :×2"), s.scoring.ku) << where;
                    EXPECT_EQ(has(column, "枯踹       :×4"), s.scoring.kuChuai) << where;
                    EXPECT_EQ(has(column, "踹         :×2"), s.scoring.chuai) << where;
                    break;
                }
                case CallKind::None:
                    ADD_FAILURE() << where << " settled without a call";
                }
            }
        }
    };
    EXPECT_EQ(runSelfPlay(400, config, quiet, check).rounds, 400);
    EXPECT_TRUE(kinds.count(CallKind::Ordinary));
    EXPECT_GT(kuRounds, 0);
}

}  // namespace
}  // namespace vexal::server
