#include "model/players.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace vexal {

PlayerRecord playerRecordFrom(const SeatInfo& info) {
    PlayerRecord r;
    static_cast<SeatInfo&>(r) = info;
    if (r.faceCode.empty())
        r.faceCode = "m1";
    r.seatBit = info.seatBit & 0x0F;
    r.portraitIndex = portraitIndex(r.faceCode);
    return r;
}

int portraitIndex(const std::string& faceCode) {
    const std::string code = faceCode.empty() ? std::string("m1") : faceCode;
    auto digit = [&](size_t i) {
        return i < code.size() && std::isdigit(static_cast<unsigned char>(code[i])) ? code[i] - '0' : 0;
    };
    int index = 0;
    if (code.size() == 2)
        index = digit(1) - 1;
    else if (code.size() == 3)
        index = digit(1) * 10 + digit(2) - 1;
    if (index >= 10 || index < 0)
        index = 0;
    if (code[0] == 'w')
        index += 10;
    return index;
}

int coinLevel(int64_t coins) {
    if (coins >= 60000)
        return 2;
    if (coins >= 20000)
        return 1;
    return 0;
}

uint32_t smallestPositiveWealth(const std::array<uint32_t, 4>& multiples) {
    uint32_t best = 0;
    for (uint32_t m : multiples)
        if (m > 0 && (best == 0 || m < best))
            best = m;
    return best;
}

int64_t coinsAfterChange(int64_t coins, int64_t amount) {
    int64_t result;
    if (__builtin_add_overflow(coins, amount, &result))
        result = amount > 0 ? std::numeric_limits<int64_t>::max() : 0;
    return std::max<int64_t>(result, 0);
}

std::string nicknameLabelText(const std::string& title, const std::string& nickname) {
    return "[" + title + "] " + nickname;
}

std::string coinLabelText(int64_t coins) { return std::to_string(coins) + "金币"; }

std::string departureLine(const std::string& nickname, int hour, int minute, int second) {
    return nickname + "退出了游戏 " + std::to_string(hour) + ":" + std::to_string(minute) + ":" +
           std::to_string(second);
}

std::string coinShortageLine(const std::string& nickname) { return "玩家" + nickname + "金币不够，退出游戏！"; }

std::string exitWarningText(bool roundRunning, bool spectator, bool seatChangeRunning) {
    if (roundRunning && !spectator)
        return "游戏正在进行，逃跑会扣分！";
    if (seatChangeRunning)
        return "游戏即将进行，可能会扣分！";
    return {};
}

}  // namespace vexal
