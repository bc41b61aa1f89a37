#include "net/messages/seating.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

CommandFrame encode(const LoginAnswer& m) {
    CommandFrame f = makeFrame(Command::Login, m.seatBit);
    f[11] = m.turnSeconds;
    f[15] = m.result;
    writeOneBytePerChar(f, 16, 115, m.advertisement);
    return f;
}

LoginAnswer decodeLoginAnswer(const CommandFrame& f) {
    LoginAnswer m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.turnSeconds = f[11];
    m.result = f[15];
    m.advertisement = readOneBytePerChar(f, 16, 115);
    return m;
}

CommandFrame encode(const SeatInfo& m) {
    CommandFrame f = makeFrame(Command::SeatInfo, m.addresseeBit);
    writeMixed(f, 16, 47, m.nickname);
    writeOneBytePerChar(f, 48, 63, m.faceCode);
    f[64] = m.sex;
    writeTwoBytePerChar(f, 72, 79, m.location);
    putLe64(f, 80, m.score);
    putLe64(f, 88, m.credit);
    putLe64(f, 96, m.coins);
    putLe64(f, 104, m.statistic3);
    writeTwoBytePerChar(f, 112, 127, m.level);
    for (size_t i = 0; i < 3; ++i)
        putLe64(f, 128 + 8 * i, m.statistics456[i]);
    writeLe32(f, 152, m.loginCount);
    writeLe32(f, 156, m.disconnectCount);
    writeLe32(f, 160, m.wins);
    writeLe32(f, 164, m.losses);
    writeOneBytePerChar(f, 168, 183, m.account);
    writeTwoBytePerChar(f, 184, 207, m.title);
    f[208] = m.ready ? 1 : 0;
    writeOneBytePerChar(f, 210, 217, m.extraText1);
    writeOneBytePerChar(f, 218, 225, m.extraText2);
    f[226] = m.seatBit;
    writeLe32(f, 234, m.wealthMultiple);
    f[255] = m.pluginRefused ? 1 : 0;
    return f;
}

SeatInfo decodeSeatInfo(const CommandFrame& f) {
    SeatInfo m;
    m.addresseeBit = f[kSeatByte] & 0x0F;
    m.nickname = readMixed(f, 16, 47);
    m.faceCode = readOneBytePerChar(f, 48, 63);
    m.sex = f[64];
    m.location = readTwoBytePerChar(f, 72, 79);
    m.score = getLe64(f, 80);
    m.credit = getLe64(f, 88);
    m.coins = getLe64(f, 96);
    m.statistic3 = getLe64(f, 104);
    m.level = readTwoBytePerChar(f, 112, 127);
    for (size_t i = 0; i < 3; ++i)
        m.statistics456[i] = getLe64(f, 128 + 8 * i);
    m.loginCount = readLe32(f, 152);
    m.disconnectCount = readLe32(f, 156);
    m.wins = readLe32(f, 160);
    m.losses = readLe32(f, 164);
    m.account = readOneBytePerChar(f, 168, 183);
    m.title = readTwoBytePerChar(f, 184, 207);
    m.ready = f[208] == 1;
    m.extraText1 = readOneBytePerChar(f, 210, 217);
    m.extraText2 = readOneBytePerChar(f, 218, 225);
    m.seatBit = f[226] & 0x0F;
    m.wealthMultiple = readLe32(f, 234);
    m.pluginRefused = f[255] != 0;
    return m;
}

CommandFrame encode(const TableState& m) {
    CommandFrame f = makeFrame(Command::TableState, m.seatBits);
    f[11] = m.byte11;
    f[13] = m.startAnimationNow ? 1 : 0;
    f[15] = m.state;
    return f;
}

TableState decodeTableState(const CommandFrame& f) {
    TableState m;
    m.seatBits = f[kSeatByte] & 0x0F;
    m.byte11 = f[11];
    m.startAnimationNow = f[13] == 1;
    m.state = f[15];
    return m;
}

TableStateKind tableStateKind(uint8_t state) {
    return state <= 2 ? static_cast<TableStateKind>(state) : TableStateKind::CoinShortage;
}

CommandFrame encode(const ReadyOrLeave& m) {
    CommandFrame f = makeFrame(Command::TableState, m.seatBit);
    f[15] = m.ready ? 1 : 0;
    return f;
}

ReadyOrLeave decodeReadyOrLeave(const CommandFrame& f) {
    return ReadyOrLeave{static_cast<uint8_t>(f[kSeatByte] & 0x0F), f[15] == 1};
}

}  // namespace vexal
