#include "net/messages/chat.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

constexpr size_t kChatTextLast = kChatTextByte + 2 * kChatTextMaxChars - 1;  // 215

CommandFrame encode(const ChatLine& m) {
    CommandFrame f = makeFrame(Command::Chat, m.seatBit);
    f[9] = m.phraseList;
    f[10] = m.phraseNumber;
    f[11] = m.addresseeBit;
    f[13] = m.byte13;
    writeMixed(f, kChatTextByte, kChatTextLast, m.text);
    return f;
}

ChatLine decodeChatLine(const CommandFrame& f) {
    ChatLine m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.phraseList = f[9];
    m.phraseNumber = f[10];
    m.addresseeBit = f[11];
    m.byte13 = f[13];
    m.text = readMixed(f, kChatTextByte, kChatTextLast);
    return m;
}

}  // namespace vexal
