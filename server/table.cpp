#include "server/table.h"

#include <algorithm>

#include "net/messages/calling.h"
#include "net/messages/chat.h"
#include "net/messages/deal.h"
#include "net/messages/departure.h"
#include "net/messages/login.h"
#include "net/messages/play.h"
#include "net/messages/seating.h"
#include "net/messages/wire.h"
#include "model/roundstate.h"
#include "server/bot.h"

namespace vexal::server {

namespace {

constexpr const char* kSettlementNote = "本局赢得";

std::string seatTag(int table, int seat) {
    return "table " + std::to_string(table) + " seat " + std::to_string(seat);
}

bool singleSeatBit(uint8_t bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

// A bot says the same few lines under the same few names, and encoding one converts its text to
// the wire's character set: each line is encoded once per thread and kept.
const CommandFrame& phraseFrame(const ChatLine& line) {
    struct Kept {
        ChatLine line;
        CommandFrame frame;
    };
    constexpr size_t kMostKept = 64;
    thread_local std::vector<Kept> kept;
    for (const Kept& k : kept)
        if (k.line.seatBit == line.seatBit && k.line.phraseList == line.phraseList &&
            k.line.phraseNumber == line.phraseNumber && k.line.byte13 == line.byte13 && k.line.text == line.text &&
            k.line.addresseeBit == line.addresseeBit)
            return k.frame;
    if (kept.size() == kMostKept)
        kept.erase(kept.begin());
    kept.push_back(Kept{line, encode(line)});
    return kept.back().frame;
}

}  // namespace

CommandFrame refusedLineFrame(const char* reason) {
    ChatLine line;
    line.text = reason;  // seat bit 0: a system line, shown as it is
    return encode(line);
}

Table::Table(int index, const TableConfig& config, Outbox& out, TableEvents& events, Logger& log)
    : m_index(index), m_out(out), m_events(events), m_log(log), m_config(config),
      m_rng(config.seed * 1'000'003 + static_cast<uint64_t>(index)) {}

bool Table::botControlled(int seat) const {
    const Seat& s = m_seats[seat];
    return s.kind == SeatKind::Bot || s.conn < 0 || s.left;
}

int Table::humanCount() const {
    return static_cast<int>(std::count_if(m_seats.begin(), m_seats.end(), [](const Seat& s) {
        return s.kind == SeatKind::Human && !gone(s);
    }));
}

bool Table::full() const {
    return std::none_of(m_seats.begin(), m_seats.end(), [](const Seat& s) { return s.kind == SeatKind::Empty; });
}

bool Table::canSeat() const {
    if (roundRunning())
        return false;
    return std::any_of(m_seats.begin(), m_seats.end(), [](const Seat& s) { return s.kind != SeatKind::Human; });
}

bool Table::holdsAccount(const std::string& account) const {
    return std::any_of(m_seats.begin(), m_seats.end(), [&](const Seat& s) {
        return s.kind == SeatKind::Human && s.profile.account == account;
    });
}

Table::SeatView Table::seatView(int seat) const {
    const Seat& s = m_seats[seat];
    return {s.kind != SeatKind::Empty, s.kind == SeatKind::Bot, s.conn >= 0, s.ready, s.profile.account,
            s.profile.coins};
}

// Only a connected human's frame is copied, to carry its token: a bot's seat costs nothing.
void Table::sendTo(int seat, const CommandFrame& frame) {
    const Seat& s = m_seats[seat];
    if (s.kind != SeatKind::Human || s.conn < 0)
        return;
    CommandFrame stamped = frame;
    stamped[kTokenByte] = static_cast<uint8_t>(s.token >> 8);
    stamped[kTokenByte + 1] = static_cast<uint8_t>(s.token);
    m_out.send(s.conn, stamped);
}

void Table::broadcast(const CommandFrame& frame) {
    for (int seat = 0; seat < kSeats; ++seat)
        sendTo(seat, frame);
}

void Table::refuse(int seat, const CommandFrame& frame, const std::string& why) {
    m_log.warn(seatTag(m_index, seat) + ": refused command " + std::to_string(frame[kCommandByte]) + ": " + why);
}

void Table::refuseLine(int seat, const CommandFrame& frame, const std::string& why, const char* shown) {
    refuse(seat, frame, why);
    sendTo(seat, refusedLineFrame(shown));
}

CommandFrame Table::seatInfoFrame(int about, int addressee) const {
    const Profile& p = m_seats[about].profile;
    SeatInfo info;
    info.addresseeBit = wire::seatBit(addressee);
    info.nickname = p.nickname;
    info.faceCode = p.faceCode;
    info.sex = p.male ? 1 : 0;
    info.location = p.bot ? "机器" : "本地";
    info.score = p.score;
    info.coins = p.coins;
    const int level = levelOfScore(p.score);
    // The level label shows what the settlement writes there, so it reads the same after a login.
    info.level = levelTitle(level);
    info.loginCount = p.loginCount;
    info.disconnectCount = p.disconnectCount;
    info.wins = p.wins;
    info.losses = p.losses;
    info.account = p.account;
    info.title = rankOfLevel(level);
    info.ready = m_seats[about].ready;
    info.seatBit = wire::seatBit(about);
    info.wealthMultiple = static_cast<uint32_t>(m_config.wealth > 1 ? m_config.wealth : 0);
    info.pluginRefused = true;  // this server has no prop plug-in service
    return encode(info);
}

// Tells every other seat about `seat`, and `seat` about everybody (itself included).
void Table::announceSeat(int seat) {
    for (int other = 0; other < kSeats; ++other) {
        if (m_seats[other].kind == SeatKind::Empty)
            continue;
        sendTo(seat, seatInfoFrame(other, seat));
        if (other != seat)
            sendTo(other, seatInfoFrame(seat, other));
    }
}

int Table::seatHuman(int64_t conn, uint16_t token, const Profile& profile, TimePoint now) {
    if (!canSeat())
        return -1;
    int seat = -1;
    for (int s = 0; s < kSeats && seat < 0; ++s)
        if (m_seats[s].kind == SeatKind::Empty)
            seat = s;
    for (int s = 0; s < kSeats && seat < 0; ++s)
        if (m_seats[s].kind == SeatKind::Bot)
            seat = s;
    if (seat < 0)
        return -1;
    if (m_seats[seat].kind == SeatKind::Bot)
        releaseSeat(seat, true);
    Seat& s = m_seats[seat];
    s = Seat{};
    s.kind = SeatKind::Human;
    s.profile = profile;
    s.conn = conn;
    s.token = token;
    m_log.info(seatTag(m_index, seat) + ": " + profile.account + " sits down");

    sendTo(seat, encode(LoginAnswer{wire::seatBit(seat), static_cast<uint8_t>(m_config.turnSeconds),
                                    static_cast<uint8_t>(LoginResult::Accepted), ""}));
    announceSeat(seat);
    sendTo(seat, encode(TableState{wire::seatBit(seat), static_cast<uint8_t>(TableStateKind::Forming), 0, false}));
    // An account that comes back broke gets its relief now, or is put out at once.
    if (!coverShortfall(seat)) {
        afterDeparture(now);
        return seat;
    }

    if (full()) {
        m_fullSince = now;
    } else if (m_config.bots && !m_botFillAt) {
        m_botFillAt = now + m_config.botWait;
    }
    tick(now);
    return seat;
}

void Table::makeBot(int seat) {
    Seat& s = m_seats[seat];
    s = Seat{};
    s.kind = SeatKind::Bot;
    s.profile.account = "bot" + std::to_string(m_index) + "-" + std::to_string(seat);
    s.profile.nickname = "电脑" + std::to_string(seat + 1);
    std::string face(1, seat % 2 ? 'w' : 'm');
    face += std::to_string(seat + 2);
    s.profile.faceCode = std::move(face);
    s.profile.male = seat % 2 == 0;
    s.profile.bot = true;
    s.profile.coins = m_config.startCoins;
    s.ready = true;  // bots are always ready
}

void Table::fillWithBots(TimePoint now) {
    m_botFillAt.reset();
    bool added = false;
    for (int seat = 0; seat < kSeats; ++seat) {
        if (m_seats[seat].kind != SeatKind::Empty)
            continue;
        makeBot(seat);
        announceSeat(seat);
        added = true;
    }
    if (added && full())
        m_fullSince = now;
}

// Gives a seat up. A human's profile goes back to the hall; the others hear of it by command 21.
void Table::releaseSeat(int seat, bool announce) {
    Seat old = m_seats[seat];
    m_seats[seat] = Seat{};
    m_fullSince.reset();
    if (old.kind == SeatKind::Empty)
        return;
    if (announce) {
        for (int other = 0; other < kSeats; ++other)
            if (other != seat)
                sendTo(other, encode(PlayerLeft{wire::seatBit(other), old.profile.account, false, false}));
    }
    if (old.kind == SeatKind::Human) {
        m_log.info(seatTag(m_index, seat) + ": " + old.profile.account + " leaves the table");
        m_events.seatReleased(old.conn, old.profile);
    }
}

void Table::connectionLost(int seat, TimePoint now) {
    Seat& s = m_seats[seat];
    if (s.kind != SeatKind::Human || s.conn < 0)
        return;
    ++s.profile.disconnectCount;
    s.conn = -1;
    if (roundRunning() && !s.left) {
        s.droppedAt = now;
        s.resumeAtDrop = m_resumeNumber;
        m_log.info(seatTag(m_index, seat) + ": connection lost, seat kept for a reconnect");
        tick(now);
        return;
    }
    if (roundRunning())
        return;  // left already: released when the round ends
    releaseSeat(seat, true);
    afterDeparture(now);
}

// With no human left the bots leave too; otherwise the empty seat is filled after the wait.
void Table::afterDeparture(TimePoint now) {
    if (humanCount() == 0 && !m_config.keepBotsAlone) {
        for (int other = 0; other < kSeats; ++other)
            if (m_seats[other].kind == SeatKind::Bot)
                releaseSeat(other, false);
        m_botFillAt.reset();
    } else if (m_config.bots && !m_botFillAt) {
        m_botFillAt = now + m_config.botWait;
    }
}

int Table::reconnectSeat(const std::string& account, uint16_t token, uint32_t resumeNumber) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        const Seat& s = m_seats[seat];
        if (s.kind == SeatKind::Human && s.conn < 0 && !s.left && s.droppedAt &&
            s.profile.account == account && s.token == token &&
            (resumeNumber == m_resumeNumber || resumeNumber == s.resumeAtDrop))
            return seat;
    }
    return -1;
}

