#include "net/messages/departure.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

CommandFrame encode(const PlayerLeft& m) {
    CommandFrame f = makeFrame(Command::PlayerLeft, m.seatBit);
    writeOneBytePerChar(f, 16, 31, m.account);
    // The shifted first character keeps byte 16 non-zero; it only works for codes below 255.
    if (m.firstCharPlusOne && f[16] != 0 && f[16] != 0xFF) {
        f[8] = 1;
        ++f[16];
    }
    f[11] = m.shortCountdown ? 1 : 0;
    return f;
}

PlayerLeft decodePlayerLeft(const CommandFrame& f) {
    PlayerLeft m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.firstCharPlusOne = f[8] == 1;
    m.shortCountdown = f[11] == 1;
    CommandFrame copy = f;
    if (m.firstCharPlusOne)
        copy[16] = static_cast<uint8_t>(copy[16] - 1);
    if (copy[16] != 0)
        m.account = readOneBytePerChar(copy, 16, 16) + readOneBytePerChar(copy, 17, 31);
    return m;
}

CommandFrame encode(const Removal& m) {
    CommandFrame f = makeFrame(Command::Removal, m.seatBit);
    writeMixed(f, 16, 215, m.reason);
    return f;
}

Removal decodeRemoval(const CommandFrame& f) {
    return Removal{static_cast<uint8_t>(f[kSeatByte] & 0x0F), readMixed(f, 16, 215)};
}

CommandFrame encode(const ReadyNotice& m) {
    CommandFrame f = makeFrame(Command::ReadyNotice, m.seatBit);
    f[15] = m.ready ? 1 : 0;
    writeOneBytePerChar(f, 16, 31, m.account);
    return f;
}

ReadyNotice decodeReadyNotice(const CommandFrame& f) {
    return ReadyNotice{static_cast<uint8_t>(f[kSeatByte] & 0x0F), f[15] == 1,
                       readOneBytePerChar(f, 16, 31)};
}

CommandFrame encodeOwnCoinChange(const CoinChange& m) {
    CommandFrame f = makeFrame(Command::OwnCoinChange, m.seatBit);
    putSignedAmount(f, 16, m.amount);
    return f;
}

CommandFrame encodeOtherCoinChange(const CoinChange& m) {
    CommandFrame f = makeFrame(Command::OtherCoinChange, m.seatBit);
    putSignedAmount(f, 16, m.amount);
    writeMixed(f, 25, 41, m.account);
    return f;
}

CoinChange decodeCoinChange(const CommandFrame& f) {
    CoinChange m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.amount = getSignedAmount(f, 16);
    if (f[kCommandByte] == commandByte(Command::OtherCoinChange))
        m.account = readMixed(f, 25, 41);
    return m;
}

}  // namespace vexal
