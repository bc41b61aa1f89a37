#include "server/scoring.h"

#include <algorithm>

namespace vexal::server {

namespace {

// Keeps stake x 枯 x bombs small enough that x24 and any wealth multiple stay exact in 64 bits.
constexpr int64_t kMaxBase = 1'000'000'000'000;
constexpr int64_t kMaxWealth = 1000;

int64_t cappedProduct(int64_t a, int64_t b) {
    __int128 p = static_cast<__int128>(a) * b;
    return p > kMaxBase ? kMaxBase : static_cast<int64_t>(p);
}

}  // namespace

int64_t bombMultiplier(PlayType type) {
    if (type >= kPlayFiveTenKingDiamonds && type <= bombType(6))
        return 2;
    if (type > bombType(6) && type <= kPlayBombOf12)
        return 2 * (bombSize(type) - 5);  // 7 cards x4 ... 12 cards x14
    return 1;
}

std::array<int, kSeats> finalPoints(const RoundFacts& facts) {
    std::array<int, kSeats> fp = facts.cardPoints;
    int first = -1, last = -1;
    for (int s = 0; s < kSeats; ++s) {
        if (facts.places[s] == 1) first = s;
        if (facts.places[s] == kSeats) last = s;
    }
    if (first >= 0 && last >= 0 && first != last) {
        fp[first] += facts.cardPoints[last];
        fp[last] -= facts.cardPoints[last];
    }
    for (int s = 0; s < kSeats; ++s) {
        if (facts.handPoints[s] == 0)
            continue;
        int best = -1;
        for (int o = 0; o < kSeats; ++o)
            if (facts.team[o] != facts.team[s] && (best < 0 || facts.places[o] < facts.places[best]))
                best = o;
        if (best >= 0)
            fp[best] += facts.handPoints[s];
    }
    return fp;
}

Scoring scoreRound(const RoundFacts& facts, const ScoringParams& params) {
    Scoring sc;
    const std::array<int, kSeats> fp = finalPoints(facts);
    std::array<int, 2> teamPoints{};
    for (int s = 0; s < kSeats; ++s) {
        sc.seats[s].finalPoints = fp[s];
        teamPoints[facts.team[s]] += fp[s];
    }

    if (facts.kind == CallKind::Ordinary) {
        int kuTeam = -1;
        for (int team = 0; team < 2; ++team) {
            bool both = true;
            for (int s = 0; s < kSeats; ++s)
                if (facts.team[s] == team && facts.places[s] > 2)
                    both = false;
            if (both)
                kuTeam = team;
        }
        if (kuTeam >= 0) {
            sc.winningTeam = kuTeam;
            sc.ku = teamPoints[kuTeam] != kTotalPoints;
            sc.kuChuai = !sc.ku;
            sc.kuFactor = sc.kuChuai ? 4 : 2;
        } else {
            int firstSeat = 0;
            for (int s = 0; s < kSeats; ++s)
                if (facts.places[s] == 1)
                    firstSeat = s;
            sc.winningTeam = teamPoints[0] > 100 ? 0 : teamPoints[1] > 100 ? 1 : facts.team[firstSeat];
            if (teamPoints[0] == kTotalPoints || teamPoints[1] == kTotalPoints) {
                sc.chuai = true;
                sc.kuFactor = 2;
            }
        }
    } else {
        sc.winningTeam = facts.lone >= 0 && facts.places[facts.lone] == 1 ? 0 : 1;
    }

    // A side one of whose players left the round loses it, unless both sides lost a player.
    std::array<bool, 2> escapedTeam{};
    for (int s = 0; s < kSeats; ++s)
        if (params.escapedBits & (1 << s))
            escapedTeam[facts.team[s]] = true;
    if (escapedTeam[0] != escapedTeam[1])
        sc.winningTeam = escapedTeam[0] ? 1 : 0;

    for (int s = 0; s < kSeats; ++s)
        for (PlayType t : facts.bombs[s])
            sc.bombFactor = cappedProduct(sc.bombFactor, bombMultiplier(t));

    const int64_t wealth = std::clamp<int64_t>(params.wealth, 1, kMaxWealth);
    const int64_t base = cappedProduct(cappedProduct(std::max<int64_t>(params.stake, 0), sc.kuFactor),
                                       sc.bombFactor);
    for (int s = 0; s < kSeats; ++s) {
        SeatScore& seat = sc.seats[s];
        bool lone = s == facts.lone;
        if (facts.kind == CallKind::Hidden)
            seat.callingFactor = lone ? 12 : 4;
        else if (facts.kind == CallKind::Roar)
            seat.callingFactor = lone ? 24 : 8;
        seat.winner = facts.team[s] == sc.winningTeam;
        seat.subtotal = base * seat.callingFactor;
        seat.total = seat.subtotal * wealth;
        seat.amount = seat.winner ? seat.total : -seat.total;
    }

    // Capping: nobody loses more than he holds; the winners' gains shrink in proportion so the
    // table stays zero-sum, the odd coins going to the better-placed winners.
    int64_t loss = 0, paid = 0;
    for (int s = 0; s < kSeats; ++s) {
        SeatScore& seat = sc.seats[s];
        if (seat.winner)
            continue;
        loss += seat.total;
        int64_t can = std::min(seat.total, std::max<int64_t>(params.coins[s], 0));
        if (can != seat.total) {
            seat.amount = -can;
            seat.capped = true;
        }
        paid += can;
    }
    if (paid < loss) {
        int64_t given = 0;
        std::vector<int> winners;
        for (int s = 0; s < kSeats; ++s) {
            SeatScore& seat = sc.seats[s];
            if (!seat.winner)
                continue;
            seat.amount = static_cast<int64_t>(static_cast<__int128>(seat.total) * paid / loss);
            given += seat.amount;
            winners.push_back(s);
        }
        std::sort(winners.begin(), winners.end(),
                  [&](int a, int b) { return facts.places[a] < facts.places[b]; });
        for (size_t i = 0; given < paid && !winners.empty(); i = (i + 1) % winners.size()) {
            ++sc.seats[winners[i]].amount;
            ++given;
        }
        for (int s : winners)
            sc.seats[s].capped = sc.seats[s].amount != sc.seats[s].total;
    }
    return sc;
}

}  // namespace vexal::server