// A client that comes back may have lost the table or missed what happened while it was away;
// either way the resend rebuilds it from a fresh deal with frames the client handles anyway. Its
// deal resets the client's round, so nothing sent before it (a bomb, a point) is counted twice.
void Table::resume(int seat, int64_t conn, TimePoint now) {
    Seat& s = m_seats[seat];
    s.conn = conn;
    s.droppedAt.reset();
    m_log.info(seatTag(m_index, seat) + ": " + s.profile.account + " reconnects");
    sendTo(seat, encode(ReconnectAnswer{wire::seatBit(seat), true}));
    resendState(seat, now);
}

int Table::returningSeat(const std::string& account) const {
    for (int seat = 0; seat < kSeats; ++seat) {
        const Seat& s = m_seats[seat];
        if (s.kind == SeatKind::Human && s.profile.account == account && (s.conn < 0 || s.left))
            return seat;
    }
    return -1;
}

// A player who ran from the round (or whose reconnect gave up) logs in again from the lobby: the
// client has reset its table and sent a fresh login, so it is seated as a login seats it, and then
// shown the round as the reconnect shows it. Leaving keeps its price: the escape mark stays on the
// seat until the settlement, so the side still loses the round.
void Table::seatReturning(int seat, int64_t conn, uint16_t token, TimePoint now) {
    Seat& s = m_seats[seat];
    s.conn = conn;
    s.token = token;
    s.left = false;
    s.droppedAt.reset();
    ++s.profile.loginCount;
    m_events.profileUpdated(s.profile);
    m_log.info(seatTag(m_index, seat) + ": " + s.profile.account + " logs in again and takes the seat back" +
               (s.escaped ? " (left the round: still counted as escaped)" : ""));
    sendTo(seat, encode(LoginAnswer{wire::seatBit(seat), static_cast<uint8_t>(m_config.turnSeconds),
                                    static_cast<uint8_t>(LoginResult::Accepted), ""}));
    // Only the returning client is told: the others know every seat already, and a seat described
    // again counts as one more player at their tables.
    for (int other = 0; other < kSeats; ++other)
        if (m_seats[other].kind != SeatKind::Empty)
            sendTo(seat, seatInfoFrame(other, seat));
    sendTo(seat, encode(TableState{wire::seatBit(seat), static_cast<uint8_t>(TableStateKind::Forming), 0, false}));
    // A round to show comes after the reconnect's answer, so that the client brings its table up to
    // date in one go, as after a reconnect, instead of dealing and playing the round again.
    if (m_round || (m_settled.settled && s.resumeAtDrop == m_settled.resume))
        sendTo(seat, encode(ReconnectAnswer{wire::seatBit(seat), true}));
    resendState(seat, now);
}

