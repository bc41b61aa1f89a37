// kestrel-lobby's plain logic: what it knows of its table from the table's window messages, what
// 进入游戏 does with that, and an account's coins and reliefs as the server's account file has them.
#pragma once

#include <cstdint>
#include <string>

namespace vexal {

// The lobby's own message: "enter game", as the 进入游戏 button does it. A private number, so
// scripts and tests can press the button through the window bus.
constexpr uint32_t kLobbyEnterGame = 0x8001;

// The table as the lobby sees it.
enum class TableState {
    None,        // no table process
    Starting,    // the process runs; its start-up has not restored the lobby yet
    Connecting,  // started up (or asked to log in again), not logged in yet
    AtTable,     // logged in: the login went out, a deal or a round was reported
    Left,        // the table left (exit, removal, lost connection) and waits, minimised
};

// What 进入游戏 does.
enum class EnterAction {
    StartTable,  // no table process: start one
    Reenter,     // a table that left: restore its window and post it 22 (log in again)
    ShowTable,   // a table on its way in or playing: bring it forward, nothing else
};

// Follows the table's window messages to the lobby. A table restores the lobby once during its
// start-up; every restore after that means it has left its seat and minimised itself.
class TableLink {
public:
    TableState state() const { return m_state; }

    void tableStarted() {
        m_state = TableState::Starting;
        m_refused = false;
    }
    void tableEnded() { m_state = TableState::None; }
    // A message the table posted to the lobby window; system commands carry their command in wParam.
    void received(uint32_t message, int64_t wParam);
    // A message the lobby posted to the table: 1024 makes it leave; after 771 its answer 1024 means
    // it left, while after 1125 the same answer only means no round is running.
    void sent(uint32_t message);

    // 进入游戏: the action for the table as it is now, and the state the action leads to.
    EnterAction enterGame();

    // The server refused the table's last login: the table posted 22 after its login went out, and
    // nothing since. A refused table ends itself; until the next 进入游戏 the lobby says why.
    bool loginRefused() const { return m_refused; }

private:
    TableState m_state = TableState::None;
    bool m_askedToLeave = false;
    bool m_loginWritten = false;  // 771 came, and no 22 after it
    bool m_refused = false;
};

const char* tableStateText(TableState state);
// What the lobby says after the server refused a seat: the seat is played over another
// connection, or every table is in a round, and either frees up when a round ends.
extern const char* const kSeatRefusedText;

// One account's line of the account file, as the lobby shows it.
struct AccountView {
    enum class Status { NoFile, Unreadable, Unknown, Known };
    Status status = Status::NoFile;
    int64_t coins = 0;
    int reliefLeft = 0;
    int level = 0;  // 1..40, from the kept score
    uint32_t wins = 0;
    uint32_t losses = 0;
    std::string problem;  // why the file could not be read
};

// Reads `path` (UTF-8 account names) and looks up `account` on `today` (YYYYMMDD): an empty path
// or a missing file is NoFile, an account without a line Unknown. Lines the reader skips do not
// hide the others.
AccountView readAccountView(const std::string& path, const std::string& account, int32_t today, int reliefsPerDay);

}  // namespace vexal
