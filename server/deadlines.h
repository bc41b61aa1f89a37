// The hall's deadlines: one per table and per connection, in a binary min-heap that knows where
// each key sits, so the earliest is read without a scan and a deadline moves in O(log n) without
// leaving stale copies behind (a table's turn deadline changes with every play; stale copies of
// 20-second turn deadlines would pile up by the million at full load).
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace vexal::server {

template <typename Time>
class DeadlineHeap {
public:
    // A fresh key with no deadline; keys of removed owners are handed out again.
    int addKey() {
        if (!m_freeKeys.empty()) {
            const int key = m_freeKeys.back();
            m_freeKeys.pop_back();
            return key;
        }
        m_position.push_back(kNone);
        return static_cast<int>(m_position.size()) - 1;
    }
    void removeKey(int key) {
        clear(key);
        m_freeKeys.push_back(key);
    }

    // Sets or moves the key's deadline.
    void set(int key, Time at) {
        size_t& pos = m_position[static_cast<size_t>(key)];
        if (pos == kNone) {
            pos = m_heap.size();
            m_heap.push_back({at, key});
            up(pos);
            return;
        }
        const Time old = m_heap[pos].first;
        m_heap[pos].first = at;
        if (at < old)
            up(pos);
        else if (old < at)
            down(pos);
    }
    void clear(int key) {
        const size_t pos = m_position[static_cast<size_t>(key)];
        if (pos == kNone)
            return;
        m_position[static_cast<size_t>(key)] = kNone;
        const size_t last = m_heap.size() - 1;
        if (pos != last) {
            m_heap[pos] = m_heap[last];
            m_position[static_cast<size_t>(m_heap[pos].second)] = pos;
        }
        m_heap.pop_back();
        // The last entry filled the gap; it may belong above or below it.
        if (pos < m_heap.size() && up(pos) == pos)
            down(pos);
    }
    std::optional<Time> deadline(int key) const {
        const size_t pos = m_position[static_cast<size_t>(key)];
        if (pos == kNone)
            return std::nullopt;
        return m_heap[pos].first;
    }

    std::optional<Time> earliest() const {
        if (m_heap.empty())
            return std::nullopt;
        return m_heap.front().first;
    }
    // Takes the earliest key whose deadline is at or before `now`.
    std::optional<int> popDue(Time now) {
        if (m_heap.empty() || now < m_heap.front().first)
            return std::nullopt;
        const int key = m_heap.front().second;
        clear(key);
        return key;
    }
    size_t size() const { return m_heap.size(); }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    void place(size_t pos, std::pair<Time, int> entry) {
        m_heap[pos] = entry;
        m_position[static_cast<size_t>(entry.second)] = pos;
    }
    size_t up(size_t pos) {
        const std::pair<Time, int> entry = m_heap[pos];
        while (pos > 0) {
            const size_t parent = (pos - 1) / 2;
            if (!(entry.first < m_heap[parent].first))
                break;
            place(pos, m_heap[parent]);
            pos = parent;
        }
        place(pos, entry);
        return pos;
    }
    void down(size_t pos) {
        const std::pair<Time, int> entry = m_heap[pos];
        const size_t n = m_heap.size();
        for (;;) {
            size_t child = 2 * pos + 1;
            if (child >= n)
                break;
            if (child + 1 < n && m_heap[child + 1].first < m_heap[child].first)
                ++child;
            if (!(m_heap[child].first < entry.first))
                break;
            place(pos, m_heap[child]);
            pos = child;
        }
        place(pos, entry);
    }

    std::vector<std::pair<Time, int>> m_heap;  // (deadline, key)
    std::vector<size_t> m_position;           // by key: its place in m_heap, or kNone
    std::vector<int> m_freeKeys;
};

}  // namespace vexal::server