void Table::resendState(int seat, TimePoint now) {
    const Seat& s = m_seats[seat];
    // The round it dropped in has been settled meanwhile: the client still waits for that, and
    // builds the score sheet's bomb lines from the plays it has seen.
    if (m_settled.settled && s.resumeAtDrop == m_settled.resume) {
        resendRound(seat, m_settled);
        for (const CommandFrame& f : m_settled.settlement)
            sendTo(seat, f);
    }
    if (!m_round) {
        for (int other = 0; other < kSeats; ++other)
            if (m_seats[other].kind != SeatKind::Empty && m_seats[other].ready)
                sendTo(seat, encode(ReadyNotice{wire::seatBit(other), true, m_seats[other].profile.account}));
        return;
    }
    resendRound(seat, m_current);
    const bool calling = m_round->phase() == Phase::Calling;
    if (calling)
        sendTo(seat, encode(CallingTurn{wire::seatBit(m_round->callingSeat()), m_round->offer()}));
    if ((calling ? m_round->callingSeat() : m_round->turn()) == seat)
        m_turnStarted = now;  // the player gets a full turn from here, as its clock shows
}

// The deal as it was dealt, every call, then the plays: the tricks before the last one cleared from
// the table only as a summary, the last cleared trick and the trick in progress play by play, so
// that the table, the last-trick review and the turn are as they were.
void Table::resendRound(int seat, const RoundRecord& record) {
    sendTo(seat, encode(Deal{wire::seatBit(seat), record.dealt[seat], true, kSettlementNote, record.resume}));
    for (const CallChoice& c : record.calls)
        sendTo(seat, encode(c));
    // The client clears the table on trick flags 1 and 9; the round's last play (flag 10) leaves
    // its trick lying there.
    auto clears = [](const PlayEvent& e) { return e.trickFlag == kTrickToNextSeat || e.trickFlag == kTrickToByte16; };
    const std::vector<PlayEvent>& events = record.events;
    size_t lastClear = 0, from = 0;
    for (size_t i = 0; i < events.size(); ++i)
        if (clears(events[i]))
            lastClear = i;
    for (size_t i = lastClear; i-- > 0;)
        if (clears(events[i])) {
            from = i;
            break;
        }
    // events[0] is the opening of play; the summary covers what lies between it and `from`.
    if (from > 1)
        resendSummary(seat, std::vector<PlayEvent>(events.begin() + 1, events.begin() + static_cast<long>(from)));
    for (size_t i = from; i < events.size(); ++i)
        sendTo(seat, encode(reportOf(events[i])));
}

