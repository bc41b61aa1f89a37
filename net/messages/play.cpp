#include "net/messages/play.h"

#include <algorithm>

#include "net/messages/wire.h"

namespace vexal {

using namespace wire;

std::optional<CommandFrame> buildPlayFrame(uint8_t ownSeatBit, PlayType type,
                                           std::span<const ArrangedCard> arranged) {
    if (arranged.empty() || arranged.size() > static_cast<size_t>(kMaxRunCards)) {
        return std::nullopt;
    }
    const auto wildCount =
        std::count_if(arranged.begin(), arranged.end(), [](const ArrangedCard& a) { return isWild(a.code); });
    if (wildCount > kMaxWildCards) {
        return std::nullopt;
    }
    CommandFrame frame{};
    frame[kCommandByte] = commandByte(Command::PlayOrPass);
    frame[kSeatByte] = ownSeatBit;
    frame[15] = kPlayMarker;
    frame[17] = static_cast<uint8_t>(arranged.size());
    frame[18] = static_cast<uint8_t>(type);
    frame[19] = static_cast<uint8_t>(wildCount);
    size_t j = 0;
    for (size_t k = 0; k < arranged.size(); ++k) {
        frame[kPlayCardIdsByte + k] = cardId(arranged[k].code);
        if (isWild(arranged[k].code)) {
            frame[kPlayWildRanksByte + 4 * j++] = static_cast<uint8_t>(arranged[k].represented);
        }
    }
    return frame;
}

CommandFrame buildPassFrame(uint8_t ownSeatBit) {
    CommandFrame frame{};
    frame[kCommandByte] = commandByte(Command::PlayOrPass);
    frame[kSeatByte] = ownSeatBit;
    frame[15] = kPassMarker;
    return frame;
}

std::optional<PlayFrame> decodePlayFrame(const CommandFrame& frame) {
    if (frame[kCommandByte] != commandByte(Command::PlayOrPass)) {
        return std::nullopt;
    }
    PlayFrame play;
    play.seatBit = frame[kSeatByte] & 0x0F;
    if (frame[15] == kPassMarker) {
        play.pass = true;
        return play;
    }
    if (frame[15] != kPlayMarker) {
        return std::nullopt;
    }
    const int count = frame[17];
    const int wildCount = frame[19];
    if (count == 0 || count > kMaxRunCards || wildCount > kMaxWildCards) {
        return std::nullopt;
    }
    play.type = frame[18];
    play.wildCount = wildCount;
    play.cardIds.assign(frame.begin() + kPlayCardIdsByte, frame.begin() + kPlayCardIdsByte + count);
    for (int j = 0; j < wildCount; ++j) {
        play.wildRanks[j] = frame[kPlayWildRanksByte + 4 * static_cast<size_t>(j)];
    }
    return play;
}

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
