#include "net/messages/deal.h"

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

CommandFrame encode(const Deal& m) {
    CommandFrame f = makeFrame(Command::Deal, m.seatBit);
    size_t count = m.cards.size() < kHandSlots ? m.cards.size() : kHandSlots;
    for (size_t k = 0; k < count; ++k)
        writeLe32(f, kDealCardsByte + 4 * k, static_cast<uint32_t>(m.cards[k]));
    if (count < kHandSlots)
        writeLe32(f, kDealCardsByte + 4 * count, static_cast<uint32_t>(kDealStopCode));
    f[148] = m.noteAlone ? 1 : 0;
    writeMixed(f, 149, 168, m.note);
    writeBe32(f, kResumeNumberByte, m.resumeNumber & 0x7FFFFFFFu);
    return f;
}

Deal decodeDeal(const CommandFrame& f) {
    Deal m;
    m.seatBit = f[kSeatByte] & 0x0F;
    for (size_t k = 0; k < kHandSlots; ++k) {
        size_t at = kDealCardsByte + 4 * k;
        // The stop code (byte 3 from 0x80) or an all-zero group ends a short list: zero is no
        // card, and taking it would put cards of rank 0 into the hand.
        if (f[at + 3] >= 0x80) {
            m.stoppedAtBrokenCode = true;
            break;
        }
        if (readLe32(f, at) == 0)
            break;
        m.cards.push_back(static_cast<CardCode>(readLe32(f, at)));
    }
    m.noteAlone = f[148] == 1;
    m.note = readMixed(f, 149, 168);
    m.resumeNumber = readBe32(f, kResumeNumberByte);
    return m;
}

}  // namespace vexal