// Tricks long cleared, as few frames as keep the client's counts: per seat one report of every
// card it played (its back pile shrinks, its finishing badge comes in finishing order, a revealed
// partner is marked), then reports without cards that close a trick for the seat's points and
// carry its bombs one by one. Reports without cards sound nothing and animate nothing; no
// report names the returning seat next, so its play buttons stay as they were.
void Table::resendSummary(int seat, const std::vector<PlayEvent>& events) {
    std::array<std::vector<CardCode>, kSeats> cards;
    std::array<std::vector<PlayType>, kSeats> bombs;
    std::array<int, kSeats> points{};
    std::vector<int> order;  // finishers first, in finishing order, then the rest
    int revealed = -1;
    for (const PlayEvent& e : events) {
        std::vector<CardCode> codes = wireCardsOf(e.arranged);
        cards[e.seat].insert(cards[e.seat].end(), codes.begin(), codes.end());
        if (e.type > kPlayFiveTenKingMixed)
            bombs[e.seat].push_back(e.type);
        if (closesTrick(e.trickFlag) && e.taker >= 0)
            points[e.taker] += e.tablePoints;
        if (e.partnerRevealed)
            revealed = e.seat;
        if (e.finished)
            order.push_back(e.seat);
    }
    for (int s = 0; s < kSeats; ++s)
        if (std::find(order.begin(), order.end(), s) == order.end())
            order.push_back(s);

    const uint8_t elsewhere = wire::seatBit((seat + 1) % kSeats);
    const auto turnSeconds = static_cast<uint8_t>(m_config.turnSeconds);
    for (int s : order) {
        for (size_t at = 0; at < cards[s].size(); at += kMaxReportedCards) {
            PlayReport r;
            r.seatBit = wire::seatBit(s);
            r.nextSeatBit = elsewhere;
            r.trickFlag = kTrickGoesOn;
            r.type = kPlayNone;
            const size_t end = std::min(cards[s].size(), at + kMaxReportedCards);
            r.cards.assign(cards[s].begin() + static_cast<long>(at), cards[s].begin() + static_cast<long>(end));
            r.partnerRevealed = s == revealed && at == 0;
            r.turnSeconds = turnSeconds;
            sendTo(seat, encode(r));
        }
    }
    for (int s = 0; s < kSeats; ++s) {
        std::vector<PlayType> carried = bombs[s];
        if (carried.empty() && points[s] > 0)
            carried.push_back(kPlayNone);
        for (size_t k = 0; k < carried.size(); ++k) {
            PlayReport r;
            r.seatBit = wire::seatBit(s);
            r.nextSeatBit = elsewhere;
            r.trickFlag = kTrickToByte16;
            r.takerBit = wire::seatBit(s);
            r.type = carried[k];
            r.tablePoints = static_cast<uint16_t>(k == 0 ? points[s] : 0);
            r.turnSeconds = turnSeconds;
            sendTo(seat, encode(r));
        }
    }
}

void Table::maybeStartRound(TimePoint now) {
    if (m_round || !full() || (m_config.maxRounds > 0 && m_roundsPlayed >= m_config.maxRounds))
        return;
    bool allReady = std::all_of(m_seats.begin(), m_seats.end(), [&](const Seat& s) {
        return s.ready || s.kind == SeatKind::Bot || s.conn < 0;
    });
    bool firstStartDue = m_fullSince && now >= *m_fullSince + m_config.firstStartDelay;
    if (allReady || firstStartDue)
        startRound(now);
}

void Table::startRound(TimePoint now) {
    Deck deck = m_config.dealer ? m_config.dealer(m_rng) : shuffledDeck(m_rng);
    m_round = std::make_unique<Round>(deck, m_nextStarter);
    m_resumeNumber = static_cast<uint32_t>(drawBelow(m_rng, 0x7FFFFFFF)) + 1;
    m_fullSince.reset();
    for (Seat& s : m_seats) {
        s.ready = false;
        s.escaped = false;
        s.left = false;
    }
    if (m_log.enabled(LogLevel::Info))
        m_log.info("table " + std::to_string(m_index) + ": round " + std::to_string(m_roundsPlayed + 1) +
                   " dealt, seat " + std::to_string(m_nextStarter) + " starts");
    m_current.clear();
    m_current.resume = m_resumeNumber;
    for (int seat = 0; seat < kSeats; ++seat) {
        m_current.dealt[seat] = m_round->hand(seat);
        sendTo(seat, encode(Deal{wire::seatBit(seat), m_round->hand(seat), true, kSettlementNote, m_resumeNumber}));
    }
    sendCallingTurn();
    beginTurn(now);
}

