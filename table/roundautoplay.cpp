// The player's turn taken by clicks: call the card the countdown would call, pass an offered
// roar, follow with the hint, lead the smallest card.
#include "table/round.h"

#include "table/widgets.h"

namespace vexal {

void RoundTable::autoplayTurn() {
    if (m_round.callingTurn && m_round.ownPlayTurn) {
        if (img_jiao->isVisible()) {
            const int slot = automaticCallSlot(m_round.hands[0]);
            if (slot >= 0)
                cardLeftClick(imageOfSlot(slot));
            OnCallClick();
        } else if (img_pass->isVisible()) {
            OnPassClick();
        }
        return;
    }
    if (!m_round.ownPlayTurn || !m_round.handInputEnabled)
        return;
    if (Operation[2]->isVisible()) {
        OperationClick(1);
        if (m_round.ownPlayTurn && m_round.raisedCount > 0)
            OperationClick(0);
        return;
    }
    lowerAll();
    const Hand& hand = m_round.hands[0];
    if (hand.count > 0)
        cardLeftClick(imageOfSlot(hand.count - 1));
    OperationClick(0);
}

}  // namespace vexal
