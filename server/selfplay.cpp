#include "server/selfplay.h"

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
    Collector(SelfPlayTotals& totals, const std::function<void(const RoundSummary&)>& onRound)
        : m_totals(totals), m_onRound(onRound) {}

    void seatReleased(int64_t, const Profile&) override {}
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
        for (int seat = 0; seat < kSeats; ++seat) {
            m_totals.amounts[seat] += s.scoring.seats[seat].amount;
            m_totals.wins[seat] += s.scoring.seats[seat].winner ? 1 : 0;
        }
        if (m_onRound)
            m_onRound(s);
    }

private:
    SelfPlayTotals& m_totals;
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

SelfPlayTotals runSelfPlay(int rounds, TableConfig config, Logger& log,
                           const std::function<void(const RoundSummary&)>& onRound) {
    config.bots = true;
    config.botWait = Millis(0);
    config.botDelay = Millis(0);
    config.keepBotsAlone = true;
    config.maxRounds = rounds;
    SelfPlayTotals totals;
    NullOutbox out;
    Collector events(totals, onRound);
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
    out << " | amounts";
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
}

}  // namespace vexal::server
