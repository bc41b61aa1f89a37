// Playing: the own play and pass (`JudgeChuPai`, `PassTurn`), the hint, every seat's play as the
// server reports it (`OnPlay`), the last-trick review and the play countdown.
#include "table/round.h"

#include "media/anigif.h"
#include "media/resources.h"
#include "media/sound.h"
#include "net/messages/play.h"
#include "rules/arrange.h"
#include "rules/sort.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "model/session.h"
#include "table/widgets.h"
#include "table/windows.h"
#include "platform/trace.h"

#include <cmath>

namespace vexal {

void RoundTable::showPlayButtons(bool play, bool hint, bool pass) {
    const bool on[3] = {play, hint, pass};
    for (int i = 0; i < 3; ++i) {
        PictureButton* b = Operation[static_cast<size_t>(i)];
        b->setEnabled(on[i]);
        b->setVisible(on[i]);
        if (on[i]) {
            b->showPicture(picture(178 + 3 * i));
            b->raise();
        }
    }
}

void RoundTable::hidePlayButtons() {
    for (int i = 0; i < 3; ++i) {
        Operation[static_cast<size_t>(i)]->hide();
        Operation[static_cast<size_t>(i)]->setEnabled(false);
    }
}

void RoundTable::hideShown(int r) { hidePlay(r, m_round.shown[static_cast<size_t>(r)]); }

void RoundTable::showPlay(int r, const ShownPlay& p) {
    for (int k = 0; k < p.count; ++k) {
        QLabel* c = cardImage[static_cast<size_t>(r)][static_cast<size_t>(p.images[static_cast<size_t>(k)])];
        c->show();
        c->raise();
    }
}

void RoundTable::hidePlay(int r, const ShownPlay& p) {
    for (int k = 0; k < p.count; ++k)
        cardImage[static_cast<size_t>(r)][static_cast<size_t>(p.images[static_cast<size_t>(k)])]->hide();
}

// The trick is over: its plays leave the table (kept for the review), and so do its passes, its
// bomb bubble and its points, which now belong to the taker.
void RoundTable::clearTrick() {
    m_round.lastTrick = m_round.shown;
    for (int r = 0; r < 4; ++r) {
        hideShown(r);
        m_round.shown[static_cast<size_t>(r)] = ShownPlay{};
        hidePassMark(r);
    }
    if (seatBubbleShown())
        hideSeatBubble();
    // The bomb and roar animations end on their own timer: the opening of play closes the calling
    // phase's "trick" right after a roar, and would take the roar away before it is seen.
    lbl_benlunFenshu->setText(QStringLiteral("0"));
}

void RoundTable::showPassMark(int r) {
    m_round.passed[static_cast<size_t>(r)] = true;
    if (m_speaking == r)
        m_speaking = -1;
    // The own seat's mark sits right of its panel, its tail pointing at it like the left seat's.
    const int number = r == 0 ? 221 : 220 + r;
    QLabel* b = Speak[static_cast<size_t>(r)];
    b->setPixmap(picture(number));
    b->setProperty("picture", number);
    b->setGeometry(m_form.units(kBubbleAt[r].x(), kBubbleAt[r].y(), 100, 42));
    b->show();
    b->raise();
}

void RoundTable::hidePassMark(int r) {
    if (!m_round.passed[static_cast<size_t>(r)])
        return;
    m_round.passed[static_cast<size_t>(r)] = false;
    if (m_speaking != r)
        Speak[static_cast<size_t>(r)]->hide();
}

void RoundTable::JudgeChuPai() {
    Hand& hand = m_round.hands[0];
    std::vector<SelectedCard> selection;
    for (int slot = 0; slot < hand.count; ++slot) {
        const int image = hand.images[static_cast<size_t>(slot)];
        if (isRaised(image))
            selection.push_back({hand.codes[static_cast<size_t>(slot)], image});
    }
    sortSelection(std::span<SelectedCard>(selection));
    std::vector<CardCode> codes;
    for (const SelectedCard& c : selection)
        codes.push_back(c.code);
    const int choice = m_round.choiceMode;
    m_round.choiceMode = 0;
    const JudgeDecision d = judgePlay(codes, m_round.lastPlay, choice, Operation[2]->isVisible());
    switch (d.outcome) {
    case JudgeOutcome::Nothing:
        return;
    case JudgeOutcome::Pass:
        PassTurn();
        return;
    case JudgeOutcome::AwaitChoice: {
        const std::array<std::string, 2> texts = sequenceChoiceTexts(codes);
        sequenceChoice->open({QString::fromStdString(texts[0]), QString::fromStdString(texts[1])});
        return;
    }
    case JudgeOutcome::RuleViolation:
        RuleNotice->showNotice(210);
        return;
    case JudgeOutcome::Accepted:
        break;
    }
    const std::vector<ArrangedCard> arranged = arrangePlay(d.type, codes);
    const std::optional<CommandFrame> frame = buildPlayFrame(m_session.own.seatBit, d.type, arranged);
    if (!frame) {
        RuleNotice->showNotice(210);
        return;
    }
    m_services.setCountdown(m_session.turnTimeLimit);
    m_round.ownPlayTurn = false;
    m_round.cardClicksBlocked = true;
    m_services.armPlayCountdown(false);
    hideCountdown();
    hidePlayButtons();
    if (!m_round.handInputEnabled) {
        m_round.cardClicksBlocked = false;
        return;
    }
    m_round.handInputEnabled = false;
    send(*frame);
    m_round.lastPlay = lastPlayOf(d.type, arranged);

    // Each arranged card takes the image that showed it in the hand.
    std::vector<bool> used(selection.size(), false);
    ShownPlay shown;
    const int n = static_cast<int>(arranged.size());
    const int w = otherCardWidth();
    for (int k = 0; k < n; ++k) {
        int image = -1;
        for (size_t i = 0; i < selection.size(); ++i)
            if (!used[i] && selection[i].code == arranged[static_cast<size_t>(k)].code) {
                used[i] = true;
                image = selection[i].image;
                break;
            }
        if (image < 0)
            continue;
        QLabel* c = cardImage[0][static_cast<size_t>(image)];
        c->hide();
        if (!setCardImage(c, arranged[static_cast<size_t>(k)].code))
            return;
        c->setGeometry(qRound(handFanLeft(hand.anchorX, n, k, sx(), w) + 24 * sx()), hand.anchorY + qRound(24 * sy()), w,
                       otherCardHeight());
        c->show();
        c->raise();
        shown.images[static_cast<size_t>(shown.count++)] = image;
    }
    m_round.shown[0] = shown;
    // No sound here: the server's echo of this play sounds it, as it does every seat's play.

    for (int slot = hand.count - 1; slot >= 0; --slot)
        if (isRaised(hand.images[static_cast<size_t>(slot)]))
            removeSlot(hand, slot);
    if (hand.count > 0 && m_round.sortMode == 2 && !SortbyNum(hand, hand.count))
        m_form.setSysmsg(0, QString::fromUtf8(kSortbyNumError.data(), static_cast<qsizetype>(kSortbyNumError.size())));
    ShowCard();
    m_round.cardClicksBlocked = false;
    m_round.raisedCount = 0;
    if (hand.count == 0 && m_round.finishingPlace < 3)
        showFinishingBadge(0);
    RuleNotice->hide();
}

void RoundTable::PassTurn() {
    playEffect(SoundEffect::OwnPlaySent);
    if (m_round.lastPlay.type == kPlayNone)
        return;
    m_services.armPlayCountdown(false);
    hideCountdown();
    m_round.ownPlayTurn = false;
    hidePlayButtons();
    lowerAll();
    if (m_round.handInputEnabled) {
        m_round.handInputEnabled = false;
        send(buildPassFrame(m_session.own.seatBit));
    }
    m_round.raisedCount = 0;
    for (int i = 0; i < 3; ++i)
        Operation[static_cast<size_t>(i)]->showPicture(picture(178 + 3 * i));
}

void RoundTable::hintPressed() {
    m_session.timeoutCount = 0;
    playEffect(SoundEffect::PlayControl);
    if (m_round.lastPlay.type == kPlayNone)
        return;
    lowerAll();
    const Hand& hand = m_round.hands[0];
    const HintProposal hint = proposeHint(hand, m_round.lastPlay);
    if (hint.pass) {
        PassTurn();
        return;
    }
    for (int slot : hint.raise)
        raiseImage(imageOfSlot(slot));
    m_round.raisedCount = static_cast<int>(hint.raise.size());
}

void RoundTable::sequenceChosen(int option) {
    m_round.choiceMode = option == 0 ? 1 : 2;
    JudgeChuPai();
}

void RoundTable::showFinishingBadge(int r) {
    const int number = finishingBadgePicture(m_round.finishingPlace);
    if (number == 0)
        return;
    QLabel* b = finishBadge[static_cast<size_t>(r)];
    b->setPixmap(picture(number));
    b->setProperty("picture", number);
    // Beside the seat that earned it, clear of its panel's texts, back pile, bubble and clock: right
    // of the own points badge, right of the left pile, right of the top panel, under the right pile.
    static const QPoint kAt[4] = {{130, 605}, {130, 340}, {660, 30}, {900, 390}};
    b->setGeometry(m_form.units(kAt[r].x(), kAt[r].y(), 96, 48));
    b->show();
    b->raise();
    ++m_round.finishingPlace;
}

void RoundTable::layOpponentRow(int r) {
    const ShownPlay& p = m_round.shown[static_cast<size_t>(r)];
    const Hand& h = m_round.hands[static_cast<size_t>(r)];
    const int w = otherCardWidth();
    const double step = 0.22 * w;
    const double rowWidth = p.count > 0 ? (p.count - 1) * step + w : 0;
    // Rows grow towards the table's centre: the left seat's to the right, the right seat's to the
    // left, the top seat's both ways.
    double left = h.anchorX;
    if (r == 2)
        left = h.anchorX - rowWidth / 2;
    else if (r == 3)
        left = h.anchorX - rowWidth + w;
    for (int k = 0; k < p.count; ++k) {
        QLabel* c = cardImage[static_cast<size_t>(r)][static_cast<size_t>(p.images[static_cast<size_t>(k)])];
        c->setGeometry(qRound(left + k * step), h.anchorY, w, otherCardHeight());
        c->show();
        c->raise();
    }
}

void RoundTable::runBombAnimation() {
    const int n = static_cast<int>(std::lround(m_services.random01() * 2.0)) % 3;
    bombPlayer->LoadAnimatedGIF_Array(gifResourceBytes(picture::kBomb + n));
    bombPlayer->setLoops(n == 2 ? 1 : 2);
    bombPlayer->resize(bombPlayer->ActualWidth(), bombPlayer->ActualHeight());
    const QRect centre = m_form.units(512, 370, 0, 0);
    bombPlayer->move(centre.left() - bombPlayer->width() / 2, centre.top() - bombPlayer->height() / 2);
    bombPlayer->show();
    bombPlayer->raise();
    bombPlayer->setAction(1);
    for (int i = 0; i < 3; ++i)
        if (Operation[static_cast<size_t>(i)]->isVisible())
            Operation[static_cast<size_t>(i)]->raise();
    m_bombEnd.start(2000);
    if (m_sound && m_sound->effectsOn()) {
        m_sound->StopEffect();
        m_sound->playBombEffect(n);
    }
}

void RoundTable::OnPlay(const CommandFrame& frame) {
    const PlayReport p = decodePlayReport(frame);
    const int s = m_session.relativeOf(p.seatBit);
    const int n = static_cast<int>(p.cards.size());
    if (traceEnabled()) {
        std::string shown = playTypeName(p.type);
        for (CardCode c : p.cards)
            shown += ' ' + cardText(c);
        trace("play", QStringLiteral("seat %1 cards %2 type %3 flag %4 next %5 | %6")
                          .arg(s).arg(n).arg(p.type).arg(p.trickFlag).arg(m_session.relativeOf(p.nextSeatBit))
                          .arg(QString::fromStdString(shown)));
    }
    if (m_round.reviewShowing)
        EndReview();
    m_round.callingTurn = false;
    const bool trickCleared = p.trickFlag == kTrickToByte16 || p.trickFlag == kTrickToNextSeat;
    if (trickCleared)
        clearTrick();
    if (n == 0 && m_round.shown[static_cast<size_t>(s)].count > 0) {
        hideShown(s);
        m_round.shown[static_cast<size_t>(s)] = ShownPlay{};
    }
    if (seatBubbleShown())
        hideSeatBubble();
    if (n > 0)
        hidePassMark(s);

    if (p.type > 6) {
        auto& bombs = m_round.bombs[static_cast<size_t>(s)];
        if (bombs.size() < static_cast<size_t>(kMaxBombsPerSeat))
            bombs.push_back(p.type);
        m_round.multiplier *= bombFactor(p.type);
        showMultiplier();
    }
    if (closesTrick(p.trickFlag)) {
        m_round.lastPlay.type = kPlayNone;
        const uint8_t takerBit = p.trickFlag == kTrickToNextSeat ? p.nextSeatBit
                                 : p.trickFlag == kTrickToByte16 ? p.takerBit
                                                                 : p.seatBit;
        const int taker = m_session.relativeOf(takerBit);
        m_round.pointsTaken[static_cast<size_t>(taker)] += p.tablePoints;
        m_form.lbl_currDefen[static_cast<size_t>(taker)]->setText(
            QString::number(m_round.pointsTaken[static_cast<size_t>(taker)]));
    }

    const bool first = m_round.firstPlayPending;
    m_round.firstPlayPending = false;
    if (n == 0) {
        // Each pass stays beside its seat until the seat plays again or the trick is over.
        if (!first && !trickCleared)
            showPassMark(s);
    } else {
        if (effectsOn())
            m_sound->playTableEffect(SoundEffect::PlayShown);
        if (!m_session.awayMode && p.type > 5)
            runBombAnimation();
        if (p.partnerRevealed) {
            const QPoint at = seatMarkerPos(s);
            img_zhuangFriend->setGeometry(m_form.units(at.x(), at.y(), 68, 68));
            img_zhuangFriend->show();
            img_zhuangFriend->raise();
        }
        if (s == 0)
            takeServerPlayedCards(p.cards);
        if (s != 0) {
            const size_t rs = static_cast<size_t>(s);
            hideShown(s);
            m_round.lastPlay.count = n;
            m_round.lastPlay.type = p.type;
            if (p.type >= 6 && p.type <= 13)
                showSeatBubble(s, 226 + s);
            else if (p.type >= 14)
                showSeatBubble(s, 229 + s);
            const std::vector<LaidCard> laid = layOutReceivedPlay(p.cards);
            ShownPlay shown;
            int slot = m_round.nextFreeImage[rs];
            for (size_t k = 0; k < laid.size() && slot < kShownPlayCapacity; ++k, ++slot) {
                m_round.lastPlay.entries[k] = laid[k].entry;
                if (!setCardImage(cardImage[rs][static_cast<size_t>(slot)], laid[k].code))
                    return;
                shown.images[static_cast<size_t>(shown.count++)] = slot;
            }
            m_round.shown[rs] = shown;
            layOpponentRow(s);
            Hand& h = m_round.hands[rs];
            h.count = static_cast<int16_t>(std::max(0, h.count - n));
            m_round.nextFreeImage[rs] += n;
            if (h.count == 0) {
                if (m_round.finishingPlace < 3)
                    showFinishingBadge(s);
                shanImage[rs - 1]->hide();
            } else {
                if (h.count == 1 && effectsOn())
                    m_sound->playTableEffect(SoundEffect::OneCardLeft);
                showBackPile(s, h.count);
            }
        }
    }

    const int t = m_session.relativeOf(p.nextSeatBit);
    if (p.nextSeatBit == m_session.own.seatBit) {
        // The own played cards' images are never reused within a round, so hiding them is safe.
        hideShown(0);
        m_round.shown[0] = ShownPlay{};
        if (closesTrick(p.trickFlag))
            m_round.lastPlay.type = kPlayNone;
        if (p.trickFlag < 10 && p.trickFlag != kTrickToByte16 && p.trickFlag != kTrickToNextSeat)
            showPlayButtons(true, true, true);
        else if (p.trickFlag == kTrickToByte16 || p.trickFlag == kTrickToNextSeat)
            showPlayButtons(true, true, false);
    }
    m_round.ownPlayTurn = false;
    placeCountdown(t);
    if (t == 0 && p.nextSeatBit == m_session.own.seatBit) {
        m_round.ownPlayTurn = true;
        m_round.handInputEnabled = true;
        m_round.callOffered = false;
        m_round.callingPhase = false;
    }
    // A finished trick's points now belong to its taker; nothing lies on the table any more.
    lbl_benlunFenshu->setText(QString::number(closesTrick(p.trickFlag) ? 0 : p.tablePoints));
    if (p.trickFlag == kTrickToPlayer)
        m_services.wait(1000);
    m_services.armPlayCountdown(true);
    const int seconds = playCountdownSeconds(p.turnSeconds, m_session.goneAway);
    m_services.setCountdown(seconds);
    showCountdownNumber(seconds, false);
    m_form.Number->raise();
    if (closesTrick(p.trickFlag))
        m_round.lastPlay.type = kPlayNone;
    ++m_playsShown;
    if (!screenshotPrefix.isEmpty() && m_round.ownPlayTurn)
        screenshotAfterPlay();
    if (autoplay && m_round.ownPlayTurn)
        QTimer::singleShot(autoplayDelayMs, this, &RoundTable::autoplayTurn);
}

// The echo of an own play whose cards are still in the hand: the server played for this seat
// (its turn ran out there first). The hand follows the server, or it would keep cards the seat
// no longer holds and every later play naming them would be refused.
void RoundTable::takeServerPlayedCards(const std::vector<CardCode>& played) {
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
    hidePlayButtons();
    m_round.ownPlayTurn = false;
    m_round.handInputEnabled = false;
    const int w = otherCardWidth();
    ShownPlay shown;
    for (size_t k = 0; k < images.size(); ++k) {
        QLabel* c = cardImage[0][static_cast<size_t>(images[k])];
        if (!setCardImage(c, played[k]))
            return;
        c->setGeometry(qRound(handFanLeft(hand.anchorX, static_cast<int>(images.size()), static_cast<int>(k), sx(), w) +
                              24 * sx()),
                       hand.anchorY + qRound(24 * sy()), w, otherCardHeight());
        c->show();
        c->raise();
        shown.images[static_cast<size_t>(shown.count++)] = images[k];
    }
    m_round.shown[0] = shown;
    ShowCard();
    if (hand.count == 0 && m_round.finishingPlace < 3)
        showFinishingBadge(0);
}

// 上一轮: the previous trick as it ended, each seat's play in it, in place of the current one.
void RoundTable::startReview() {
    m_round.reviewEnabled = false;
    m_round.reviewShowing = true;
    for (int r = 0; r < 4; ++r) {
        hideShown(r);
        if (m_round.passed[static_cast<size_t>(r)] && m_speaking != r)
            Speak[static_cast<size_t>(r)]->hide();
    }
    for (int r = 0; r < 4; ++r)
        showPlay(r, m_round.lastTrick[static_cast<size_t>(r)]);
    if (Operation[0]->isVisible())
        for (int i = 0; i < 3; ++i)
            Operation[static_cast<size_t>(i)]->raise();
    m_reviewTimer.start();
}

// The review's end brings back exactly the current trick, its passes included.
void RoundTable::EndReview() {
    m_reviewTimer.stop();
    for (int r = 0; r < 4; ++r)
        hidePlay(r, m_round.lastTrick[static_cast<size_t>(r)]);
    for (int r = 0; r < 4; ++r) {
        showPlay(r, m_round.shown[static_cast<size_t>(r)]);
        if (m_round.passed[static_cast<size_t>(r)])
            Speak[static_cast<size_t>(r)]->show();
    }
    m_round.reviewShowing = false;
    m_round.reviewEnabled = true;
}

void RoundTable::PlayCountdownTick() {
    if (!m_session.loggedIn || !m_services.playCountdownArmed())
        return;
    int countdown = m_services.countdown();
    if (countdown > 0) {
        --countdown;
        m_services.setCountdown(countdown);
        const bool low = countdown <= 5;
        showCountdownNumber(countdown, low);
        if (low && deviceOn())
            m_sound->playTurnTick();
        return;
    }
    m_round.handInputEnabled = true;
    if (m_round.ownPlayTurn) {
        if (m_session.timeoutLimit > 0) {
            ++m_session.timeoutCount;
            if (!m_session.awayMode && m_session.timeoutCount >= m_session.timeoutLimit)
                F1Pressed();  // two time-outs leave the table as F1 does
        }
        if (Operation[2]->isVisible()) {
            sequenceChoice->hide();
            PassTurn();
        } else {
            lowerAll();
            const Hand& hand = m_round.hands[0];
            if (hand.count > 0)
                raiseImage(imageOfSlot(hand.count - 1));
            JudgeChuPai();
            m_round.cardClicksBlocked = false;
        }
    }
    hidePlayButtons();
    m_round.handInputEnabled = false;
    hideCountdown();
    m_services.setCountdown(m_session.turnTimeLimit);
    m_services.armPlayCountdown(false);
}

}  // namespace vexal
