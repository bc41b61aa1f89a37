// Login answer (18), seat information (20) and table state (16, both directions).
//
// Command 18, server to client:  byte 11 turn time limit in seconds; byte 15 result (1 accepted,
//   2 start refused, other verification failed); bytes 16..115 advertisement address, one
//   character per byte.
// Command 20, server to client, all integers little-endian: byte 6 the addressee's seat bit;
//   16..47 nickname (mixed reading); 48..63 face code (one byte per character); 64 sex;
//   72..79 location (two bytes per character); 80..87 score, 88..95 credit, 96..103 coins,
//   104..111 statistic 3 (64-bit); 112..127 level text (two bytes per character); 128..151
//   statistics 4..6 (64-bit); 152..167 login count, disconnect count, wins, losses (32-bit);
//   168..183 account (one byte per character); 184..207 title (two bytes per character);
//   208 ready; 210..217 and 218..225 extra texts (one byte per character); 226 the described
//   player's seat bit; 234..237 wealth multiple (32-bit); 255 plug-in refusal.
// Command 16, server to client: byte 6 one or more seat bits; byte 11 random seat change (with
//   byte 15 = 0) or the seats sent to another room (coin shortage); byte 13 start the seat-change
//   animation at once; byte 15 the state (0 forming, 1 nothing, 2 hide advertisement, other
//   coin shortage).
// Command 16, client to server: byte 6 the sender's seat bit; byte 15 1 ready, 0 leave.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "net/command.h"

namespace vexal {

enum class LoginResult : uint8_t { Accepted = 1, StartRefused = 2, VerificationFailed = 3 };

struct LoginAnswer {
    uint8_t seatBit = 0;
    uint8_t turnSeconds = 0;
    uint8_t result = static_cast<uint8_t>(LoginResult::Accepted);
    std::string advertisement;
};
CommandFrame encode(const LoginAnswer& m);
LoginAnswer decodeLoginAnswer(const CommandFrame& f);

struct SeatInfo {
    uint8_t addresseeBit = 0;  // byte 6: the seat the frame goes to
    std::string nickname;
    std::string faceCode;
    uint8_t sex = 0;  // byte 64 as sent: 0 female, any other value male; names the quick-phrase voices
    std::string location;
    int64_t score = 0;
    int64_t credit = 0;
    int64_t coins = 0;
    int64_t statistic3 = 0;
    std::string level;
    std::array<int64_t, 3> statistics456{};
    uint32_t loginCount = 0;
    uint32_t disconnectCount = 0;
    uint32_t wins = 0;
    uint32_t losses = 0;
    std::string account;
    std::string title;
    bool ready = false;
    std::string extraText1;
    std::string extraText2;
    uint8_t seatBit = 0;  // byte 226: the seat of the player described
    uint32_t wealthMultiple = 0;
    bool pluginRefused = false;
};
CommandFrame encode(const SeatInfo& m);
SeatInfo decodeSeatInfo(const CommandFrame& f);

enum class TableStateKind : uint8_t { Forming = 0, Nothing = 1, HideAdvertisement = 2, CoinShortage = 3 };

struct TableState {
    uint8_t seatBits = 0;
    uint8_t state = 0;  // byte 15 as sent; every value from 3 up means coin shortage
    uint8_t byte11 = 0;  // random seat change (forming) or seats sent to another room (shortage)
    bool startAnimationNow = false;
};
CommandFrame encode(const TableState& m);
TableState decodeTableState(const CommandFrame& f);
TableStateKind tableStateKind(uint8_t state);

// The client's command 16: ready (byte 15 = 1) or leave (0).
struct ReadyOrLeave {
    uint8_t seatBit = 0;
    bool ready = false;
};
CommandFrame encode(const ReadyOrLeave& m);
ReadyOrLeave decodeReadyOrLeave(const CommandFrame& f);

}  // namespace vexal
