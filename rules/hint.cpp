#include "rules/hint.h"

#include <algorithm>
#include <array>

namespace vexal {

namespace {

// What the hand holds, built from the last slot to the first, so the "first copy" of a card is the
// one nearer the right end of the hand.
class HandTable {
public:
    explicit HandTable(std::span<const CardCode> hand) {
        m_first.fill(-1);
        m_second.fill(-1);
        const int n = static_cast<int>(std::min(hand.size(), static_cast<size_t>(kHandSlots)));
        for (int slot = n - 1; slot >= 0; --slot) {
            const CardCode c = hand[slot];
            const int r = cardRank(c);
            if (r == kRankSmallJoker) {
                m_small[m_smallCount++] = slot;
            } else if (r == kRankBigJoker) {
                m_big[m_bigCount++] = slot;
            } else if (r >= kRankLowest && r <= kRankTwo) {
                const int at = suitIndex(c) * 16 + r;
                // Two decks hold two copies of a card; a third would be no card of ours.
                if (m_first[at] < 0) {
                    m_first[at] = slot;
                } else if (m_second[at] < 0) {
                    m_second[at] = slot;
                } else {
                    continue;
                }
                ++m_count[r];
            }
        }
    }

    int count(int rank) const { return rank >= kRankLowest && rank <= kRankTwo ? m_count[rank] : 0; }
    int wild() const { return m_smallCount + m_bigCount; }

    // k cards of a rank, suit by suit from diamonds, first copy before second.
    void take(int rank, int k, std::vector<int>& out) const {
        for (int suit = 0; suit < 4 && k > 0; ++suit) {
            for (int copy : {m_first[suit * 16 + rank], m_second[suit * 16 + rank]}) {
                if (copy >= 0 && k > 0) {
                    out.push_back(copy);
                    --k;
                }
            }
        }
    }

    // k wild cards, small jokers first.
    void takeWild(int k, std::vector<int>& out) const {
        for (int i = 0; i < m_smallCount && k > 0; ++i, --k) {
            out.push_back(m_small[i]);
        }
        for (int i = 0; i < m_bigCount && k > 0; ++i, --k) {
            out.push_back(m_big[i]);
        }
    }

    bool holds(int suit, int rank) const { return m_first[suit * 16 + rank] >= 0; }
    int firstOf(int suit, int rank) const { return m_first[suit * 16 + rank]; }

private:
    std::array<int, 64> m_first{};
    std::array<int, 64> m_second{};
    std::array<int, kRankTwo + 1> m_count{};
    std::array<int, kHandSlots> m_small{};
    std::array<int, kHandSlots> m_big{};
    int m_smallCount = 0;
    int m_bigCount = 0;
};

class Search {
public:
    Search(const HandTable& table, const LastPlay& last)
        : m_table(table), m_type(last.type), m_count(last.count), m_key(last.keyRank()) {}

    HintResult run() {
        HintResult result;
        PlayType v = m_type;
        while (v >= kPlaySingle && v <= kPlayBombOf12) {
            const bool escalated = v != m_type;
            if (v == kPlaySingle && single(result.slots)) {
                break;
            }
            if (v == kPlayPair && pair(result.slots)) {
                break;
            }
            if (v == kPlayTriple && triple(result.slots)) {
                break;
            }
            if (v == kPlayPairRun && pairRun(result.slots)) {
                break;
            }
            if (v == kPlayTripleRun && tripleRun(result.slots)) {
                break;
            }
            if (isFiveTenKingType(v) && escalated && fiveTenKing(v, result.slots)) {
                break;
            }
            if (isBombType(v) && bomb(bombSize(v), escalated, result.slots)) {
                break;
            }
            v = v <= kPlayTripleRun ? kPlayFiveTenKingMixed : v + 1;
        }
        result.pass = result.slots.empty();
        return result;
    }

private:
    // A wild key card on the table is beaten by every real rank.
    bool beats(int rank) const { return rank > m_key || m_key > kRankTwo; }

    int lowestBeating(int minCopies, int maxCopies) const {
        for (int r = kRankLowest; r <= kRankTwo; ++r) {
            const int n = m_table.count(r);
            if (n >= minCopies && n <= maxCopies && beats(r)) {
                return r;
            }
        }
        return 0;
    }

    bool single(std::vector<int>& out) const {
        int r = lowestBeating(1, 1);
        if (r == 0) {
            r = lowestBeating(1, 3);
        }
        if (r == 0) {
            return false;
        }
        m_table.take(r, 1, out);
        return true;
    }

    bool pair(std::vector<int>& out) const {
        if (const int r = lowestBeating(2, 2)) {
            m_table.take(r, 2, out);
            return true;
        }
        if (const int r = lowestBeating(3, 3)) {
            m_table.take(r, 2, out);
            return true;
        }
        if (m_table.wild() >= 1) {
            if (const int r = lowestBeating(1, 1)) {
                m_table.takeWild(1, out);
                m_table.take(r, 1, out);
                return true;
            }
        }
        return false;
    }

