// The session's state records: the own player, the four seats, and the flags the handlers share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/launchparams.h"
#include "model/players.h"

namespace vexal {

// The ready phase's status lines, between the settlement or the full table and the deal.
inline constexpr std::string_view kPressContinueLine = "请点击【继续】按钮继续游戏！";
inline constexpr std::string_view kStartsSoonLine = "游戏将在15秒内开始";

struct SessionState {
    LaunchParameters launch;
    OwnPlayer own;

    // Per relative seat.
    std::array<PlayerRecord, 4> players{};
    std::array<std::string, 4> shownNames{};
    std::array<std::string, 4> dealTimeNames{};
    std::array<uint8_t, 4> seatBits{};
    std::array<uint32_t, 4> wealthMultiples{};
    uint32_t lastWealthMultiple = 0;  // of the latest seat information
    std::array<bool, 4> readyMarks{};  // "ready" shown beside the seat's panel
    int playersPresent = 0;

    bool loggedIn = false;
    bool roundRunning = false;
    bool ready = false;
    bool firstTableState = false;
    bool dealHappened = false;
    bool randomSeatChange = false;
    bool leavePending = false;
    bool reconnected = false;
    bool awayMode = false;
    bool goneAway = false;
    bool pluginOff = false;
    bool videoEnabled = false;

    // Start button: disarmed (its pressed flag set) until the own seat's information arrives.
    bool startDisarmed = true;
    bool firstStart = true;
    int roundCounter = 0;

    // The reconnect: running between a lost connection and either a connected socket or giving up.
    bool reconnecting = false;
    int reconnectAttempts = 0;
    float reconnectCheckedAt = 0;  // the clock's seconds since midnight at the last check

    int turnTimeLimit = 15;
    int timeoutLimit = 0;
    int timeoutCount = 0;
    std::string seatChangePage;  // advertisement address + ".gamead"
    std::string siteName = "Vexal五十K";

    // Seat-change animation.
    bool shuffleLaidOut = false;
    bool shuffleStarted = false;
    int shuffleTextIndex = 0;

    int relativeOf(uint8_t seatBitValue) const;
};

}  // namespace vexal
