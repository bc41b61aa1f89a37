// One table of four seats: seating, ready, rounds, bots, reconnects and the frames each seat is
// sent. No sockets: frames go out through an Outbox, time comes in as arguments.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/command.h"
#include "net/messages/settlement.h"
#include "server/accounts.h"
#include "server/deck.h"
#include "server/log.h"
#include "server/round.h"
#include "server/scoring.h"

namespace vexal::server {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Millis = std::chrono::milliseconds;

// Where frames for a connection go. Connection ids are the hall's. Closing never reports back
// synchronously: the transport tells the hall about the closed connection later.
class Outbox {
public:
    virtual ~Outbox() = default;
    virtual void send(int64_t conn, const CommandFrame& frame) = 0;
    virtual void close(int64_t conn) = 0;
};

// A player as the tables know him: the lasting account record (kept by the hall, and in the
// account file when there is one) and how he is shown.
struct Profile : AccountRecord {
    std::string nickname;
    std::string faceCode = "m1";
    bool male = true;
    bool bot = false;
};

struct TableConfig {
    int turnSeconds = 15;
    bool bots = true;
    Millis botWait{10'000};
    Millis botDelay{600};
    Millis callingTime{10'000};  // the client's own calling countdown
    Millis grace{5'000};         // beyond the client's countdown before the server answers for it
    Millis firstStartDelay{15'000};
    Millis reconnectWindow{70'000};
    int64_t stake = 100;
    int64_t wealth = 0;
    int64_t startCoins = 100'000;
    int64_t reliefFloor = kDefaultReliefFloor;  // a relief tops the coins up to this (or the stake)
    int reliefsPerDay = kDefaultReliefsPerDay;  // per player and local calendar day; bots unlimited
    std::function<DateNumber()> today;          // tests: a chosen date; empty: the local date
    uint64_t seed = 1;
    bool keepBotsAlone = false;  // self-play: bots go on without any human at the table
    // Self-play: a broke bot starts again with the start coins, as a new player taking the seat
    // would, instead of living on relief; keeps the rounds of a long run comparable.
    bool brokeBotsStartAgain = false;
    int maxRounds = 0;           // self-play: no round is dealt after this many (0: no limit)
    std::function<Deck(Rng&)> dealer;  // tests: a chosen deal; empty: the seeded shuffle
};

// One round's result as the table settled it.
struct RoundSummary {
    int table = 0;
    TimePoint at{};
    int roundNumber = 0;
    RoundFacts facts;
    Scoring scoring;
    std::array<SettlementRecord, kSeats> records;
    std::array<std::string, kSeats> accounts;
    std::array<int64_t, kSeats> coinsAfter{};  // after the settlement, before any relief
};

// A line of the quick-phrase lists the client reads from chat.ini (assets/chat.ini): the bots say
// these, and the receivers show the bubble and play the voice of that list and number.
struct QuickPhrase {
    uint8_t list = 0;
    uint8_t number = 0;
    const char* text = "";
};
// The lines of list 2 the bots say, each where it fits (docs/game-rules.md, "Bots").
inline constexpr QuickPhrase kPhraseBomb{2, 1, "看我的炸弹！"};
inline constexpr QuickPhrase kPhraseRoar{2, 2, "这把我要吼了！"};
inline constexpr QuickPhrase kPhraseFiveTenKing{2, 3, "五十K来了！"};
inline constexpr QuickPhrase kPhraseWhereIsMyFriend{2, 4, "朋友在哪里？"};
inline constexpr QuickPhrase kPhraseLeaveThePoints{2, 5, "分都给我留着！"};
inline constexpr QuickPhrase kPhraseThisTrickIsMine{2, 6, "这一轮我管了。"};
inline constexpr QuickPhrase kPhraseOneCardLeft{2, 8, "小心，我只剩一张了。"};
inline constexpr QuickPhrase kPhraseWon{2, 10, "漂亮，赢了！"};

// What the server says in the sender's history when it does not relay a chat line: a system line
// (command 19 with byte 6 = 0) to the sender alone.
inline constexpr const char* kLineToEmptySeat = "（消息未送出：那个座位上没有人！）";
inline constexpr const char* kLineToNoSeat = "（消息未送出：私聊的对象不是一个座位！）";
inline constexpr const char* kLineUnderAnotherSeat = "（消息未送出：发送的座位不是你的座位！）";
inline constexpr const char* kLineBeforeSeated = "（消息未送出：你还没有入座！）";
CommandFrame refusedLineFrame(const char* reason);

class TableEvents {
public:
    virtual ~TableEvents() = default;
    // A human's seat was given up; the profile carries the round's coins and counters.
    virtual void seatReleased(int64_t conn, const Profile& profile) = 0;
    // A seated human's coins or results changed (a settlement, a relief).
    virtual void profileUpdated(const Profile& profile) = 0;
    virtual void roundSettled(const RoundSummary& summary) = 0;
};

class Table {
public:
    Table(int index, const TableConfig& config, Outbox& out, TableEvents& events, Logger& log);

    int index() const { return m_index; }
    bool roundRunning() const { return m_round != nullptr; }
    const Round* round() const { return m_round.get(); }
    int roundsPlayed() const { return m_roundsPlayed; }
    uint32_t resumeNumber() const { return m_resumeNumber; }

    // Whether a new human can sit here now: a free seat, or a bot seat between rounds.
    bool canSeat() const;
    // Seats a logged-in human and sends the login answer and the seat information. -1 when full.
    // An account short of the stake gets its relief, or is put out again at once (coin shortage;
    // the hall hears of it through seatReleased).
    int seatHuman(int64_t conn, uint16_t token, const Profile& profile, TimePoint now);
    // Fills every empty seat with a bot at once.
    void fillWithBots(TimePoint now);

    // A frame from the connection of `seat` (the hall has matched connection and seat).
    void receive(int seat, const CommandFrame& frame, TimePoint now);
    // The connection of `seat` is gone. During a round the seat is kept for the reconnect window
    // while a bot plays for it; between rounds it is given up at once.
    void connectionLost(int seat, TimePoint now);

    // The seat a reconnect login may take back: the account's dropped seat, with the token of its
    // last connection and the resume number of this round or of the round it dropped in.
    int reconnectSeat(const std::string& account, uint16_t token, uint32_t resumeNumber) const;
    // Gives the seat back to a new connection, answers 29 and sends what the client needs to go on.
    void resume(int seat, int64_t conn, TimePoint now);

    // The seat a fresh login (18) of the account takes back: its seat while nobody plays it (the
    // player left the round, or the connection is gone), or -1.
    int returningSeat(const std::string& account) const;
    // Seats the account's player again at `seat` over a new connection with a new token: the
    // login answer, the table's seat information (the client reset its table when it left) and
    // what the reconnect resends. A player who left the round keeps the mark of having left: his
    // side still loses it.
    void seatReturning(int seat, int64_t conn, uint16_t token, TimePoint now);

    // Whether an account holds a seat here (connected or dropped).
    bool holdsAccount(const std::string& account) const;
    int64_t connectionOf(int seat) const { return m_seats[seat].conn; }

    void tick(TimePoint now);
    std::optional<TimePoint> nextWakeup() const;

    struct SeatView {
        bool occupied;
        bool bot;
        bool connected;
        bool ready;
        std::string account;
        int64_t coins;
    };
    SeatView seatView(int seat) const;

private:
    enum class SeatKind { Empty, Human, Bot };
    // What one round told every seat, kept so that a seat coming back can be shown it again.
    struct RoundRecord {
        uint32_t resume = 0;
        std::array<std::vector<CardCode>, kSeats> dealt;
        std::vector<CallChoice> calls;
        std::vector<PlayEvent> events;  // every command 6 sent, the opening of play first
        std::array<CommandFrame, kSeats> settlement{};
        bool settled = false;
        // Empties the record and keeps its storage.
        void clear() {
            resume = 0;
            for (auto& hand : dealt)
                hand.clear();
            calls.clear();
            events.clear();
            settlement = {};
            settled = false;
        }
    };
    // What every turn reads comes first, in one cache line with the start of the profile.
    struct Seat {
        SeatKind kind = SeatKind::Empty;
        bool ready = false;
        bool escaped = false;  // left during the round: the side loses it, and it is marked
        bool left = false;     // sent the leave frame: a bot plays until the player logs in again
        uint16_t token = 0;
        int64_t conn = -1;  // -1: no live connection (a bot, or a dropped human)
        std::optional<TimePoint> droppedAt;
        uint32_t resumeAtDrop = 0;
        Profile profile;
    };

    bool botControlled(int seat) const;
    // Left the round and not back: the seat goes with the settlement.
    static bool gone(const Seat& s) { return s.kind == SeatKind::Human && s.escaped && (s.conn < 0 || s.left); }
    // The round (or the last one settled, when the seat dropped in it) as the seat's client needs it.
    void resendState(int seat, TimePoint now);
    void sendTo(int seat, const CommandFrame& frame);
    void broadcast(const CommandFrame& frame);
    CommandFrame seatInfoFrame(int about, int addressee) const;
    void announceSeat(int seat);
    void releaseSeat(int seat, bool announce);
    void afterDeparture(TimePoint now);
    void makeBot(int seat);
    int humanCount() const;
    bool full() const;

    void maybeStartRound(TimePoint now);
    void startRound(TimePoint now);
    void beginTurn(TimePoint now);
    void sendCallingTurn();
    void sendPlayEvent(PlayEvent e);
    PlayReport reportOf(const PlayEvent& e) const;
    void resendRound(int seat, const RoundRecord& record);
    void resendSummary(int seat, const std::vector<PlayEvent>& events);
    void actFor(int seat, bool timedOut, TimePoint now);
    void botRemarkOnCall(int seat, const CallChoice& made);
    void botRemarkOnPlay(int seat, const PlayEvent& e);
    void botSays(int seat, std::initializer_list<QuickPhrase> fitting);
    int tricksClosed() const;
    void handleCall(int seat, const CommandFrame& frame, TimePoint now);
    void handlePlay(int seat, const CommandFrame& frame, TimePoint now);
    void applyPlay(int seat, const CommandFrame& frame, const std::optional<PlayFrame>& play, TimePoint now);
    void handleReadyOrLeave(int seat, const CommandFrame& frame, TimePoint now);
    void handleChat(int seat, const CommandFrame& frame);
    void settle(TimePoint now);
    void afterSettlement(TimePoint now);
    bool coverShortfall(int seat);
    DateNumber today() const;
    std::optional<TimePoint> turnDue() const;
    void refuse(int seat, const CommandFrame& frame, const std::string& why);
    // Refuses a chat line and tells the sender why, in its history.
    void refuseLine(int seat, const CommandFrame& frame, const std::string& why, const char* shown);

    // What every turn reads lies together at the start; a thousand tables do not fit in a cache.
    int m_index;
    int m_roundsPlayed = 0;
    Outbox& m_out;
    TableEvents& m_events;
    Logger& m_log;
    std::unique_ptr<Round> m_round;
    TimePoint m_turnStarted{};
    std::optional<TimePoint> m_fullSince;  // the table filled up: the round starts 15 s later at the latest
    std::optional<TimePoint> m_botFillAt;
    uint32_t m_resumeNumber = 0;
    int m_nextStarter = 0;
    TableConfig m_config;
    std::array<Seat, kSeats> m_seats;
    Rng m_rng;
    RoundRecord m_current;  // the round running now
    RoundRecord m_settled;  // the last round settled
    // What the bots said here: the trick of the last line (rounds played, tricks closed), the last
    // phrase and the count of lines when each phrase of list 2 was last said (0: never).
    std::optional<std::pair<int, int>> m_botTalkTrick;
    uint8_t m_lastBotPhrase = 0;
    uint32_t m_botLines = 0;
    std::array<uint32_t, 16> m_botPhraseSaidAt{};
};

}  // namespace vexal::server