void Table::sendCallingTurn() {
    broadcast(encode(CallingTurn{wire::seatBit(m_round->callingSeat()), m_round->offer()}));
}

void Table::beginTurn(TimePoint now) { m_turnStarted = now; }

std::optional<TimePoint> Table::turnDue() const {
    if (!m_round || m_round->phase() == Phase::Over)
        return std::nullopt;
    const bool calling = m_round->phase() == Phase::Calling;
    const int seat = calling ? m_round->callingSeat() : m_round->turn();
    if (botControlled(seat))
        return m_turnStarted + m_config.botDelay;
    Millis limit = calling ? m_config.callingTime : Millis(m_config.turnSeconds * 1000);
    return m_turnStarted + limit + m_config.grace;
}

PlayReport Table::reportOf(const PlayEvent& e) const {
    PlayReport r;
    r.seatBit = wire::seatBit(e.seat);
    r.nextSeatBit = e.next >= 0 ? wire::seatBit(e.next) : 0;
    r.trickFlag = e.trickFlag;
    r.takerBit = e.trickFlag == kTrickToByte16 ? wire::seatBit(e.taker) : 0;
    r.type = e.type;
    r.cards = wireCardsOf(e.arranged);
    r.tablePoints = static_cast<uint16_t>(e.tablePoints);
    r.partnerRevealed = e.partnerRevealed;
    r.turnSeconds = static_cast<uint8_t>(m_config.turnSeconds);
    return r;
}

void Table::sendPlayEvent(PlayEvent e) {
    m_current.events.push_back(std::move(e));
    broadcast(encode(reportOf(m_current.events.back())));
}

// Answers for a seat: the bot's choice for a bot or a dropped player, the client's own automatic
// answer for a connected player whose countdown ran out.
void Table::actFor(int seat, bool timedOut, TimePoint now) {
    if (m_round->phase() == Phase::Calling) {
        CommandFrame f;
        if (timedOut) {
            // The client's countdown never answers a roar-only turn; the table must not wait
            // for ever, and a roar is the only answer there is.
            f = encode(automaticCallChoice(wire::seatBit(seat), m_round->offer(), m_round->hand(seat)));
            if (m_log.enabled(LogLevel::Info))
                m_log.info(seatTag(m_index, seat) + ": calling time is up, the server answers");
        } else {
            f = botCallFrame(*m_round, seat, m_rng);
        }
        const CallChoice made = decodeCallChoice(f);
        handleCall(seat, f, now);
        if (m_seats[seat].kind == SeatKind::Bot)
            botRemarkOnCall(seat, made);
        return;
    }
    CommandFrame f;
    if (timedOut) {
        if (m_log.enabled(LogLevel::Info))
            m_log.info(seatTag(m_index, seat) + ": turn time is up, the server answers");
        f = automaticPlayFrame(wire::seatBit(seat), m_round->leading(), m_round->hand(seat));
    } else {
        f = botPlayFrame(*m_round, seat);
    }
    applyPlay(seat, f, decodePlayFrame(f), now);
}

// A roar is announced; an ordinary call asks after the partner. A hidden call (the caller holds
// both copies) is kept quiet: saying anything would give it away.
void Table::botRemarkOnCall(int seat, const CallChoice& made) {
    if (made.choice == kChoiceRoar) {
        botSays(seat, {kPhraseRoar});
    } else if (made.choice == kChoiceCall) {
        const std::vector<CardCode>& hand = m_round->hand(seat);
        const auto copies = std::count_if(hand.begin(), hand.end(), [&](CardCode c) {
            return !isWild(c) && cardRank(c) == made.rank && suitBit(c) == made.suitBit;
        });
        if (copies == 1)
            botSays(seat, {kPhraseWhereIsMyFriend});
    }
}

// The first occasion a play gives, in this order: going out first, one card left, a bomb (with a
// trick worth taking, its points too), a suited 5-10-K. Nothing after the round's last play: the
// settlement speaks for itself.
void Table::botRemarkOnPlay(int seat, const PlayEvent& e) {
    if (e.type == kPlayNone || e.roundOver)
        return;
    const bool firstOut = e.finished && std::count_if(m_current.events.begin(), m_current.events.end(),
                                                      [](const PlayEvent& x) { return x.finished; }) == 1;
    if (firstOut)
        botSays(seat, {kPhraseWon});
    else if (m_round->hand(seat).size() == 1)
        botSays(seat, {kPhraseOneCardLeft});
    else if (isBombType(e.type) && e.tablePoints >= 20)
        botSays(seat, {kPhraseBomb, kPhraseThisTrickIsMine, kPhraseLeaveThePoints});
    else if (isBombType(e.type))
        botSays(seat, {kPhraseBomb, kPhraseThisTrickIsMine});
    else if (isFiveTenKingType(e.type) && e.type != kPlayFiveTenKingMixed)
        botSays(seat, {kPhraseFiveTenKing});
}

