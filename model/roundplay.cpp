// The own hand and the plays: raising cards, the hand buttons, the own play and pass, the hint,
// every seat's play as the server reports it, the last-trick review and the play countdown.
#include "model/roundmodel.h"

#include "net/messages/play.h"
#include "rules/arrange.h"
#include "rules/sort.h"

namespace vexal {

namespace {
std::string text(std::string_view s) { return std::string(s); }
}  // namespace

void RoundModel::clickCard(int image, Effects& fx) {
    const int slot = slotOfImage(image);
    if (slot < 0 || m_round.cardClicksBlocked)
        return;
    bool& raised = m_round.raised[static_cast<size_t>(image)];
    if (!raised) {
        if (m_round.callOffered && m_round.callingPhase) {
            // One call candidate at a time: raising another lowers the last.
            const int previous = m_round.callCandidate;
            if (previous >= 0 && previous != slot && previous < m_round.hands[0].count)
                m_round.raised[static_cast<size_t>(imageOfSlot(previous))] = false;
            m_round.callCandidate = slot;
            m_round.raisedCallCard = slot;
            m_round.raisedCount = 1;
        } else {
            ++m_round.raisedCount;
        }
        raised = true;
        fx.play(Cue::CardRaised);
    } else {
        raised = false;
        --m_round.raisedCount;
        if (m_round.callCandidate == slot)
            m_round.callCandidate = -1;
        fx.play(Cue::CardLowered);
    }
    fx.draw(view::HandChanged{});
}

void RoundModel::sortOwnHand(int mode, Effects& fx) {
    Hand& hand = m_round.hands[0];
    m_round.sortMode = mode;
    if (mode == 2 ? !SortbyNum(hand, hand.count) : !SortbyBig(hand, hand.count))
        fx.draw(view::StatusLine{0, text(mode == 2 ? kSortbyNumError : kSortbyBigError)});
    // A sorted hand lies flat.
    lowerAll(fx);
}

void RoundModel::pressControl(int i, Effects& fx) {
    if (!m_session.loggedIn)
        return;
    fx.draw(view::RuleNotice{0});
    if (i <= 2 && (!m_round.handInputEnabled || !m_round.playControls[static_cast<size_t>(i)]))
        return;
    switch (i) {
    case 0:
        m_session.timeoutCount = 0;
        judgePlay(fx);
        break;
    case 1:
        pressHint(fx);
        break;
    case 2:
        passTurn(fx);
        break;
    case 3:
        if (m_session.roundRunning)
            sortOwnHand(m_round.sortMode == 1 ? 2 : 1, fx);
        break;
    case 4:
        if (m_session.roundRunning && m_round.reviewEnabled)
            startReview(fx);
        break;
    case 5:
        lowerAll(fx);
        break;
    default:
        break;
    }
}

void RoundModel::judgePlay(Effects& fx) {
    Hand& hand = m_round.hands[0];
    std::vector<SelectedCard> selection;
    for (int slot = 0; slot < hand.count; ++slot) {
        const int image = hand.images[static_cast<size_t>(slot)];
        if (m_round.raised[static_cast<size_t>(image)])
            selection.push_back({hand.codes[static_cast<size_t>(slot)], image});
    }
    sortSelection(std::span<SelectedCard>(selection));
    std::vector<CardCode> codes;
    for (const SelectedCard& c : selection)
        codes.push_back(c.code);
    const int choice = m_round.choiceMode;
    m_round.choiceMode = 0;
    const JudgeDecision d = vexal::judgePlay(codes, m_round.lastPlay, choice, m_round.playControls[2]);
    switch (d.outcome) {
    case JudgeOutcome::Nothing:
        return;
    case JudgeOutcome::Pass:
        passTurn(fx);
        return;
    case JudgeOutcome::AwaitChoice:
        fx.draw(view::SequenceChoiceOpened{sequenceChoiceTexts(codes)});
        return;
    case JudgeOutcome::RuleViolation:
        fx.draw(view::RuleNotice{210});
        return;
    case JudgeOutcome::Accepted:
        break;
    }
    const std::vector<ArrangedCard> arranged = arrangePlay(d.type, codes);
    const std::optional<CommandFrame> frame = buildPlayFrame(m_session.own.seatBit, d.type, arranged);
    if (!frame) {
        fx.draw(view::RuleNotice{210});
        return;
    }
    m_countdown = m_session.turnTimeLimit;
    m_round.ownPlayTurn = false;
    m_playCountdownOn = false;
    m_clock.shown = false;
    fx.draw(view::ClockChanged{});
    setPlayControls(false, false, false, fx);
    if (!m_round.handInputEnabled)
        return;
    m_round.handInputEnabled = false;
    fx.send(*frame);
    m_round.lastPlay = lastPlayOf(d.type, arranged);

    // Each arranged card takes the image that showed it in the hand.
    std::vector<bool> used(selection.size(), false);
    ShownPlay shown;
    for (const ArrangedCard& a : arranged) {
        int image = -1;
        for (size_t i = 0; i < selection.size(); ++i)
            if (!used[i] && selection[i].code == a.code) {
                used[i] = true;
                image = selection[i].image;
                break;
            }
        if (image < 0)
            continue;
        if (!setImageCard(0, image, a.code, fx))
            return;
        shown.images[static_cast<size_t>(shown.count++)] = image;
    }
    m_round.shown[0] = shown;
    // No sound here: the server's echo of this play sounds it, as it does every seat's play.

    for (int slot = hand.count - 1; slot >= 0; --slot)
        if (m_round.raised[static_cast<size_t>(hand.images[static_cast<size_t>(slot)])])
            removeSlot(hand, slot);
    if (hand.count > 0 && m_round.sortMode == 2 && !SortbyNum(hand, hand.count))
        fx.draw(view::StatusLine{0, text(kSortbyNumError)});
    lowerAll(fx);
    fx.draw(view::TableCardsChanged{});
    if (hand.count == 0 && m_round.finishingPlace < 3)
        awardFinishingBadge(0, fx);
    fx.draw(view::RuleNotice{0});
}

void RoundModel::passTurn(Effects& fx) {
    fx.play(Cue::OwnPlaySent);
    if (m_round.lastPlay.type == kPlayNone)
        return;
    m_playCountdownOn = false;
    m_clock.shown = false;
    fx.draw(view::ClockChanged{});
    m_round.ownPlayTurn = false;
    setPlayControls(false, false, false, fx);
    lowerAll(fx);
    if (m_round.handInputEnabled) {
        m_round.handInputEnabled = false;
        fx.send(buildPassFrame(m_session.own.seatBit));
    }
}

void RoundModel::pressHint(Effects& fx) {
    m_session.timeoutCount = 0;
    fx.play(Cue::PlayControl);
    if (m_round.lastPlay.type == kPlayNone)
        return;
    lowerAll(fx);
    const HintProposal hint = proposeHint(m_round.hands[0], m_round.lastPlay);
    if (hint.pass) {
        passTurn(fx);
        return;
    }
    for (int slot : hint.raise)
        m_round.raised[static_cast<size_t>(imageOfSlot(slot))] = true;
    m_round.raisedCount = static_cast<int>(hint.raise.size());
}

void RoundModel::awardFinishingBadge(int seat, Effects& fx) {
    const int number = finishingBadgePicture(m_round.finishingPlace);
    if (number == 0)
        return;
    m_round.finishBadge[static_cast<size_t>(seat)] = number;
    ++m_round.finishingPlace;
    fx.draw(view::MarkersChanged{});
}

// The trick is over: its plays leave the table (kept for the review), and so do its passes, its
// bomb bubble and its points, which now belong to the taker.
void RoundModel::clearTrick(Effects& fx) {
    m_round.lastTrick = m_round.shown;
    m_round.shown = {};
    m_round.passed = {};
    // The bomb and roar animations end on their own timer: the opening of play closes the calling
    // phase's "trick" right after a roar, and would take the roar away before it is seen.
    m_round.bubbleSeat = -1;
    m_round.tablePoints = 0;
    fx.draw(view::TableCardsChanged{});
    fx.draw(view::BubbleChanged{});
    fx.draw(view::LabelsChanged{});
}

// Each pass stays beside its seat until the seat plays again or the trick is over; it takes the
// place of the seat's bubble.
void RoundModel::showPassMark(int seat, Effects& fx) {
    m_round.passed[static_cast<size_t>(seat)] = true;
    if (m_round.bubbleSeat == seat)
        m_round.bubbleSeat = -1;
    fx.draw(view::BubbleChanged{});
}

void RoundModel::hidePassMark(int seat, Effects& fx) {
    if (!m_round.passed[static_cast<size_t>(seat)])
        return;
    m_round.passed[static_cast<size_t>(seat)] = false;
    fx.draw(view::BubbleChanged{});
}

void RoundModel::onPlay(const PlayReport& p, Effects& fx) {
    const int s = m_session.relativeOf(p.seatBit);
    const int n = static_cast<int>(p.cards.size());
    const size_t rs = static_cast<size_t>(s);
    if (m_round.reviewShowing)
        endReview(fx);
    m_round.callingTurn = false;
    const bool trickCleared = p.trickFlag == kTrickToByte16 || p.trickFlag == kTrickToNextSeat;
    if (trickCleared)
        clearTrick(fx);
    if (n == 0 && m_round.shown[rs].count > 0) {
        m_round.shown[rs] = ShownPlay{};
        fx.draw(view::TableCardsChanged{});
    }
    if (m_round.bubbleSeat >= 0) {
        m_round.bubbleSeat = -1;
        fx.draw(view::BubbleChanged{});
    }
    if (n > 0)
        hidePassMark(s, fx);

    if (p.type > 6) {
        auto& bombs = m_round.bombs[rs];
        if (bombs.size() < static_cast<size_t>(kMaxBombsPerSeat))
            bombs.push_back(p.type);
        m_round.multiplier *= bombFactor(p.type);
        fx.draw(view::LabelsChanged{});
    }
    if (closesTrick(p.trickFlag)) {
        m_round.lastPlay.type = kPlayNone;
        const uint8_t takerBit = p.trickFlag == kTrickToNextSeat ? p.nextSeatBit
                                 : p.trickFlag == kTrickToByte16 ? p.takerBit
                                                                 : p.seatBit;
        m_round.pointsTaken[static_cast<size_t>(m_session.relativeOf(takerBit))] += p.tablePoints;
        fx.draw(view::LabelsChanged{});
    }

    const bool first = m_round.firstPlayPending;
    m_round.firstPlayPending = false;
    if (n == 0) {
        if (!first && !trickCleared)
            showPassMark(s, fx);
    } else {
        fx.play(Cue::PlayShown);
        if (!m_session.awayMode && p.type > 5)
            fx.draw(view::BombAnimation{});
        if (p.partnerRevealed) {
            m_round.partnerSeat = s;
            fx.draw(view::MarkersChanged{});
        }
        if (s == 0) {
            takeServerPlayedCards(p.cards, fx);
        } else {
            m_round.lastPlay.count = n;
            m_round.lastPlay.type = p.type;
            if (p.type >= 6 && p.type <= 13)
                showBubble(s, 226 + s, fx);
            else if (p.type >= 14)
                showBubble(s, 229 + s, fx);
            const std::vector<LaidCard> laid = layOutReceivedPlay(p.cards);
            ShownPlay shown;
            int image = m_round.nextFreeImage[rs];
            for (size_t k = 0; k < laid.size() && image < kShownPlayCapacity; ++k, ++image) {
                m_round.lastPlay.entries[k] = laid[k].entry;
                if (!setImageCard(s, image, laid[k].code, fx))
                    return;
                shown.images[static_cast<size_t>(shown.count++)] = image;
            }
            m_round.shown[rs] = shown;
            fx.draw(view::TableCardsChanged{});
            Hand& h = m_round.hands[rs];
            h.count = static_cast<int16_t>(std::max(0, h.count - n));
            m_round.nextFreeImage[rs] += n;
            if (h.count == 0) {
                if (m_round.finishingPlace < 3)
                    awardFinishingBadge(s, fx);
            } else if (h.count == 1) {
                fx.play(Cue::OneCardLeft);
            }
            fx.draw(view::BackPilesChanged{});
        }
    }

    const int t = m_session.relativeOf(p.nextSeatBit);
    if (p.nextSeatBit == m_session.own.seatBit) {
        // The own played cards' images are never reused within a round, so hiding them is safe.
        m_round.shown[0] = ShownPlay{};
        fx.draw(view::TableCardsChanged{});
        if (closesTrick(p.trickFlag))
            m_round.lastPlay.type = kPlayNone;
        if (p.trickFlag < 10 && !trickCleared)
            setPlayControls(true, true, true, fx);
        else if (trickCleared)
            setPlayControls(true, true, false, fx);
    }
    m_round.ownPlayTurn = false;
    if (t == 0 && p.nextSeatBit == m_session.own.seatBit) {
        m_round.ownPlayTurn = true;
        m_round.handInputEnabled = true;
        m_round.callOffered = false;
        m_round.callingPhase = false;
    }
    // A finished trick's points now belong to its taker; nothing lies on the table any more.
    m_round.tablePoints = closesTrick(p.trickFlag) ? 0 : p.tablePoints;
    fx.draw(view::LabelsChanged{});
    // The round's last play stays in sight a moment before the settlement covers it.
    if (p.trickFlag == kTrickToPlayer)
        fx.draw(view::Pause{1000});
    m_playCountdownOn = true;
    m_countdown = playCountdownSeconds(p.turnSeconds, m_session.goneAway);
    showClock(t, m_countdown, fx);
}

// The echo of an own play whose cards are still in the hand: the server played for this seat
// (its turn ran out there first). The hand follows the server, or it would keep cards the seat
// no longer holds and every later play naming them would be refused.
void RoundModel::takeServerPlayedCards(const std::vector<CardCode>& played, Effects& fx) {
    Hand& hand = m_round.hands[0];
    std::vector<int> images;
    for (CardCode c : played)
        for (int slot = 0; slot < hand.count; ++slot)
            if (cardId(hand.codes[static_cast<size_t>(slot)]) == cardId(c)) {
                images.push_back(hand.images[static_cast<size_t>(slot)]);
                removeSlot(hand, slot);
                break;
            }
    if (images.empty())
        return;
    setPlayControls(false, false, false, fx);
    m_round.ownPlayTurn = false;
    m_round.handInputEnabled = false;
    ShownPlay shown;
    for (size_t k = 0; k < images.size(); ++k) {
        if (!setImageCard(0, images[k], played[k], fx))
            return;
        shown.images[static_cast<size_t>(shown.count++)] = images[k];
    }
    m_round.shown[0] = shown;
    lowerAll(fx);
    fx.draw(view::TableCardsChanged{});
    if (hand.count == 0 && m_round.finishingPlace < 3)
        awardFinishingBadge(0, fx);
}

// 上一轮: the previous trick as it ended, each seat's play in it, in place of the current one.
void RoundModel::startReview(Effects& fx) {
    m_round.reviewEnabled = false;
    m_round.reviewShowing = true;
    // The previous trick alone: the current trick's bomb bubble and picture go with its cards.
    m_round.bubbleSeat = -1;
    fx.draw(view::AnimationStopped{});
    fx.draw(view::TableCardsChanged{});
    fx.draw(view::BubbleChanged{});
}

// The review's end brings back exactly the current trick, its passes included.
void RoundModel::endReview(Effects& fx) {
    if (!m_round.reviewShowing)
        return;
    m_round.reviewShowing = false;
    m_round.reviewEnabled = true;
    fx.draw(view::TableCardsChanged{});
    fx.draw(view::BubbleChanged{});
}

Effects RoundModel::tickPlayCountdown() {
    Effects fx;
    if (!inTouch() || !m_playCountdownOn)
        return fx;
    if (m_countdown > 0) {
        --m_countdown;
        const bool low = m_countdown <= 5;
        setClockSeconds(m_countdown, low, fx);
        if (low)
            fx.play(Cue::TurnTick);
        return fx;
    }
    m_round.handInputEnabled = true;
    if (m_round.ownPlayTurn) {
        if (m_session.timeoutLimit > 0) {
            ++m_session.timeoutCount;
            if (!m_session.awayMode && m_session.timeoutCount >= m_session.timeoutLimit) {
                // Two time-outs leave the table as F1 does.
                m_session.awayMode = true;
                hideTable(fx);
            }
        }
        if (m_round.playControls[2]) {
            fx.draw(view::SequenceChoiceClosed{});
            passTurn(fx);
        } else {
            // Leading: the smallest card goes.
            lowerAll(fx);
            const Hand& hand = m_round.hands[0];
            if (hand.count > 0)
                m_round.raised[static_cast<size_t>(imageOfSlot(hand.count - 1))] = true;
            judgePlay(fx);
            m_round.cardClicksBlocked = false;
        }
    }
    setPlayControls(false, false, false, fx);
    m_round.handInputEnabled = false;
    m_clock.shown = false;
    fx.draw(view::ClockChanged{});
    m_countdown = m_session.turnTimeLimit;
    m_playCountdownOn = false;
    return fx;
}

// Out of sight, the turn's countdown is over: the automatic answer takes the turn at once.
void RoundModel::hideTable(Effects& fx) {
    m_countdown = 0;
    m_session.goneAway = true;
    fx.draw(view::TableHidden{});
    fx.session.minimiseLobby = true;
}

}  // namespace vexal
