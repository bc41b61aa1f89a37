// The command numbers of byte 3 of a frame, and the frame's shared constants.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vexal {

constexpr size_t kFrameSize = 272;
using CommandFrame = std::array<uint8_t, kFrameSize>;

// Byte offsets every command shares.
constexpr size_t kCommandByte = 3;
constexpr size_t kSeatByte = 6;
constexpr size_t kTokenByte = 260;  // two bytes, 260..261
// The resume number of the last deal, four bytes 268..271. The deal (1) carries it most
// significant byte first, the reconnect login (28) least significant first.
constexpr size_t kResumeNumberByte = 268;

// Every command either side sends. Numbers the client only forwards to the prop plug-in
// (44, 45, 46 and anything unknown) are not game commands of ours.
enum class Command : uint8_t {
    Deal = 1,             // server: a seat's 27 cards and the resume number
    CallingTurn = 2,      // server: a seat may call, roar or pass
    CallResult = 3,       // server: a seat's calling choice; client: the own choice
    Play = 6,             // server: a seat's play or pass, the trick and the next seat
    PlayOrPass = 7,       // client: the own play or pass
    RoundEnd = 9,         // server: one settlement record
    TableState = 16,      // server: seat states; client: ready (byte 15 = 1) or leave (0)
    Login = 18,           // client: account and password; server: the login answer
    Chat = 19,            // both: chat text, or a plug-in message by its marker
    SeatInfo = 20,        // server: one seated player's information
    PlayerLeft = 21,      // server: a player left the table
    Removal = 22,         // server: the own player is removed, with a notice text
    ReadyNotice = 23,     // server: a player is ready
    KeepAlive = 24,       // client: nothing else in the frame
    ReconnectLogin = 28,  // client: the login frame with the reconnect fields
    ReconnectAnswer = 29, // server: accepts or refuses a reconnect
    PluginA = 44,
    PluginB = 45,
    PluginScoreReady = 46,
    OwnCoinChange = 91,   // server: a signed amount added to the own coins
    OtherCoinChange = 92, // server: a signed amount added to another player's coins
};

constexpr uint8_t commandByte(Command c) { return static_cast<uint8_t>(c); }

}  // namespace vexal
