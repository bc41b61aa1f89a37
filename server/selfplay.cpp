#include "server/selfplay.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace vexal::server {

namespace {

class NullOutbox : public Outbox {
public:
    void send(int64_t, const CommandFrame&) override {}
    void close(int64_t) override {}
};

class Collector : public TableEvents {
public:
    Collector(SelfPlayTotals& totals, int64_t stake, const std::function<void(const RoundSummary&)>& onRound)
        : m_totals(totals), m_stake(stake), m_onRound(onRound) {}

    void seatReleased(int64_t, const Profile&) override {}
    void profileUpdated(const Profile&) override {}
    void roundSettled(const RoundSummary& s) override {
        ++m_totals.rounds;
        switch (s.facts.kind) {
        case CallKind::Ordinary: ++m_totals.ordinary; break;
        case CallKind::Hidden: ++m_totals.hidden; break;
        case CallKind::Roar: ++m_totals.roars; break;
        case CallKind::None: break;
        }
        if (s.scoring.ku || s.scoring.kuChuai)
            ++m_totals.ku;
        int callingFactor = 1;
        bool broke = false;
        for (int seat = 0; seat < kSeats; ++seat) {
            m_totals.amounts[seat] += s.scoring.seats[seat].amount;
            m_totals.wins[seat] += s.scoring.seats[seat].winner ? 1 : 0;
            m_totals.bombPlays += static_cast<int64_t>(s.facts.bombs[seat].size());
            callingFactor = std::max(callingFactor, s.scoring.seats[seat].callingFactor);
            broke = broke || s.coinsAfter[seat] < m_stake;
        }
        m_totals.bombFactors.add(s.scoring.bombFactor);
        m_totals.stakeFactors.add(s.scoring.bombFactor * s.scoring.kuFactor * callingFactor);
        m_totals.brokeRounds += broke ? 1 : 0;
        if (m_onRound)
            m_onRound(s);
    }

private:
    SelfPlayTotals& m_totals;
    int64_t m_stake;
    const std::function<void(const RoundSummary&)>& m_onRound;
};

const char* kindName(CallKind k) {
    switch (k) {
    case CallKind::Ordinary: return "call";
    case CallKind::Hidden: return "hidden-call";
    case CallKind::Roar: return "roar";
    case CallKind::None: break;
    }
    return "none";
}

}  // namespace

double MultiplierTally::mean() const {
    double sum = 0;
    int64_t n = 0;
    for (auto [value, count] : counts) {
        sum += static_cast<double>(value) * count;
        n += count;
    }
    return n > 0 ? sum / static_cast<double>(n) : 0.0;
}

int64_t MultiplierTally::quantile(double share) const {
    int64_t n = 0;
    for (auto [value, count] : counts)
        n += count;
    int64_t seen = 0;
    for (auto [value, count] : counts) {
        seen += count;
        if (static_cast<double>(seen) >= share * static_cast<double>(n))
            return value;
    }
    return 0;
}

SelfPlayTotals runSelfPlay(int rounds, TableConfig config, Logger& log,
                           const std::function<void(const RoundSummary&)>& onRound) {
    config.bots = true;
    config.botWait = Millis(0);
    config.botDelay = Millis(0);
    config.keepBotsAlone = true;
    config.maxRounds = rounds;
    config.brokeBotsStartAgain = true;
    SelfPlayTotals totals;
    NullOutbox out;
    Collector events(totals, config.stake, onRound);
    Table table(0, config, out, events, log);
    TimePoint now{};
    table.fillWithBots(now);
    while (totals.rounds < rounds) {
        table.tick(now);
        if (totals.rounds >= rounds)
            break;
        std::optional<TimePoint> next = table.nextWakeup();
        if (!next) {
            log.error("self-play: the table has nothing left to do");
            break;
        }
        now = std::max(now, *next);
    }
    return totals;
}

void printRound(std::ostream& out, const RoundSummary& s) {
    out << "round " << s.roundNumber << ": " << kindName(s.facts.kind);
    if (s.facts.kind == CallKind::Ordinary)
        out << " " << s.facts.caller << "+" << s.facts.partner;
    else if (s.facts.lone >= 0)
        out << " " << s.facts.lone;
    out << " | places";
    for (int p : s.facts.places) out << ' ' << p;
    out << " | card points";
    for (int p : s.facts.cardPoints) out << ' ' << p;
    out << " | final points";
    for (const SeatScore& sc : s.scoring.seats) out << ' ' << sc.finalPoints;
    out << " | bombs x" << s.scoring.bombFactor << " | amounts";
    for (const SeatScore& sc : s.scoring.seats) out << ' ' << sc.amount;
    out << '\n';
}

void printTotals(std::ostream& out, const SelfPlayTotals& t) {
    out << "rounds " << t.rounds << " (calls " << t.ordinary << ", hidden calls " << t.hidden << ", roars "
        << t.roars << ", 枯 " << t.ku << ")\nwins";
    for (int w : t.wins) out << ' ' << w;
    out << "\namounts";
    for (int64_t a : t.amounts) out << ' ' << a;
    out << '\n';
    auto tally = [&](const char* name, const MultiplierTally& m) {
        out << name << ": mean " << std::fixed << std::setprecision(1) << m.mean() << std::defaultfloat
            << ", median " << m.quantile(0.5) << ", 90th percentile " << m.quantile(0.9) << ", largest "
            << m.largest() << '\n';
    };
    tally("bomb multiplier", t.bombFactors);
    tally("stake multiplier", t.stakeFactors);
    const double perRound = t.rounds > 0 ? static_cast<double>(t.bombPlays) / t.rounds : 0.0;
    const double brokeShare = t.rounds > 0 ? 100.0 * t.brokeRounds / t.rounds : 0.0;
    out << "bombs and suited 5-10-Ks per round " << std::fixed << std::setprecision(2) << perRound
        << "\nrounds ending with a seat broke " << t.brokeRounds << " (" << std::setprecision(1) << brokeShare
        << "%)" << std::defaultfloat << '\n';
}

}  // namespace vexal::server
