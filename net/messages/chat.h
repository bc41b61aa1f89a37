// A chat line (command 19) as the server relays it.
//
// Byte 6 the sender's seat bit (0 a system line); byte 9 quick-phrase list (1 or 2, else 0);
// byte 10 phrase number; byte 11 the private addressee's seat bit (0 everybody); byte 13 as the
// sender set it; bytes 16..215 the text (mixed reading). The marker of bytes 236..239 that makes
// a frame a plug-in message is tested by isPluginMessage of net/frame.h.
#pragma once

#include <cstdint>
#include <string>

#include "net/command.h"

namespace vexal {

struct ChatLine {
    uint8_t seatBit = 0;
    uint8_t phraseList = 0;
    uint8_t phraseNumber = 0;
    uint8_t addresseeBit = 0;
    uint8_t byte13 = 0;
    std::string text;
};
CommandFrame encode(const ChatLine& m);
ChatLine decodeChatLine(const CommandFrame& f);

}  // namespace vexal
