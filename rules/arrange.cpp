#include "rules/arrange.h"

#include <algorithm>

namespace vexal {

namespace {

// Hands out the wild cards of a selection in selection order, each with the rank it stands for.
class WildDealer {
public:
    WildDealer(std::span<const CardCode> wild, std::vector<ArrangedCard>& out) : m_wild(wild), m_out(out) {}
    bool left() const { return m_next < m_wild.size(); }
    void standFor(int rank) {
        if (left()) {
            m_out.push_back({m_wild[m_next++], rank});
        }
    }

private:
    std::span<const CardCode> m_wild;
    std::vector<ArrangedCard>& m_out;
    size_t m_next = 0;
};

bool runCountFits(RunMode mode, size_t n) {
    if (mode == RunMode::Pairs) {
        return n >= 4 && n <= kMaxRunCards && n % 2 == 0;
    }
    return n >= 6 && n <= kMaxRunCards && n % 3 == 0;
}

}  // namespace

std::vector<ArrangedCard> arrangePlay(PlayType type, std::span<const CardCode> selection) {
    std::vector<ArrangedCard> out;
    out.reserve(selection.size());
    std::array<CardCode, kHandSlots> realCards{};
    std::array<CardCode, kHandSlots> wildCards{};
    size_t realCount = 0;
    size_t wildCount = 0;
    for (CardCode c : selection.first(std::min(selection.size(), static_cast<size_t>(kHandSlots)))) {
        if (isWild(c)) {
            wildCards[wildCount++] = c;
        } else {
            realCards[realCount++] = c;
        }
    }
    const std::span<const CardCode> real(realCards.data(), realCount);
    WildDealer wild(std::span<const CardCode>(wildCards.data(), wildCount), out);

    if (realCount == 0) {
        // Wild cards alone stand for themselves, which the frame writes as rank 2.
        while (wild.left()) {
            wild.standFor(2);
        }
        return out;
    }
    if (!isRunType(type)) {
        for (CardCode c : real) {
            out.push_back({c, 0});
        }
        while (wild.left()) {
            wild.standFor(cardRank(real[0]));
        }
        return out;
    }

    const int g = type == kPlayPairRun ? 2 : 3;
    int previous = cardRank(real[0]);
    int groupSize = 0;
    for (CardCode c : real) {
        const int r = cardRank(c);
        if (r < previous) {
            for (; groupSize < g; ++groupSize) {
                wild.standFor(previous);
            }
            for (int missing = previous - 1; missing > r; --missing) {
                for (int k = 0; k < g; ++k) {
                    wild.standFor(missing);
                }
            }
            groupSize = 0;
        }
        out.push_back({c, 0});
        ++groupSize;
        previous = r;
    }
    const int top = cardRank(real[0]);
    const int low = previous;
    for (; groupSize < g; ++groupSize) {
        wild.standFor(low);
    }
    int above = top + 1;
    int below = low - 1;
    while (wild.left()) {
        const int rank = above <= kRankAce ? above++ : below--;
        for (int k = 0; k < g; ++k) {
            wild.standFor(rank);
        }
    }
    return out;
}

LastPlay lastPlayOf(PlayType type, std::span<const ArrangedCard> arranged) {
    LastPlay last;
    last.type = type;
    const size_t n = std::min(arranged.size(), static_cast<size_t>(kHandSlots));
    last.count = static_cast<int>(n);
    for (size_t k = 0; k < n; ++k) {
        last.entries[k] = lastPlayEntry(arranged[k].code);
    }
    return last;
}

std::vector<CardCode> wireCardsOf(std::span<const ArrangedCard> arranged) {
    std::vector<CardCode> cards;
    cards.reserve(arranged.size());
    for (const ArrangedCard& a : arranged) {
        CardCode c = a.code;
        if (isWild(c)) {
            c = static_cast<CardCode>((static_cast<uint32_t>(c) & ~0xF0u) |
                                      (static_cast<uint32_t>(a.represented & 0x0F) << 4));
        }
        cards.push_back(c);
    }
    return cards;
}

JudgeDecision judgePlay(std::span<const CardCode> selection, const LastPlay& last, int choiceMode,
                        bool passVisible) {
    if (selection.empty()) {
        return {passVisible ? JudgeOutcome::Pass : JudgeOutcome::Nothing, kPlayNone};
    }
    PlayType type = kPlayNone;
    if (choiceMode == kSequenceChoicePairs || choiceMode == kSequenceChoiceTriples) {
        const RunMode mode = choiceMode == kSequenceChoicePairs ? RunMode::Pairs : RunMode::Triples;
        if (runCountFits(mode, selection.size()) && CheckSequence(mode, selection)) {
            type = choiceMode == kSequenceChoicePairs ? kPlayPairRun : kPlayTripleRun;
        }
    } else {
        type = ClassifyPlay(last.type, selection);
    }
    if (type == kPlayUndecided) {
        return {JudgeOutcome::AwaitChoice, type};
    }
    if (type == kPlayNone || (last.type != kPlayNone && !BeatsLastPlay(selection, type, last))) {
        return {JudgeOutcome::RuleViolation, type};
    }
    return {JudgeOutcome::Accepted, type};
}

PlayCheck checkReceivedPlay(const PlayFrame& play, std::span<const CardCode> hand, const LastPlay& last) {
    PlayCheck check;
    const bool leading = last.type < kPlaySingle || last.type > kPlayBombOf12;
    if (play.pass) {
        check.verdict = leading ? PlayVerdict::PassWhileLeading : PlayVerdict::Accepted;
        return check;
    }
    if (play.cardIds.empty() || play.cardIds.size() > static_cast<size_t>(kMaxRunCards)) {
        check.verdict = PlayVerdict::NotAPlay;
        return check;
    }

    std::array<CardCode, kMaxRunCards> picked{};
    std::array<bool, kHandSlots> used{};
    const size_t held = std::min(hand.size(), static_cast<size_t>(kHandSlots));
    int wild = 0;
    for (size_t k = 0; k < play.cardIds.size(); ++k) {
        size_t slot = 0;
        while (slot < held && (used[slot] || cardId(hand[slot]) != play.cardIds[k])) {
            ++slot;
        }
        if (slot == held) {
            check.verdict = PlayVerdict::CardNotHeld;
            return check;
        }
        used[slot] = true;
        picked[k] = hand[slot];
        wild += isWild(hand[slot]) ? 1 : 0;
    }
    if (wild != play.wildCount) {
        check.verdict = PlayVerdict::WildCountMismatch;
        return check;
    }

    // The frame lists the cards in arranged order; a stable sort by rank gives back the sender's
    // selection order, so the arrangement below is the one the sender made.
    const std::span<CardCode> selection(picked.data(), play.cardIds.size());
    sortSelection(selection);
    PlayType type = ClassifyPlay(leading ? kPlayNone : last.type, selection);
    if (type == kPlayUndecided) {
        // The sender chose the reading; either one is a run of these cards.
        type = play.type == kPlayPairRun || play.type == kPlayTripleRun ? play.type : kPlayNone;
        if (type == kPlayNone) {
            check.verdict = PlayVerdict::TypeMismatch;
            return check;
        }
    } else if (type == kPlayNone) {
        check.verdict = PlayVerdict::NotAPlay;
        return check;
    } else if (type != play.type) {
        check.verdict = PlayVerdict::TypeMismatch;
        return check;
    }
    check.type = type;
    if (!leading && !BeatsLastPlay(selection, type, last)) {
        check.verdict = PlayVerdict::DoesNotBeat;
        return check;
    }
    std::vector<ArrangedCard> arranged = arrangePlay(type, selection);
    int j = 0;
    for (const ArrangedCard& a : arranged) {
        if (isWild(a.code) && a.represented != play.wildRanks[j++]) {
            check.verdict = PlayVerdict::WildRanksMismatch;
            return check;
        }
    }
    check.next = lastPlayOf(type, arranged);
    check.arranged = std::move(arranged);
    check.verdict = PlayVerdict::Accepted;
    return check;
}

}  // namespace vexal
