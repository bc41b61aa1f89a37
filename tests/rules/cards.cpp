#include "tests/rules/cards.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <stdexcept>

namespace vexal::testing {

namespace {

// A rank without a suit letter takes the suits in turn (d, c, h, s, then again), so "9 9 9" is
// three different cards as a real hand would hold them.
CardCode parseCard(const std::string& token, int id, std::array<int, 16>& unsuited) {
    if (token == "SJ" || token == "W") {
        return makeCard(kRankSmallJoker, 0, id);
    }
    if (token == "BJ") {
        return makeCard(kRankBigJoker, 1, id);
    }
    std::string rankText = token;
    int suit = 0;
    switch (token.back()) {
        case 'd':
            suit = kSuitDiamonds;
            rankText.pop_back();
            break;
        case 'c':
            suit = kSuitClubs;
            rankText.pop_back();
            break;
        case 'h':
            suit = kSuitHearts;
            rankText.pop_back();
            break;
        case 's':
            suit = kSuitSpades;
            rankText.pop_back();
            break;
        default:
            break;
    }
    int rank = 0;
    if (rankText == "J") {
        rank = 11;
    } else if (rankText == "Q") {
        rank = 12;
    } else if (rankText == "K") {
        rank = 13;
    } else if (rankText == "A") {
        rank = 14;
    } else if (rankText == "2") {
        rank = 15;
    } else {
        rank = std::stoi(rankText);
    }
    if (rank < 3 || rank > 15) {
        throw std::invalid_argument("no card: " + token);
    }
    if (suit == 0) {
        suit = 1 << (unsuited[rank]++ % 4);
    }
    return makeCard(rank, suit, id);
}

}  // namespace

std::vector<CardCode> cards(std::string_view text, int firstId) {
    std::istringstream in{std::string(text)};
    std::vector<CardCode> out;
    std::string token;
    std::array<int, 16> unsuited{};
    while (in >> token) {
        out.push_back(parseCard(token, firstId + static_cast<int>(out.size()), unsuited));
    }
    return out;
}

std::vector<CardCode> selection(std::string_view text, int firstId) {
    std::vector<CardCode> out = cards(text, firstId);
    sortSelection(out);
    return out;
}

LastPlay lastPlay(PlayType type, std::string_view text) {
    const std::vector<CardCode> sel = selection(text, 100);
    return lastPlayOf(type, arrangePlay(type, sel));
}

Hand hand(std::string_view text) {
    Hand h;
    const std::vector<CardCode> c = cards(text);
    for (size_t i = 0; i < c.size(); ++i) {
        h.codes[i] = c[i];
        h.images[i] = static_cast<uint16_t>(i);
    }
    h.count = static_cast<int16_t>(c.size());
    return h;
}

std::string describe(CardCode card) {
    const int r = cardRank(card);
    if (r == kRankSmallJoker) {
        return "SJ";
    }
    if (r == kRankBigJoker) {
        return "BJ";
    }
    static const char* const kNames[] = {"",  "",  "",   "3", "4", "5", "6", "7",
                                         "8", "9", "10", "J", "Q", "K", "A", "2"};
    std::string text = r >= 0 && r <= 15 ? kNames[r] : "?" + std::to_string(r);
    switch (suitBit(card)) {
        case kSuitDiamonds:
            return text + "d";
        case kSuitClubs:
            return text + "c";
        case kSuitHearts:
            return text + "h";
        case kSuitSpades:
            return text + "s";
        default:
            return text + "?";
    }
}

std::string describe(std::span<const CardCode> cards) {
    std::string text;
    for (CardCode c : cards) {
        text += (text.empty() ? "" : " ") + describe(c);
    }
    return text;
}

std::string sortedText(std::span<const CardCode> cards) {
    std::vector<CardCode> sorted(cards.begin(), cards.end());
    std::sort(sorted.begin(), sorted.end(), [](CardCode a, CardCode b) {
        return cardRank(a) != cardRank(b) ? cardRank(a) > cardRank(b) : suitBit(a) > suitBit(b);
    });
    return describe(sorted);
}

}  // namespace vexal::testing