    bool triple(std::vector<int>& out) const {
        if (const int r = lowestBeating(3, 3)) {
            m_table.take(r, 3, out);
            return true;
        }
        for (int copies = 2; copies >= 1; --copies) {
            const int need = 3 - copies;
            if (m_table.wild() < need) {
                continue;
            }
            if (const int r = lowestBeating(copies, copies)) {
                m_table.takeWild(need, out);
                m_table.take(r, copies, out);
                return true;
            }
        }
        return false;
    }

    // A window of consecutive ranks for a run of groups of g. It qualifies when its highest rank
    // that holds a real card beats the key: the comparison keys on the highest real rank, so a top
    // made only of wild cards cannot win on its own.
    bool windowBeats(int start, int m) const {
        for (int r = start + m - 1; r >= start; --r) {
            if (m_table.count(r) > 0) {
                return beats(r);
            }
        }
        return false;
    }

    // Windows from the lowest start, 3, up to a top of A; every rank must hold between minCopies and
    // maxCopies real cards, or, when fillWithWild, at most g wild cards fill what is missing. Wild
    // cards with real cards of one rank only are a bomb, not a run, so such a window is no answer.
    bool runWindow(int g, int minCopies, int maxCopies, bool fillWithWild, std::vector<int>& out) const {
        if (m_count % g != 0) {
            return false;
        }
        const int m = m_count / g;
        if (m < 2) {
            return false;
        }
        for (int start = kRankLowest; start + m - 1 <= kRankAce; ++start) {
            if (!windowBeats(start, m)) {
                continue;
            }
            int needed = 0;
            int realRanks = 0;
            bool fits = true;
            for (int r = start; r < start + m && fits; ++r) {
                const int n = m_table.count(r);
                realRanks += n > 0 ? 1 : 0;
                if (fillWithWild) {
                    needed += n < g ? g - n : 0;
                } else {
                    fits = n >= minCopies && n <= maxCopies;
                }
            }
            if (!fits || realRanks < 2 || needed > m_table.wild()) {
                continue;
            }
            m_table.takeWild(needed, out);
            for (int r = start; r < start + m; ++r) {
                m_table.take(r, g, out);
            }
            return true;
        }
        return false;
    }

    bool pairRun(std::vector<int>& out) const {
        return runWindow(2, 2, 2, false, out) || runWindow(2, 2, 3, false, out) ||
               runWindow(2, 2, 8, false, out) || (m_table.wild() > 0 && runWindow(2, 0, 0, true, out));
    }

    bool tripleRun(std::vector<int>& out) const {
        return runWindow(3, 3, 3, false, out) || runWindow(3, 3, 8, false, out) ||
               (m_table.wild() > 0 && runWindow(3, 0, 0, true, out));
    }

    // The 5-10-K of grade v. A suited one doubles the stake like a bomb, so the mixed step takes
    // the 5, 10 and K from different suits (the first such choice in suit order) and leaves suited
    // sets to the steps of their own suit.
    bool fiveTenKing(PlayType v, std::vector<int>& out) const {
        if (v == kPlayFiveTenKingMixed) {
            for (int s5 = 0; s5 < 4; ++s5) {
                for (int s10 = 0; s10 < 4; ++s10) {
                    for (int sK = 0; sK < 4; ++sK) {
                        const bool suited = s5 == s10 && s10 == sK;
                        if (!suited && m_table.holds(s5, 5) && m_table.holds(s10, 10) &&
                            m_table.holds(sK, 13)) {
                            out.push_back(m_table.firstOf(s5, 5));
                            out.push_back(m_table.firstOf(s10, 10));
                            out.push_back(m_table.firstOf(sK, 13));
                            return true;
                        }
                    }
                }
            }
            return false;
        }
        const int suit = v - kPlayFiveTenKingDiamonds;
        if (m_table.holds(suit, 5) && m_table.holds(suit, 10) && m_table.holds(suit, 13)) {
            for (int r : {5, 10, 13}) {
                out.push_back(m_table.firstOf(suit, r));
            }
            return true;
        }
        return false;
    }

    // Fewest wild cards first, then the lowest rank; a rank is taken whole. Wild cards alone make a
    // bomb too, but with a wild key card it wins only where the size decides, never at equal size.
    bool bomb(int size, bool escalated, std::vector<int>& out) const {
        for (int w = 0; w <= m_table.wild() && size - w > 0; ++w) {
            for (int r = kRankLowest; r <= kRankTwo; ++r) {
                if (m_table.count(r) == size - w && (escalated || beats(r))) {
                    m_table.takeWild(w, out);
                    m_table.take(r, size - w, out);
                    return true;
                }
            }
        }
        if (escalated && m_table.wild() >= size) {
            m_table.takeWild(size, out);
            return true;
        }
        return false;
    }

    const HandTable& m_table;
    PlayType m_type;
    int m_count;
    int m_key;
};

}  // namespace

HintResult hintSearch(std::span<const CardCode> hand, const LastPlay& last) {
    const HandTable table(hand);
    return Search(table, last).run();
}

}  // namespace vexal
