#include "net/messages/calling.h"

#include "net/messages/wire.h"

namespace vexal {

CommandFrame encode(const CallingTurn& m) {
    CommandFrame f = wire::makeFrame(Command::CallingTurn, m.seatBit);
    f[11] = m.offer;
    return f;
}

CallingTurn decodeCallingTurn(const CommandFrame& f) {
    return CallingTurn{static_cast<uint8_t>(f[kSeatByte] & 0x0F), f[11]};
}

CommandFrame encode(const CallChoice& m) {
    CommandFrame f = wire::makeFrame(Command::CallResult, m.seatBit);
    f[11] = m.choice;
    if (m.choice == kChoiceCall) {
        f[14] = m.rank;
        f[15] = m.suitBit;
    }
    return f;
}

CallChoice decodeCallChoice(const CommandFrame& f) {
    CallChoice m;
    m.seatBit = f[kSeatByte] & 0x0F;
    m.choice = f[11];
    if (m.choice == kChoiceCall) {
        m.rank = f[14];
        m.suitBit = f[15];
    }
    return m;
}

}  // namespace vexal
