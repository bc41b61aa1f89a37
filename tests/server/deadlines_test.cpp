// The hall's deadline heap against a plain sorted reference: keys set, moved both ways, cleared,
// removed and handed out again, in random order; the earliest and the due keys must agree.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "server/deadlines.h"

namespace vexal::server {
namespace {

TEST(DeadlineHeap, AgreesWithASortedReferenceThroughRandomChanges) {
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        std::mt19937 rng(seed);
        DeadlineHeap<int> heap;
        std::map<int, int> ref;  // key -> deadline
        std::set<int> keys;
        auto earliest = [&]() -> std::optional<int> {
            std::optional<int> e;
            for (auto [key, at] : ref)
                if (!e || at < *e)
                    e = at;
            return e;
        };
        for (int step = 0; step < 4000; ++step) {
            const int what = std::uniform_int_distribution<int>(0, 9)(rng);
            if (keys.empty() || what == 0) {
                const int key = heap.addKey();
                ASSERT_FALSE(keys.count(key)) << "key handed out twice";
                keys.insert(key);
                ASSERT_FALSE(heap.deadline(key)) << "a fresh key has no deadline";
                continue;
            }
            auto it = keys.begin();
            std::advance(it, std::uniform_int_distribution<size_t>(0, keys.size() - 1)(rng));
            const int key = *it;
            if (what <= 5) {
                const int at = std::uniform_int_distribution<int>(0, 1000)(rng);
                heap.set(key, at);
                ref[key] = at;
            } else if (what == 6) {
                heap.clear(key);
                ref.erase(key);
            } else if (what == 7) {
                heap.removeKey(key);
                ref.erase(key);
                keys.erase(key);
            } else {
                // Take everything due by a random moment, in deadline order.
                const int now = std::uniform_int_distribution<int>(0, 300)(rng);
                int last = -1;
                while (std::optional<int> due = heap.popDue(now)) {
                    ASSERT_TRUE(ref.count(*due));
                    EXPECT_LE(ref[*due], now);
                    EXPECT_GE(ref[*due], last) << "due keys out of order";
                    last = ref[*due];
                    ref.erase(*due);
                    EXPECT_FALSE(heap.deadline(*due));
                }
                for (auto [k, at] : ref)
                    EXPECT_GT(at, now) << "key " << k << " was due and not taken";
            }
            ASSERT_EQ(heap.size(), ref.size());
            ASSERT_EQ(heap.earliest(), earliest()) << "seed " << seed << " step " << step;
            for (auto [k, at] : ref)
                ASSERT_EQ(heap.deadline(k), at);
        }
    }
}

}  // namespace
}  // namespace vexal::server
