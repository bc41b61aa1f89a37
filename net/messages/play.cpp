#include "net/messages/play.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

CommandFrame encode(const PlayReport& m) {
    CommandFrame f = makeFrame(Command::Play, m.seatBit);
    f[11] = m.nextSeatBit;
    f[15] = m.trickFlag;
    f[16] = m.takerBit;
    size_t count = m.cards.size() < size_t{kMaxReportedCards} ? m.cards.size() : kMaxReportedCards;
    f[17] = static_cast<uint8_t>(count);
    f[18] = static_cast<uint8_t>(m.type);
    for (size_t k = 0; k < count; ++k)
        writeLe32(f, kPlayReportCardsByte + 4 * k, static_cast<uint32_t>(m.cards[k]));
    writeLe16(f, kTablePointsByte, m.tablePoints);
    f[121] = m.partnerRevealed ? 1 : 0;
    f[255] = m.turnSeconds;
    return f;
}

PlayReport decodePlayReport(const CommandFrame& f) {
    PlayReport m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.nextSeatBit = f[11];
    m.trickFlag = f[15];
    m.takerBit = f[16] & 0x0F;
    m.type = f[18];
    int count = f[17] < kMaxReportedCards ? f[17] : kMaxReportedCards;
    for (int k = 0; k < count; ++k)
        m.cards.push_back(static_cast<CardCode>(readLe32(f, kPlayReportCardsByte + 4 * k)));
    m.tablePoints = readLe16(f, kTablePointsByte);
    m.partnerRevealed = f[121] == 1;
    m.turnSeconds = f[255];
    return m;
}

}  // namespace vexal