// The opening of play counts as a closed trick, so the first trick is 1; the calling before it
// counts with it.
int Table::tricksClosed() const {
    return static_cast<int>(std::count_if(m_current.events.begin(), m_current.events.end(), [](const PlayEvent& e) {
        return e.trickFlag == kTrickToNextSeat || e.trickFlag == kTrickToByte16;
    }));
}

// A bot's quick phrase, sent as a player's double click sends it: the list and number for the
// receivers' bubble and voice, and the line as its shown name (the account) says it. The bots of a
// table say at most one line a trick (the calls count with the first), never the table's last
// line again, and of the lines that fit the one said least lately, so a bomb war does not fill
// the history with one phrase.
void Table::botSays(int seat, std::initializer_list<QuickPhrase> fitting) {
    const std::pair<int, int> trick{m_roundsPlayed, std::max(1, tricksClosed())};
    if (m_botTalkTrick == trick)
        return;
    const QuickPhrase* pick = nullptr;
    for (const QuickPhrase& p : fitting)
        if (p.number != m_lastBotPhrase && (!pick || m_botPhraseSaidAt[p.number] < m_botPhraseSaidAt[pick->number]))
            pick = &p;
    if (!pick)
        return;
    m_botTalkTrick = trick;
    m_lastBotPhrase = pick->number;
    m_botPhraseSaidAt[pick->number] = ++m_botLines;
    ChatLine line;
    line.seatBit = wire::seatBit(seat);
    line.phraseList = pick->list;
    line.phraseNumber = pick->number;
    line.byte13 = pick->list == 2 ? 97 : 0;
    line.text = m_seats[seat].profile.nickname + "说道： " + pick->text;
    broadcast(phraseFrame(line));
}

void Table::receive(int seat, const CommandFrame& frame, TimePoint now) {
    const uint8_t command = frame[kCommandByte];
    if (command == commandByte(Command::KeepAlive))
        return;
    if ((frame[kSeatByte] & 0x0F) != wire::seatBit(seat)) {
        const std::string why = "seat bit " + std::to_string(frame[kSeatByte] & 0x0F) + " is not the seat's";
        if (command == commandByte(Command::Chat) && !isPluginMessage(frame))
            return refuseLine(seat, frame, why, kLineUnderAnotherSeat);
        refuse(seat, frame, why);
        return;
    }
    switch (static_cast<Command>(command)) {
    case Command::CallResult:
        if (m_seats[seat].left)
            return refuse(seat, frame, "the player has left the round");
        return handleCall(seat, frame, now);
    case Command::PlayOrPass:
        if (m_seats[seat].left)
            return refuse(seat, frame, "the player has left the round");
        return handlePlay(seat, frame, now);
    case Command::TableState:
        return handleReadyOrLeave(seat, frame, now);
    case Command::Chat:
        return handleChat(seat, frame);
    default:
        refuse(seat, frame, "not a command a seated client sends");
    }
}

void Table::handleCall(int seat, const CommandFrame& frame, TimePoint now) {
    if (!m_round)
        return refuse(seat, frame, "no round is running");
    CallChoice c = decodeCallChoice(frame);
    std::string why = m_round->call(seat, c.choice, c.rank, c.suitBit);
    if (!why.empty())
        return refuse(seat, frame, why);
    m_current.calls.push_back(m_round->callHistory().back());
    broadcast(encode(m_current.calls.back()));
    if (m_round->phase() == Phase::Calling)
        sendCallingTurn();
    else
        sendPlayEvent(m_round->opening());
    beginTurn(now);
}

void Table::handlePlay(int seat, const CommandFrame& frame, TimePoint now) {
    if (!m_round)
        return refuse(seat, frame, "no round is running");
    applyPlay(seat, frame, decodePlayFrame(frame), now);
}

void Table::applyPlay(int seat, const CommandFrame& frame, const std::optional<PlayFrame>& play, TimePoint now) {
    if (!m_round)
        return refuse(seat, frame, "no round is running");
    if (!play)
        return refuse(seat, frame, "malformed play");
    Round::Outcome out = m_round->play(seat, *play);
    if (!out.refusal.empty())
        return refuse(seat, frame, out.refusal);
    sendPlayEvent(std::move(out.event));
    if (m_seats[seat].kind == SeatKind::Bot)
        botRemarkOnPlay(seat, m_current.events.back());
    if (out.event.roundOver) {
        settle(now);
        return;
    }
    beginTurn(now);
}

void Table::handleReadyOrLeave(int seat, const CommandFrame& frame, TimePoint now) {
    const uint8_t choice = frame[15];
    Seat& s = m_seats[seat];
    if (choice == 1) {
        if (m_round)
            return refuse(seat, frame, "ready during a round");
        if (!s.ready) {
            s.ready = true;
            broadcast(encode(ReadyNotice{wire::seatBit(seat), true, s.profile.account}));
        }
        maybeStartRound(now);
        return;
    }
    if (choice != 0)
        return refuse(seat, frame, "byte 15 is neither ready nor leave");
    if (m_round) {
        // Leaving a round: a bot plays on and the player's side loses; the seat is given up with
        // the settlement unless the player logs in again before it.
        s.escaped = true;
        s.left = true;
        m_log.info(seatTag(m_index, seat) + ": " + s.profile.account + " leaves during the round");
        return;
    }
    const int64_t conn = s.conn;
    releaseSeat(seat, true);
    if (conn >= 0)
        m_out.close(conn);
    afterDeparture(now);
}

