#include "model/session.h"

#include "net/frame.h"

namespace vexal {

int SessionState::relativeOf(uint8_t seatBitValue) const {
    return relativeSeat(seatOfBit(seatBitValue), seatOfBit(own.seatBit));
}

}  // namespace vexal
