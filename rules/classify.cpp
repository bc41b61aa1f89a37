#include "rules/classify.h"

#include <algorithm>
#include <utility>

#include "rules/arrange.h"

namespace vexal {

namespace {

template <typename T, typename RankOf>
void bubbleByRank(std::span<T> cards, RankOf rankOf) {
    const size_t n = cards.size();
    for (size_t pass = 0; pass + 1 < n; ++pass) {
        bool swapped = false;
        for (size_t i = 0; i + 1 < n - pass; ++i) {
            if (rankOf(cards[i]) < rankOf(cards[i + 1])) {
                std::swap(cards[i], cards[i + 1]);
                swapped = true;
            }
        }
        if (!swapped) {
            break;
        }
    }
}

// Wild cards count and whether all real cards share one rank (true when there is none).
struct Shape {
    int wild = 0;
    bool oneRank = true;
};

Shape shapeOf(std::span<const CardCode> cards) {
    Shape shape;
    int firstRank = -1;
    for (CardCode c : cards) {
        const int r = cardRank(c);
        if (isWildRank(r)) {
            ++shape.wild;
        } else if (firstRank < 0) {
            firstRank = r;
        } else if (r != firstRank) {
            shape.oneRank = false;
        }
    }
    return shape;
}

PlayType fiveTenKing(std::span<const CardCode> cards) {
    if (cardRank(cards[0]) != 13 || cardRank(cards[1]) != 10 || cardRank(cards[2]) != 5) {
        return kPlayNone;
    }
    const int suit = suitBit(cards[0]);
    if (suitBit(cards[1]) != suit || suitBit(cards[2]) != suit) {
        return kPlayFiveTenKingMixed;
    }
    switch (suit) {
        case kSuitDiamonds:
            return kPlayFiveTenKingDiamonds;
        case kSuitClubs:
            return kPlayFiveTenKingClubs;
        case kSuitHearts:
            return kPlayFiveTenKingHearts;
        case kSuitSpades:
            return kPlayFiveTenKingSpades;
        default:
            return kPlayFiveTenKingMixed;
    }
}

PlayType undecided(PlayType lastType, std::span<const CardCode> cards) {
    const bool pairs = CheckSequence(RunMode::Pairs, cards);
    const bool triples = CheckSequence(RunMode::Triples, cards);
    if (pairs && triples) {
        if (lastType == kPlayPairRun || lastType == kPlayTripleRun) {
            return lastType;
        }
        return lastType == kPlayNone ? kPlayUndecided : kPlayNone;
    }
    return pairs ? kPlayPairRun : triples ? kPlayTripleRun : kPlayNone;
}

// A wild key card never wins; a real one beats a higher rank, or any wild key card.
bool keyBeats(int mine, int theirs) {
    return mine <= kRankTwo && (mine > theirs || theirs > kRankTwo);
}

}  // namespace

CurrentPlay currentPlayOf(PlayType type, std::span<const CardCode> cards) {
    CurrentPlay play;
    play.type = type;
    play.count = static_cast<int>(std::min(cards.size(), play.cards.size()));
    std::copy_n(cards.begin(), play.count, play.cards.begin());
    return play;
}

void sortSelection(std::span<CardCode> cards) {
    bubbleByRank(cards, [](CardCode c) { return cardRank(c); });
}

void sortSelection(std::span<SelectedCard> cards) {
    bubbleByRank(cards, [](const SelectedCard& c) { return cardRank(c.code); });
}

bool CheckSequence(RunMode mode, std::span<const CardCode> cards) {
    if (cards.size() > static_cast<size_t>(kMaxRunCards)) {
        return false;
    }
    std::array<int, kRankBigJoker + 1> groups{};
    int budget = 0;
    int real = 0;
    for (CardCode c : cards) {
        const int r = cardRank(c);
        if (isWildRank(r)) {
            ++budget;
        } else if (r >= kRankTwo || r < kRankLowest) {
            return false;  // a "2" never runs; nor does a rank that is no card
        } else {
            ++groups[r];
            ++real;
        }
    }
    if (real == 0) {
        return false;
    }
    const int g = mode == RunMode::Pairs ? 2 : 3;
    int previous = 0;
    for (int r = kRankLowest; r < kRankTwo; ++r) {
        if (groups[r] == 0) {
            continue;
        }
        if (groups[r] > g) {
            return false;
        }
        if (previous != 0) {
            const int gap = r - previous - 1;
            int cost = 0;
            if (mode == RunMode::Pairs) {
                if (gap > 2) {
                    return false;
                }
                cost = 2 * gap;
            } else {
                if (gap > 1) {
                    return false;
                }
                cost = 3 * gap;
            }
            if (cost > budget) {
                return false;
            }
            budget -= cost;
        }
        const int fill = g - groups[r];
        if (fill > budget) {
            return false;
        }
        budget -= fill;
        previous = r;
    }
    if (mode == RunMode::Pairs) {
        return budget == 0 || budget == 2 || budget == 4;
    }
    return budget == 0 || budget == 3;
}

PlayType ClassifyPlay(PlayType lastType, std::span<const CardCode> cards) {
    const int n = static_cast<int>(cards.size());
    if (n == 0 || n > kHandSlots) {
        return kPlayNone;
    }
    const Shape shape = shapeOf(cards);
    auto pairs = [&] { return CheckSequence(RunMode::Pairs, cards); };
    auto triples = [&] { return CheckSequence(RunMode::Triples, cards); };
    switch (n) {
        case 1:
            return kPlaySingle;
        case 2:
            return shape.oneRank ? kPlayPair : kPlayNone;
        case 3:
            return shape.oneRank ? kPlayTriple : fiveTenKing(cards);
        case 4:
        case 8:
        case 10:
            if (shape.oneRank) {
                return bombType(n);
            }
            return pairs() ? kPlayPairRun : kPlayNone;
        case 5:
        case 7:
        case 11:
            return shape.oneRank ? bombType(n) : kPlayNone;
        case 6:
        case 12:
            return shape.oneRank ? bombType(n) : undecided(lastType, cards);
        case 9:
            if (shape.oneRank) {
                return bombType(n);
            }
            return triples() ? kPlayTripleRun : kPlayNone;
        case 14:
        case 16:
        case 20:
        case 22:
            return pairs() ? kPlayPairRun : kPlayNone;
        case 15:
        case 21:
            return triples() ? kPlayTripleRun : kPlayNone;
        case 18:
        case 24:
            // Read both ways, the longer selections are pairs without asking.
            return pairs() ? kPlayPairRun : triples() ? kPlayTripleRun : kPlayNone;
        default:
            return kPlayNone;
    }
}

bool BeatsLastPlay(std::span<const CardCode> cards, PlayType type, const LastPlay& last) {
    const PlayType lastType = last.type;
    if (lastType < kPlaySingle || lastType > kPlayBombOf12 || cards.empty()) {
        return false;
    }
    const int n = static_cast<int>(cards.size());
    const int key = last.keyRank();
    auto keyOf = [&](int index) { return index < n && keyBeats(cardRank(cards[index]), key); };
    switch (lastType) {
        case kPlaySingle:
        case kPlayPair:
        case kPlayTriple:
            if (type >= kPlayFiveTenKingMixed) {
                return true;
            }
            return type == lastType && keyOf(lastType - 1);
        case kPlayPairRun:
        case kPlayTripleRun: {
            if (type >= kPlayFiveTenKingMixed) {
                return true;
            }
            if (type != lastType || n != last.count) {
                return false;
            }
            int runKey = 0;
            for (CardCode c : cards) {
                if (cardRank(c) < kRankTwo) {
                    runKey = cardRank(c);
                    break;
                }
            }
            return runKey > key;
        }
        default:
            break;
    }
    if (isFiveTenKingType(lastType)) {
        return type > lastType;
    }
    if (type != lastType) {
        return type > lastType;
    }
    return keyOf(n - 1);
}

std::string playTypeName(PlayType type) {
    static const char* const kNames[] = {"过", "单张", "对子", "三张", "连对", "三连", "五十K",
                                         "方块五十K", "草花五十K", "红桃五十K", "黑桃五十K"};
    static const char* const kCounts[] = {"四", "五", "六", "七", "八", "九", "十", "十一", "十二"};
    if (type >= kPlayNone && type <= kPlayFiveTenKingSpades)
        return kNames[type];
    if (isBombType(type))
        return std::string(kCounts[bombSize(type) - 4]) + "张炸弹";
    return "?";
}

std::array<std::string, 2> sequenceChoiceTexts(std::span<const CardCode> cards) {
    std::array<std::string, 2> texts;
    const PlayType readings[2] = {kPlayPairRun, kPlayTripleRun};
    const RunMode modes[2] = {RunMode::Pairs, RunMode::Triples};
    for (int option = 0; option < 2; ++option) {
        if (!CheckSequence(modes[option], cards)) {
            continue;
        }
        // The lines show the run each reading would send, so they come from the arrangement itself.
        std::vector<ArrangedCard> arranged = arrangePlay(readings[option], cards);
        std::vector<int> ranks;
        ranks.reserve(arranged.size());
        for (const ArrangedCard& a : arranged) {
            ranks.push_back(a.represented != 0 ? a.represented : cardRank(a.code));
        }
        std::sort(ranks.begin(), ranks.end());
        for (int r : ranks) {
            texts[option] += std::to_string(r);
        }
    }
    return texts;
}

}  // namespace vexal