void Table::handleChat(int seat, const CommandFrame& frame) {
    if (isPluginMessage(frame)) {
        // Prop plug-in messages: this server offers no plug-in service.
        m_log.debug(seatTag(m_index, seat) + ": plug-in message dropped");
        return;
    }
    const ChatLine line = decodeChatLine(frame);
    if (line.addresseeBit != 0 && !singleSeatBit(line.addresseeBit))
        return refuseLine(seat, frame, "private line to no single seat", kLineToNoSeat);
    // A bot or a player who dropped out hears nothing, but the line goes as it would to anybody
    // seated: the sender sees it said.
    if (line.addresseeBit != 0 && m_seats[wire::seatOfBit(line.addresseeBit)].kind == SeatKind::Empty)
        return refuseLine(seat, frame, "private line to an empty seat", kLineToEmptySeat);
    // Relay the sender's bytes 9..215 as they are, under the seat the connection holds; nothing
    // behind the text travels on.
    CommandFrame out = wire::makeFrame(Command::Chat, wire::seatBit(seat));
    std::copy(frame.begin() + 9, frame.begin() + 216, out.begin() + 9);
    if (line.addresseeBit == 0) {
        broadcast(out);
    } else {
        sendTo(seat, out);
        int to = wire::seatOfBit(line.addresseeBit);
        if (to != seat)
            sendTo(to, out);
    }
}

void Table::settle(TimePoint now) {
    RoundSummary summary;
    summary.table = m_index;
    summary.at = now;
    summary.roundNumber = ++m_roundsPlayed;
    summary.facts = m_round->facts();
    ScoringParams params;
    params.stake = m_config.stake;
    params.wealth = m_config.wealth;
    for (int seat = 0; seat < kSeats; ++seat) {
        params.coins[seat] = m_seats[seat].profile.coins;
        if (m_seats[seat].escaped)
            params.escapedBits |= wire::seatBit(seat);
    }
    summary.scoring = scoreRound(summary.facts, params);
    const RoundFacts& f = summary.facts;

    for (int seat = 0; seat < kSeats; ++seat) {
        Profile& p = m_seats[seat].profile;
        const SeatScore& sc = summary.scoring.seats[seat];
        p.coins = std::max<int64_t>(0, p.coins + sc.amount);
        summary.coinsAfter[seat] = p.coins;
        p.score += sc.winner ? 3 : 1;
        (sc.winner ? p.wins : p.losses) += 1;
        if (m_seats[seat].kind == SeatKind::Human)
            m_events.profileUpdated(p);
        summary.accounts[seat] = p.account;

        SettlementRecord& r = summary.records[seat];
        r.seatBit = wire::seatBit(seat);
        r.stake = static_cast<uint32_t>(m_config.stake);
        r.coinUnit = kCoinUnitCoins;
        r.heldCards = m_round->hand(seat);
        r.place = static_cast<uint8_t>(f.places[seat]);
        r.subtotalGain = sc.winner;
        r.subtotal = static_cast<uint64_t>(sc.subtotal);
        r.finalGain = sc.winner;
        r.finalAmount = static_cast<uint64_t>(sc.amount < 0 ? -sc.amount : sc.amount);
        r.level = static_cast<uint8_t>(levelOfScore(p.score));
        r.roared = f.kind == CallKind::Roar && seat == f.lone;
        if (f.kind == CallKind::Ordinary || f.kind == CallKind::Hidden) {
            r.callerBit = wire::seatBit(f.caller);
            r.partnerBit = wire::seatBit(f.partner);
        }
        r.cardPoints = static_cast<uint16_t>(f.cardPoints[seat]);
        r.finalPoints = static_cast<uint16_t>(sc.finalPoints);
        r.capped = sc.capped;
        r.escapedBits = params.escapedBits;
    }
    for (int about = 0; about < kSeats; ++about) {
        m_current.settlement[about] = encode(summary.records[about]);
        broadcast(m_current.settlement[about]);
    }
    m_current.settled = true;
    // The record settled before goes, and its storage takes the next round's.
    std::swap(m_settled, m_current);
    m_current.clear();
    if (m_log.enabled(LogLevel::Info))
        m_log.info("table " + std::to_string(m_index) + ": round " + std::to_string(summary.roundNumber) +
                   " settled");
    m_events.roundSettled(summary);

    for (int seat = 0; seat < kSeats; ++seat)
        if (f.places[seat] == 1)
            m_nextStarter = seat;
    m_round.reset();
    afterSettlement(now);
}

DateNumber Table::today() const {
    return m_config.today ? m_config.today() : localDate(std::chrono::system_clock::now());
}

