#include "rules/sort.h"

#include <array>
#include <utility>

namespace vexal {

int sortbyBigKey(CardCode code) {
    const int r = cardRank(code);
    int key = isWildRank(r) ? 5000 : 0;
    if (r == 13) {
        key += 3000;
    } else if (r == 10) {
        key += 2000;
    } else if (r == 5) {
        key += 1000;
    }
    return key + r * 10 + lowByte(code);
}

namespace {

// Exchange sort as the hand has always been sorted: descending keys, only codes move.
void exchangeSort(Hand& hand, std::array<int, kHandSlots>& keys, int count) {
    for (int i = 0; i + 1 < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            if (keys[i] < keys[j]) {
                std::swap(hand.codes[i], hand.codes[j]);
                std::swap(keys[i], keys[j]);
            }
        }
    }
}

}  // namespace

bool SortbyBig(Hand& hand, int count) {
    if (count <= 0) {
        return true;
    }
    if (count > kHandSlots) {
        return false;
    }
    std::array<int, kHandSlots> keys{};
    for (int i = 0; i < count; ++i) {
        keys[i] = sortbyBigKey(hand.codes[i]);
    }
    exchangeSort(hand, keys, count);
    return true;
}

bool SortbyNum(Hand& hand, int count) {
    if (count <= 0) {
        return true;
    }
    if (count > kHandSlots) {
        return false;
    }
    std::array<int, kRankBigJoker + 1> copies{};
    for (int i = 0; i < count; ++i) {
        const int r = cardRank(hand.codes[i]);
        if (r < kRankLowest || r > kRankBigJoker) {
            return false;
        }
        ++copies[r];
    }
    std::array<int, kHandSlots> keys{};
    for (int i = 0; i < count; ++i) {
        const int r = cardRank(hand.codes[i]);
        int key = r == kRankBigJoker ? 20000 : r == kRankSmallJoker ? 10000 : 0;
        keys[i] = key + copies[r] * 1000 + r * 10 + lowByte(hand.codes[i]);
    }
    exchangeSort(hand, keys, count);
    return true;
}

double handFanLeft(double anchorX, int n, int slot, double scale, double cardWidth) {
    return anchorX - (n * 0.11 + 0.39) * 90.0 * scale + slot * 0.22 * cardWidth;
}

}  // namespace vexal
