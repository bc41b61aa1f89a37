#include "net/messages/settlement.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

namespace {

constexpr size_t kHeldCardsByte = 20;

void putLeU64(CommandFrame& f, size_t at, uint64_t v) {
    for (size_t i = 0; i < 8; ++i)
        f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t getLeU64(const CommandFrame& f, size_t at) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | f[at + i];
    return v;
}

void putBe16(CommandFrame& f, size_t at, uint16_t v) {
    f[at] = static_cast<uint8_t>(v >> 8);
    f[at + 1] = static_cast<uint8_t>(v);
}

}  // namespace

CommandFrame encode(const SettlementRecord& m) {
    CommandFrame f = makeFrame(Command::RoundEnd, m.seatBit);
    writeBe32(f, 8, m.stake);
    f[15] = m.coinUnit;
    size_t count = m.heldCards.size() < kHandSlots ? m.heldCards.size() : kHandSlots;
    f[16] = static_cast<uint8_t>(count);
    for (size_t i = 0; i < count; ++i)
        writeLe32(f, kHeldCardsByte + 4 * i, static_cast<uint32_t>(m.heldCards[i]));
    f[128] = m.place;
    f[129] = m.subtotalGain ? 1 : 0;
    putLeU64(f, 130, m.subtotal);
    f[138] = m.finalGain ? 1 : 0;
    putLeU64(f, 139, m.finalAmount);
    f[147] = m.level;
    f[148] = m.roared ? 1 : 0;
    f[149] = m.partnerBit;
    f[150] = m.callerBit;
    putBe16(f, 151, m.cardPoints);
    putBe16(f, 153, m.finalPoints);
    f[164] = m.percentage;
    f[165] = m.capped ? 1 : 0;
    f[166] = m.escapedBits;
    return f;
}

SettlementRecord decodeSettlement(const CommandFrame& f) {
    SettlementRecord m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.stake = readBe32(f, 8);
    m.coinUnit = f[15];
    size_t count = f[16] < kHandSlots ? f[16] : kHandSlots;
    for (size_t i = 0; i < count; ++i)
        m.heldCards.push_back(static_cast<CardCode>(readLe32(f, kHeldCardsByte + 4 * i)));
    m.place = f[128];
    m.subtotalGain = f[129] == 1;
    m.subtotal = getLeU64(f, 130);
    m.finalGain = f[138] == 1;
    m.finalAmount = getLeU64(f, 139);
    m.level = f[147];
    m.roared = f[148] == 1;
    m.partnerBit = f[149];
    m.callerBit = f[150];
    m.cardPoints = readBe16(f, 151);
    m.finalPoints = readBe16(f, 153);
    m.percentage = f[164];
    m.capped = f[165] == 1;
    m.escapedBits = f[166];
    return m;
}

}  // namespace vexal