// A seat short of the stake gets a relief when it has one left today (a bot always does); one
// without is told of the shortage, with everybody else, and put out. False when put out.
bool Table::coverShortfall(int seat) {
    Seat& s = m_seats[seat];
    if (s.kind == SeatKind::Empty || s.profile.coins >= m_config.stake)
        return true;
    int64_t granted = 0;
    if (s.kind == SeatKind::Bot) {
        granted = std::max(m_config.reliefFloor, m_config.stake) - s.profile.coins;
        s.profile.coins += granted;
    } else {
        granted = grantRelief(s.profile, m_config.stake, today(), m_config.reliefFloor, m_config.reliefsPerDay);
    }
    if (granted > 0) {
        m_log.info(seatTag(m_index, seat) + ": " + s.profile.account + " gets a relief of " + std::to_string(granted));
        sendTo(seat, encodeOwnCoinChange(CoinChange{wire::seatBit(seat), granted, ""}));
        for (int other = 0; other < kSeats; ++other)
            if (other != seat)
                sendTo(other, encodeOtherCoinChange(CoinChange{wire::seatBit(other), granted, s.profile.account}));
        if (s.kind == SeatKind::Human)
            m_events.profileUpdated(s.profile);
        return true;
    }
    m_log.info(seatTag(m_index, seat) + ": " + s.profile.account + " lacks coins and has no relief left today");
    broadcast(encode(TableState{wire::seatBit(seat), static_cast<uint8_t>(TableStateKind::CoinShortage), 0, false}));
    const int64_t conn = s.conn;
    releaseSeat(seat, false);
    if (conn >= 0)
        m_out.close(conn);
    return false;
}

// Between rounds: players who left go, the broke get relief or are sent away, bots get ready.
void Table::afterSettlement(TimePoint now) {
    for (int seat = 0; seat < kSeats; ++seat) {
        Seat& s = m_seats[seat];
        if (gone(s)) {
            int64_t conn = s.conn;
            releaseSeat(seat, true);
            if (conn >= 0)
                m_out.close(conn);
        }
    }
    for (int seat = 0; seat < kSeats; ++seat) {
        Seat& s = m_seats[seat];
        if (s.kind == SeatKind::Bot && m_config.brokeBotsStartAgain && s.profile.coins < m_config.stake)
            s.profile.coins = m_config.startCoins;
        coverShortfall(seat);
    }
    for (int seat = 0; seat < kSeats; ++seat) {
        Seat& s = m_seats[seat];
        if (s.kind == SeatKind::Bot || (s.kind == SeatKind::Human && s.conn < 0)) {
            s.ready = true;
            broadcast(encode(ReadyNotice{wire::seatBit(seat), true, s.profile.account}));
        }
    }
    if (humanCount() == 0 && !m_config.keepBotsAlone) {
        for (int seat = 0; seat < kSeats; ++seat)
            if (m_seats[seat].kind != SeatKind::Empty)
                releaseSeat(seat, false);
        m_botFillAt.reset();
        return;
    }
    if (!full() && m_config.bots && !m_botFillAt)
        m_botFillAt = now + m_config.botWait;
}

void Table::tick(TimePoint now) {
    for (int seat = 0; seat < kSeats; ++seat) {
        Seat& s = m_seats[seat];
        if (s.kind != SeatKind::Human || !s.droppedAt || now < *s.droppedAt + m_config.reconnectWindow)
            continue;
        s.droppedAt.reset();
        m_log.info(seatTag(m_index, seat) + ": reconnect window over");
        if (m_round)
            s.escaped = true;
        else
            releaseSeat(seat, true);
    }
    if (m_botFillAt && now >= *m_botFillAt && !m_round) {
        if (humanCount() > 0 || m_config.keepBotsAlone)
            fillWithBots(now);
        else
            m_botFillAt.reset();
    }
    maybeStartRound(now);
    // Bots with no delay answer at once; the loop stops when nobody is due.
    for (int guard = 0; guard < 1000; ++guard) {
        std::optional<TimePoint> due = turnDue();
        if (!due || now < *due)
            break;
        const bool calling = m_round->phase() == Phase::Calling;
        const int seat = calling ? m_round->callingSeat() : m_round->turn();
        actFor(seat, !botControlled(seat), now);
        if (!m_round)
            maybeStartRound(now);
    }
}

std::optional<TimePoint> Table::nextWakeup() const {
    std::optional<TimePoint> next = turnDue();
    auto consider = [&](std::optional<TimePoint> t) {
        if (t && (!next || *t < *next))
            next = t;
    };
    for (const Seat& s : m_seats)
        if (s.kind == SeatKind::Human && s.droppedAt)
            consider(*s.droppedAt + m_config.reconnectWindow);
    if (!m_round) {
        consider(m_botFillAt);
        // A table that has played its last round waits for nothing.
        if (m_fullSince && !(m_config.maxRounds > 0 && m_roundsPlayed >= m_config.maxRounds))
            consider(*m_fullSince + m_config.firstStartDelay);
    }
    return next;
}

}  // namespace vexal::server
