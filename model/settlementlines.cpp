#include "model/settlementlines.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace vexal {

namespace {

using Lines = std::vector<std::string>;

// A seat's coin change from a settled amount: a frame can carry amounts no coin count holds
// (up to 2^64), so the change stops at the largest count instead of wrapping.
int64_t wholeCoins(double amount) {
    constexpr double kMost = 9.2e18;  // below 2^63, exact in a double
    if (!(amount > 0))
        return 0;
    return amount >= kMost ? static_cast<int64_t>(kMost) : static_cast<int64_t>(amount);
}

// Byte offsets of each UTF-8 character start.
std::vector<size_t> characterStarts(const std::string& s) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}

// A prop piece: its last eight characters are a colour; what comes before them is a line.
void propLines(const std::string& text, Lines& column, int& added) {
    if (text.empty())
        return;
    size_t from = 0;
    while (from <= text.size()) {
        size_t bar = text.find('|', from);
        if (bar == std::string::npos)
            bar = text.size();
        const std::string piece = text.substr(from, bar - from);
        const std::vector<size_t> starts = characterStarts(piece);
        if (starts.size() > 7) {
            const size_t cut = starts.size() >= 8 ? starts[starts.size() - 8] : 0;
            column.push_back(piece.substr(0, cut));
            ++added;
        }
        from = bar + 1;
    }
}

int64_t wholeNumber(const std::string& text, int64_t fallback) {
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str())
        return fallback;
    return v;
}

bool sideFinishedFirstAndSecond(const std::array<SettlementRecord, 4>& recs, const std::array<bool, 4>& side) {
    int members = 0;
    for (size_t r = 0; r < 4; ++r) {
        if (!side[r])
            continue;
        ++members;
        if (recs[r].place >= 3)
            return false;
    }
    return members == 2;
}

int sidePoints(const std::array<SettlementRecord, 4>& recs, const std::array<bool, 4>& side) {
    int sum = 0;
    for (size_t r = 0; r < 4; ++r)
        if (side[r])
            sum += recs[r].finalPoints;
    return sum;
}

}  // namespace

std::string amountText(double value) {
    char buf[64];
    if (std::isfinite(value) && std::floor(value) == value && std::fabs(value) < 9.0e15)
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    else
        std::snprintf(buf, sizeof buf, "%.15g", value);
    return buf;
}

std::string bombLine(PlayType type) {
    switch (type) {
    case 7: return "方块五十K  :×2";
    case 8: return "草花五十K  :×2";
    case 9: return "红桃五十K  :×2";
    case 10: return "黑桃五十K  :×2";
    case 11: return "四张炸弹   :×2";
    case 12: return "五张炸弹   :×2";
    case 13: return "六张炸弹   :×2";
    case 14: return "七张炸弹   :×4";
    case 15: return "八张炸弹   :×6";
    case 16: return "九张炸弹   :×8";
    case 17: return "十张炸弹   :×10";
    case 18: return "十一张炸弹 :×12";
    case 19: return "十二张炸弹 :×14";
    default: return {};
    }
}

