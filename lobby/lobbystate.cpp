#include "lobby/lobbystate.h"

#include "server/accounts.h"

#include <algorithm>

namespace vexal {

namespace {
// The table's messages to the lobby and the system commands it sends, as the table defines them.
constexpr uint32_t kSysCommand = 0x0112;
constexpr int64_t kRestore = 0xF120;
constexpr uint32_t kLoginSent = 771;
constexpr uint32_t kRoundRunning = 1125;
constexpr uint32_t kLoginPending = 1126;
constexpr uint32_t kDeal = 1127;
constexpr uint32_t kLeft = 1024;
constexpr uint32_t kLogin = 22;
}  // namespace

void TableLink::received(uint32_t message, int64_t wParam) {
    if (m_state == TableState::None)
        return;
    if (message == kSysCommand && wParam == kRestore) {
        m_state = m_state == TableState::Starting ? TableState::Connecting : TableState::Left;
        return;
    }
    switch (message) {
    case kLogin:
        // The login task posts 22 at each run before its frame is written, and the login answer
        // posts it when the seat is refused; only the second comes after the frame went out.
        if (m_loginWritten)
            m_refused = true;
        m_loginWritten = false;
        return;
    case kLoginSent:
        m_loginWritten = true;
        m_refused = false;
        if (m_state != TableState::Left)
            m_state = TableState::AtTable;
        m_askedToLeave = false;
        return;
    case kLoginPending:
    case kRoundRunning:
    case kDeal:
        if (m_state != TableState::Left)
            m_state = TableState::AtTable;
        m_askedToLeave = false;
        return;
    case kLeft:
        if (m_askedToLeave)
            m_state = TableState::Left;
        m_askedToLeave = false;
        return;
    default:
        return;
    }
}

void TableLink::sent(uint32_t message) {
    if (m_state == TableState::None)
        return;
    switch (message) {
    case kLeft:
        m_state = TableState::Left;
        m_askedToLeave = false;
        return;
    case kLoginSent:
        m_askedToLeave = true;
        return;
    case kRoundRunning:
        m_askedToLeave = false;
        return;
    case kLogin:
        m_state = TableState::Connecting;
        m_askedToLeave = false;
        m_loginWritten = false;
        return;
    default:
        return;
    }
}

EnterAction TableLink::enterGame() {
    m_refused = false;
    m_loginWritten = false;
    switch (m_state) {
    case TableState::None:
        m_state = TableState::Starting;
        return EnterAction::StartTable;
    case TableState::Left:
        m_state = TableState::Connecting;
        m_askedToLeave = false;
        return EnterAction::Reenter;
    default:
        // A second login while one is on its way, or at a seat already, would cut the first one off.
        return EnterAction::ShowTable;
    }
}

const char* const kSeatRefusedText =
    "没能入座：这个帐号正在别的牌桌上打牌，或者现在没有空座位。请等正在进行的这一局结束后再点【进入游戏】。";

const char* tableStateText(TableState state) {
    switch (state) {
    case TableState::None:
        return "未进入游戏";
    case TableState::Starting:
    case TableState::Connecting:
        return "正在进入游戏…";
    case TableState::AtTable:
        return "游戏中";
    case TableState::Left:
        return "已离开游戏桌";
    }
    return "";
}

AccountView readAccountView(const std::string& path, const std::string& account, int32_t today, int reliefsPerDay) {
    AccountView view;
    if (path.empty())
        return view;
    server::AccountFileContents contents;
    switch (server::readAccountFile(path, contents, view.problem)) {
    case server::FileRead::Missing:
        return view;
    case server::FileRead::Failed:
        view.status = AccountView::Status::Unreadable;
        return view;
    case server::FileRead::Read:
        break;
    }
    const auto it = std::find_if(contents.records.begin(), contents.records.end(),
                                 [&](const server::AccountRecord& r) { return r.account == account; });
    if (it == contents.records.end()) {
        view.status = AccountView::Status::Unknown;
        return view;
    }
    view.status = AccountView::Status::Known;
    view.coins = it->coins;
    view.reliefLeft = server::reliefLeftToday(*it, today, reliefsPerDay);
    view.level = server::levelOfScore(it->score);
    view.wins = it->wins;
    view.losses = it->losses;
    return view;
}

}  // namespace vexal
