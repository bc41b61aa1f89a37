// Builders for server tests: decks with chosen hands, cards by name.
#pragma once

#include <array>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "server/deck.h"
#include "server/table.h"

namespace vexal::server::testing {

// A card of the ordered deck by rank and suit: the first copy (deck 0) or the second (deck 1).
CardCode card(int rank, int suit, int copy = 0);
CardCode joker(int rank, int copy = 0);

// A deck whose seat s is dealt hands[s] first, the rest of its 27 cards taken from the cards no
// hand names, in deck order.
Deck deckWith(const std::array<std::vector<CardCode>, kSeats>& hands);

// A fresh directory under the system's temporary directory, removed with everything in it.
struct TempDir {
    std::filesystem::path path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

// An outbox that keeps every frame sent, by connection, and the connections closed.
class RecordingOutbox : public Outbox {
public:
    std::map<int64_t, std::vector<CommandFrame>> frames;
    std::set<int64_t> closed;
    void send(int64_t conn, const CommandFrame& f) override { frames[conn].push_back(f); }
    void close(int64_t conn) override { closed.insert(conn); }

    // The frames of one command sent to a connection, in order.
    std::vector<CommandFrame> of(int64_t conn, Command c) const {
        std::vector<CommandFrame> out;
        auto it = frames.find(conn);
        if (it != frames.end())
            for (const CommandFrame& f : it->second)
                if (f[kCommandByte] == commandByte(c))
                    out.push_back(f);
        return out;
    }
};

}  // namespace vexal::server::testing