SettlementSheet buildSettlementSheet(const SettlementInput& in) {
    SettlementSheet out;
    auto& L = out.lists;
    const auto& recs = in.records;
    const SettlementRecord& own = recs[0];

    for (size_t r = 0; r < 4; ++r)
        if (recs[r].roared) {
            out.roar = true;
            if (out.roarSeat < 0)
                out.roarSeat = static_cast<int>(r);
        }
    const bool calling = !out.roar && own.partnerBit != 0 && own.callerBit != 0;
    const bool hidden = calling && own.partnerBit == own.callerBit;
    const bool ordinary = calling && !hidden;
    auto seatOf = [&](uint8_t bit) {
        for (size_t r = 0; r < 4; ++r)
            if (in.seatBits[r] == bit)
                return static_cast<int>(r);
        return -1;
    };

    for (size_t r = 0; r < 4; ++r) {
        L[r].push_back("初始：" + in.initialCoins[r]);
        L[r].push_back(std::string());
    }

    int mostPropLines = 0;
    std::array<int, 4> propAdded{};
    for (size_t r = 0; r < 4; ++r) {
        L[r].push_back("房间底金：" + std::to_string(recs[r].stake) + "金币");
        L[r].push_back(std::string());
        if (!out.roar && !hidden) {
            L[r].push_back("第" + std::to_string(recs[r].place) + "名");
            L[r].push_back(std::string());
        }
        propLines(in.propTexts[r], L[r], propAdded[r]);
        mostPropLines = std::max(mostPropLines, propAdded[r]);
    }
    // Columns stay side by side: pad each to the most prop lines of any column.
    for (size_t r = 0; r < 4; ++r)
        for (int i = propAdded[r]; i < mostPropLines; ++i)
            L[r].push_back(std::string());

    for (size_t r = 0; r < 4; ++r) {
        out.red[r] = recs[r].subtotalGain;
        out.colours[r] = out.red[r] ? kSheetRed : kSheetBlack;
    }

    if (hidden) {
        const int caller = seatOf(own.callerBit);
        for (size_t r = 0; r < 4; ++r)
            L[r].push_back(static_cast<int>(r) == caller ? "暗叫       :×12" : "暗叫       :×4");
    } else if (ordinary) {
        std::array<bool, 4> a{}, b{};
        for (size_t r = 0; r < 4; ++r) {
            a[r] = in.seatBits[r] == own.callerBit || in.seatBits[r] == own.partnerBit;
            b[r] = !a[r];
            L[r].push_back(a[r] ? "朋友" : "");
        }
        const bool kuA = sideFinishedFirstAndSecond(recs, a);
        const bool kuB = sideFinishedFirstAndSecond(recs, b);
        std::string line;
        if (kuA || kuB) {
            const int points = sidePoints(recs, kuA ? a : b);
            line = points == 200 ? "枯踹       :×4" : "枯         :×2";
        } else if (sidePoints(recs, a) == 200 || sidePoints(recs, b) == 200) {
            line = "踹         :×2";
        }
        if (!line.empty())
            for (size_t r = 0; r < 4; ++r)
                L[r].push_back(line);
    }

    if (out.roar)
        for (size_t r = 0; r < 4; ++r)
            L[r].push_back(recs[r].roared ? "吼        :×24" : "吼        :×8");

    std::array<size_t, 4> bombLines{};
    size_t bombRows = 0;
    for (size_t r = 0; r < 4; ++r) {
        for (PlayType t : in.bombs[r]) {
            const std::string line = bombLine(t);
            if (line.empty())
                continue;
            L[r].push_back(line);
            ++bombLines[r];
        }
        bombRows = std::max(bombRows, bombLines[r]);
    }
    for (size_t r = 0; r < 4; ++r)
        for (size_t i = bombLines[r]; i < bombRows; ++i)
            L[r].push_back(std::string());

    for (size_t r = 0; r < 4; ++r) {
        L[r].push_back(std::string());
        if (!out.roar && !hidden) {
            L[r].push_back("牌面得分: " + std::to_string(recs[r].cardPoints));
            L[r].push_back(std::string());
            L[r].push_back("最终得分: " + std::to_string(recs[r].finalPoints));
            L[r].push_back(std::string());
        }
    }

    const int64_t wealth = wholeNumber(in.wealthText, 1);
    for (size_t r = 0; r < 4; ++r) {
        const SettlementRecord& rec = recs[r];
        const double s = static_cast<double>(rec.subtotal);
        if (in.wealthOn) {
            L[r].push_back(std::string());
            L[r].push_back("---------------------");
            L[r].push_back((rec.subtotalGain ? "小计： " : "小计：- ") + amountText(s) + "金币");
            L[r].push_back("财富加倍 ×" + in.wealthText);
            L[r].push_back("---------------------");
        }
        const double t = s * static_cast<double>(wealth);
        if (rec.subtotalGain || t == 0)
            L[r].push_back("总分: " + amountText(t) + "金币");
        else
            L[r].push_back("总分: -" + amountText(t) + "金币");
        L[r].push_back("----------------");
        L[r].push_back(rec.capped ? "  封顶" : "");
        L[r].push_back(std::string());
        L[r].push_back((in.seatBits[r] & rec.escapedBits) != 0 ? "逃跑玩家" : "");
    }

    const std::string noteLine =
        in.noteAlone ? in.note : in.note + std::to_string(own.percentage) + "%";
    for (size_t r = 0; r < 4; ++r) {
        const SettlementRecord& rec = recs[r];
        auto& box = L[r + 4];
        double f = static_cast<double>(rec.finalAmount);
        if (rec.finalGain) {
            f += static_cast<double>(in.propBonus[r]);
            const std::string amount = amountText(f);
            L[r].push_back(noteLine);
            L[r].push_back("总分: " + amount + "金币");
            box.push_back(std::string());
            box.push_back("最终分: " + amount + "金币");
            out.win[r] = true;
            out.coinChange[r] = wholeCoins(f);
            out.gradeLines[r] = amount;
        } else {
            const std::string amount = amountText(f);
            L[r].push_back(std::string());
            const std::string sign = f == 0 ? "" : "-";
            L[r].push_back("总分: " + sign + amount + "金币");
            box.push_back(std::string());
            box.push_back("最终分: " + sign + amount + "金币");
            out.coinChange[r] = -wholeCoins(f);
            out.gradeLines[r] = "-" + amount;
        }
    }

    if (out.roar && out.roarSeat >= 0)
        out.roarerWon = recs[static_cast<size_t>(out.roarSeat)].subtotalGain;
    return out;
}

std::string scoreTermExplanation(std::string_view line) {
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    // Longer terms first: 枯踹 must not read as 枯.
    static const std::pair<std::string_view, std::string_view> kTerms[] = {
        {"枯踹", "枯踹：一方拿下第一、二名，并拿下全部200分，倍数×4"},
        {"枯", "枯：一方拿下第一、二名，倍数×2"},
        {"踹", "踹：没有枯，但一方拿下全部200分，倍数×2"},
        {"暗叫", "暗叫：叫牌者自己握有被叫的两张牌，一人对三家；叫牌者×12，其余各家×4"},
        {"吼", "吼：一人宣布独自对抗另外三家；吼的一方×24，其余各家×8"},
        {"封顶", "封顶：输家最多输掉自己现有的金币，赢家的所得按比例减少"},
    };
    for (const auto& [term, text] : kTerms)
        if (line.substr(0, term.size()) == term)
            return std::string(text);
    return {};
}

}  // namespace vexal
