// The round's end: the four settlement records, the opponents' cards revealed, the coins and
// results of the session, and the ready countdown.
#include "model/roundmodel.h"

#include "rules/sort.h"

namespace vexal {

void RoundModel::onSettlementRecord(const SettlementRecord& rec, Effects& fx) {
    m_clock.shown = false;
    m_playCountdownOn = false;
    fx.draw(view::ClockChanged{});
    const int r = m_session.relativeOf(rec.seatBit);
    m_records[static_cast<size_t>(r)] = rec;
    m_coinUnit = rec.coinUnit;
    if (++m_recordCount < 4)
        return;
    m_recordCount = 0;
    settle(fx);
}

void RoundModel::settle(Effects& fx) {
    SettlementInput in;
    in.records = m_records;
    const int ownSeat = bitIndex(m_session.own.seatBit);
    for (size_t r = 0; r < 4; ++r) {
        // A seat's own bit follows from the own seat: relative seat r sits r places after it.
        in.seatBits[r] = static_cast<uint8_t>(1u << ((ownSeat + static_cast<int>(r)) & 3));
        in.bombs[r] = m_round.bombs[r];
        in.initialCoins[r] = m_round.initialCoins[r];
    }
    in.wealthOn = m_session.lastWealthMultiple != 0 && m_round.wealthText != "0" && !m_round.wealthText.empty();
    in.wealthText = m_round.wealthText;
    in.note = m_round.settlementNote;
    in.noteAlone = m_round.noteAlone;
    const SettlementSheet sheet = buildSettlementSheet(in);

    m_round.pilesShown = false;
    m_round.finishBadge = {};
    m_round.passed = {};
    // The opponents' remaining cards are revealed, sorted by strength; the seat's unplayed images
    // are exactly as many as its remaining cards.
    for (int r = 1; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        Hand& h = m_round.hands[rs];
        const auto& held = m_records[rs].heldCards;
        h.count = static_cast<int16_t>(std::min<size_t>(held.size(), kHandSlots));
        for (int i = 0; i < h.count; ++i)
            h.codes[static_cast<size_t>(i)] = held[static_cast<size_t>(i)];
        (void)SortbyBig(h, h.count);
        for (int i = 0; i < h.count; ++i) {
            const int image = std::min(m_round.nextFreeImage[rs] + i, kCardImagesPerSeat - 1);
            if (!setImageCard(r, image, h.codes[static_cast<size_t>(i)], fx))
                return;
        }
    }
    m_round.handsRevealed = true;
    fx.draw(view::BackPilesChanged{});
    fx.draw(view::MarkersChanged{});
    fx.draw(view::BubbleChanged{});
    fx.draw(view::TableCardsChanged{});

    for (size_t r = 0; r < 4; ++r) {
        PlayerRecord& p = m_session.players[r];
        p.coins = std::max<int64_t>(0, p.coins + sheet.coinChange[r]);
        if (sheet.win[r])
            ++p.wins;
        else
            ++p.losses;
    }
    ++m_session.roundCounter;
    if (!m_session.awayMode && sheet.roar) {
        fx.draw(view::RoarOutcomeAnimation{sheet.roarerWon});
        fx.play(sheet.roarerWon ? Cue::Win : Cue::Lose);
        m_round.roarMarkerShown = false;
        fx.draw(view::MarkersChanged{});
    }
    fx.draw(view::StatusLine{0, std::string(kPressContinueLine)});
    fx.draw(view::StatusLine{1, std::string(kStartsSoonLine)});
    m_session.startDisarmed = false;
    m_session.roundRunning = false;
    m_session.ready = false;
    if (sheet.roar)
        fx.draw(view::Pause{2000});
    fx.draw(view::ScoreSheetShown{sheet});

    if (!m_session.launch.spectator) {
        const int seconds = m_session.awayMode ? 2 : 15;
        fx.session.readyCountdownSeconds = seconds;
        m_countdown = seconds;
        m_clock = ClockFace{true, true, 0, seconds, ClockColour::Green};
        fx.draw(view::ClockChanged{});
    }
    fx.play(Cue::RoundEndSheet);
    // The round is over: the seats are counted afresh from the next seat information on, and a
    // departure that waited for the sheet goes through now.
    m_session.playersPresent = 0;
    fx.session.scoreSheetHandled = true;
}

}  // namespace vexal
