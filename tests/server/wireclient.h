// A scripted game client over a real TCP connection, and the server process it talks to; used by
// the protocol tests. Plays as the bots do, keeps what a client keeps, and records every frame.
#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/command.h"
#include "net/messages/settlement.h"
#include "rules/classify.h"

namespace vexal::server::testing {

// vexal-server started with --port 0; its log goes to a file the test can read.
class ServerProcess {
public:
    explicit ServerProcess(const std::vector<std::string>& flags);
    ~ServerProcess();
    uint16_t port() const { return m_port; }
    std::string log() const;  // everything written to stderr so far
    bool running();
    // SIGTERM, then the exit status (-1 when it did not exit normally).
    int terminate();

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::string m_logPath;
};

class Connection {
public:
    explicit Connection(uint16_t port);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void send(const CommandFrame& frame);
    void sendRaw(const void* data, size_t size);
    void close();
    bool open() const { return m_fd >= 0; }
    bool peerClosed() const { return m_peerClosed; }
    // Closed by the peer and every frame it sent taken.
    bool finished() const { return m_peerClosed && m_buffer.size() < kFrameSize; }
    int fd() const { return m_fd; }
    // Reads what has arrived; false once the peer has closed the connection.
    bool readAvailable();
    std::optional<CommandFrame> takeFrame();

private:
    int m_fd = -1;
    bool m_peerClosed = false;
    std::string m_buffer;
};

struct Player {
    std::string account;
    std::unique_ptr<Connection> conn;
    uint8_t seatBit = 0;
    uint8_t token[2] = {0, 0};
    uint32_t resume = 0;
    bool loggedIn = false;
    bool autoReady = true;
    std::vector<CardCode> dealt;  // the fresh deal of the current round
    std::vector<CardCode> hand;
    LastPlay last;
    std::vector<CommandFrame> received;
    size_t roundStart = 0;  // index in `received` of the current round's fresh deal
    std::vector<SettlementRecord> records;  // this round's, cleared by the next deal
    int settlements = 0;                    // rounds settled as seen by this player
    std::optional<uint8_t> reconnectAnswer;
    bool hold = false;                    // keep the own play back until release()
    std::optional<CommandFrame> pending;  // the play kept back

    void release();

    // Called when it is this player's turn to play, before the player's own play is sent; may
    // send frames of its own first. Return false to send nothing (the test sends instead).
    std::function<bool(Player&, const CommandFrame& ownPlay)> beforePlay;
};

void login(Player& p, uint16_t port);
void sendReconnect(Player& p, uint16_t port, uint8_t token0, uint8_t token1, uint32_t resume);

// The frame the player would send now on its turn (hint search following, a simple lead).
CommandFrame choosePlay(const Player& p);

// Handles frames for `ms` milliseconds; quiet is no failure here.
void pumpFor(std::vector<Player*> players, int ms);

// Reads and handles frames of all players until `done` holds. Fails the test (returns false) when
// nothing arrives for `idleLimitMs`.
bool pump(std::vector<Player*> players, const std::function<bool()>& done, int idleLimitMs = 15000);

}  // namespace vexal::server::testing
