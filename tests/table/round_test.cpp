// What the round's view draws and what its clicks and keys do, on the offscreen platform: the model
// decides, the view draws its effects; the widgets and the frames sent are read back.
#include "table/round.h"

#include "../rules/cards.h"
#include "core/inifile.h"
#include "media/resources.h"
#include "model/roundmodel.h"
#include "model/session.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "net/messages/settlement.h"
#include "rules/arrange.h"
#include "table/clockview.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "table/widgets.h"
#include "table/windows.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace vexal {
namespace {

using testing::cards;

const char* const kFullDeal = "3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ";

SessionState ownSeatOne() {
    SessionState s;
    s.own.seatBit = 1;
    s.loggedIn = true;
    s.turnTimeLimit = 15;
    return s;
}

// The round's model and view for own seat bit 1 (server seat 0), wired as the program wires them:
// clicks become intents, the model decides, the view draws the effects. Frames sent are recorded;
// the view's pauses return at once.
struct Table {
    SessionState session = ownSeatOne();
    MainForm form{session};
    RoundModel model{session};
    ClockView clock{form};
    std::unique_ptr<RoundView> round;
    std::vector<CommandFrame> sent;
    QTemporaryDir dir;

    Table() {
        round = std::make_unique<RoundView>(model, form, clock, nullptr);
        round->wait = [](int) {};
        round->programDir = dir.path();
        round->onIntent = [this](const RoundIntent& i) { apply(model.act(i)); };
        form.show();
    }

    void apply(const Effects& fx) {
        sent.insert(sent.end(), fx.frames.begin(), fx.frames.end());
        round->draw(fx.view);
    }
    void receive(const RoundMessage& m) { apply(model.receive(m)); }
    RoundState& st() { return model.state(); }

    // Lays the round out again at the table's present scale, as every round's start does.
    void resetRound() { apply(model.resetRound()); }
    void deal(std::string_view text = kFullDeal) { receive(Deal{1, cards(text), false, "", 0}); }
    // The own hand drawn without a deal; the opponents hold full hands and the piles and labels
    // are up, as after a deal.
    void holds(std::string_view text) {
        st().hands[0] = testing::hand(text);
        for (int r = 1; r < 4; ++r)
            st().hands[static_cast<size_t>(r)].count = 27;
        st().pilesShown = true;
        st().labelsShown = true;
        round->draw(view::HandChanged{});
    }

    // The server names the own seat next: leading (the trick went to it) or following `last`.
    void ownLeads() { receive(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3}); }
    void ownFollows(PlayType type, std::string_view last) {
        receive(PlayReport{8, 1, kTrickGoesOn, 0, type, cards(last, 60), 0, false, 3});
    }

    int imageOf(int slot) { return st().hands[0].images[static_cast<size_t>(slot)]; }
    QLabel* handCard(int slot) { return round->cardImage[0][static_cast<size_t>(imageOf(slot))]; }
    // Left clicks on the own cards of these slots, as the hand stood before the first click.
    void click(std::initializer_list<int> which) {
        std::vector<QLabel*> images;
        for (int slot : which)
            images.push_back(handCard(slot));
        for (QLabel* image : images)
            QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
    void press(QWidget* button) { QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }
    void press(int control) { press(round->Operation[static_cast<size_t>(control)]); }
    int slotOf(std::string_view card) {
        const CardCode c = cards(card)[0];
        for (int s = 0; s < st().hands[0].count; ++s) {
            const CardCode h = st().hands[0].codes[static_cast<size_t>(s)];
            if (cardRank(h) == cardRank(c) && suitBit(h) == suitBit(c))
                return s;
        }
        return -1;
    }
    // Types of the plays sent, 0 for a pass.
    std::vector<int> playTypes() const {
        std::vector<int> out;
        for (const CommandFrame& f : sent)
            if (const std::optional<PlayFrame> p = decodePlayFrame(f))
                out.push_back(p->pass ? 0 : p->type);
        return out;
    }
};

// A pointer move onto the widget, delivered as the application delivers any move: to the widget,
// then to its parents while it is not taken.
void hover(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

int pictureOf(const QWidget* w) { return w->property("picture").toInt(); }

TEST(RoundViewDeal, TheDealFliesInAndLaysOutASortedHandLeftToRightWithFullPiles) {
    Table t;
    t.deal();
    const Hand& h = t.st().hands[0];
    ASSERT_EQ(h.count, 27);
    for (int s = 0; s < 27; ++s) {
        QLabel* image = t.handCard(s);
        EXPECT_TRUE(image->isVisible()) << s;
        EXPECT_EQ(image->property("card").toInt(), h.codes[static_cast<size_t>(s)]) << s;
        if (s > 0) {
            EXPECT_GT(image->x(), t.handCard(s - 1)->x()) << s;
        }
    }
    for (int r = 1; r < 4; ++r) {
        EXPECT_TRUE(t.round->shanImage[static_cast<size_t>(r - 1)]->isVisible()) << r;
        EXPECT_EQ(pictureOf(t.round->shanImage[static_cast<size_t>(r - 1)]), 538 + r) << r;
        EXPECT_FALSE(t.round->shanImage[static_cast<size_t>(r - 1)]->pixmap().isNull()) << r;
    }
    EXPECT_GT(t.round->dealSteps(), 12);  // every one of the twelve legs moved the card
    // The deck, the own pile and the flying card are gone, and so are their pictures.
    for (const QLabel* gone : {t.round->imgCardMove, t.round->imgFaPai, t.round->imgMyPaiBei}) {
        EXPECT_FALSE(gone->isVisible());
        EXPECT_TRUE(gone->pixmap().isNull());
    }
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "1");
    EXPECT_TRUE(t.round->lbl_currBeishu->isVisible());
    EXPECT_TRUE(t.round->Operation[3]->isVisible());
    EXPECT_FALSE(t.round->Operation[0]->isVisible());

    // A code that is no card is never drawn.
    Table u;
    std::vector<CardCode> dealt = cards("3d 4c");
    dealt.push_back(static_cast<CardCode>((2 << 8) | 1));
    u.receive(Deal{1, dealt, false, "", 0});
    EXPECT_FALSE(u.round->cardImage[0][2]->isVisible());
}

TEST(RoundViewDeal, ADealMidRoundStartsFromNothing) {
    Table t;
    t.holds("3d");
    // An eight-card bomb that ends a trick taken by seat 1 with 30 points.
    t.receive(PlayReport{2, 4, kTrickToByte16, 2, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 30, false, 3});
    ASSERT_EQ(t.round->lbl_currBeishu->text(), "6");
    ASSERT_EQ(t.form.lbl_currDefen[1]->text(), "30");
    ASSERT_TRUE(t.round->cardImage[1][0]->isVisible());
    t.resetRound();
    t.deal();
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "1");
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(t.form.lbl_currDefen[static_cast<size_t>(r)]->text(), "0") << r;
    EXPECT_FALSE(t.round->cardImage[1][0]->isVisible());
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(pictureOf(t.round->shanImage[static_cast<size_t>(r - 1)]), 538 + r) << r;
}

// The card faces follow the table's scale: large ones at full size for the hand and the plays
// alike, small ones everywhere on a scaled table.
TEST(RoundViewHand, CardPicturesFollowTheTableScale) {
    for (const QSize screen : {QSize(1280, 1024), QSize(800, 600)}) {
        Table t;
        t.form.sizeForScreen(screen);
        t.resetRound();
        t.holds("Ks Ad");
        const bool large = t.form.scaleX() == 1.0;
        EXPECT_EQ(pictureOf(t.handCard(t.slotOf("Ks"))), large ? 61 : 352) << screen.width();
        t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlaySingle, cards("Ad"), 0, false, 3});
        EXPECT_EQ(pictureOf(t.round->cardImage[1][0]), large ? 14 : 301) << screen.width();
    }
}

TEST(RoundViewHand, SortedHandsAreDrawnLeftToRightAndRestoreLowersEveryCard) {
    Table t;
    t.holds("3d 3c 9s Kd Kc Kh 5d");
    t.session.roundRunning = true;
    auto drawnInOrder = [&] {
        for (int s = 0; s < t.st().hands[0].count; ++s) {
            EXPECT_EQ(t.handCard(s)->property("card").toInt(), t.st().hands[0].codes[static_cast<size_t>(s)]) << s;
            if (s > 0) {
                EXPECT_GT(t.handCard(s)->x(), t.handCard(s - 1)->x()) << s;
            }
        }
    };
    t.press(3);
    ASSERT_EQ(t.st().sortMode, 2);
    drawnInOrder();
    t.press(3);
    ASSERT_EQ(t.st().sortMode, 1);
    drawnInOrder();
    t.click({0, 2});
    EXPECT_TRUE(t.round->isRaised(t.imageOf(0)));
    EXPECT_TRUE(t.round->isRaised(t.imageOf(2)));
    EXPECT_FALSE(t.round->isRaised(t.imageOf(1)));
    t.press(5);
    for (int s = 0; s < 7; ++s)
        EXPECT_FALSE(t.round->isRaised(t.imageOf(s))) << s;
}

// The pointer over a resting card lifts it 5 px, which is no raise; a click on it raises it. The
// move reaches the card as the window system delivers it, and goes on to the table behind it if
// the card does not take it.
TEST(RoundViewHand, HoverLiftsARestingCardAndAClickRaisesIt) {
    Table t;
    t.holds("3d 4c 5h");
    QLabel* first = t.handCard(0);
    const int resting = first->y();
    hover(first);
    EXPECT_EQ(first->y(), resting - 5);
    EXPECT_FALSE(t.round->isRaised(t.imageOf(0)));
    t.click({0});  // a hovered card is raised, not lowered
    EXPECT_TRUE(t.round->isRaised(t.imageOf(0)));
    EXPECT_EQ(t.st().raisedCount, 1);
    t.click({0});
    ASSERT_EQ(first->y(), resting);
    // The card just lowered is not lifted again while the pointer stays on it; the next one is.
    hover(first);
    EXPECT_EQ(first->y(), resting);
    hover(t.handCard(1));
    EXPECT_EQ(t.handCard(1)->y(), resting - 5);
    // Leaving the card puts it back, and so does the own turn beginning under a resting pointer.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(t.handCard(1), &leave);
    EXPECT_EQ(t.handCard(1)->y(), resting);
    hover(t.handCard(1));
    ASSERT_EQ(t.handCard(1)->y(), resting - 5);
    t.ownLeads();
    EXPECT_EQ(t.handCard(1)->y(), resting);
}

TEST(RoundViewHand, ClicksRaiseAndLowerAndIgnoreAPlayedCard) {
    Table t;
    t.holds("3d 4c 5h");
    QLabel* first = t.handCard(0);
    const int resting = first->y();
    t.click({0});
    EXPECT_TRUE(t.round->isRaised(t.imageOf(0)));
    EXPECT_LT(first->y(), resting - 5);
    EXPECT_FALSE(t.round->isRaised(t.imageOf(1)));
    t.click({0});
    EXPECT_EQ(first->y(), resting);
    EXPECT_EQ(t.st().raisedCount, 0);

    // The image of a card already played is not part of the hand: clicks on it do nothing.
    t.ownLeads();
    t.click({0});
    t.press(0);
    ASSERT_EQ(t.st().shown[0].count, 1);
    QLabel* played = t.round->cardImage[0][static_cast<size_t>(t.st().shown[0].images[0])];
    ASSERT_TRUE(played->isVisible());
    const QPoint before = played->pos();
    QTest::mouseClick(played, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(played->pos(), before);
    EXPECT_EQ(t.st().raisedCount, 0);
}

// The play controls drop their hover picture when the pointer leaves them.
TEST(RoundViewHand, ControlsLoseTheirHoverPictureWhenThePointerLeaves) {
    Table t;
    t.holds("3d 4c");
    PictureButton* review = t.round->Operation[4];
    const QImage normal = review->pixmap().toImage();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(review, &enter);
    ASSERT_NE(review->pixmap().toImage(), normal);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(review, &leave);
    EXPECT_EQ(review->pixmap().toImage(), normal);
}

TEST(RoundViewHand, PlayButtonsDoNothingOutOfTurnAndF1GoesAway) {
    Table t;
    t.holds("3d 4c");
    t.click({0});
    t.press(0);
    t.press(2);
    QTest::mouseClick(t.form.Pic1, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(t.sent.empty());
    QTest::keyClick(&t.form, Qt::Key_F1);
    EXPECT_TRUE(t.session.awayMode);
    EXPECT_TRUE(t.session.goneAway);
    EXPECT_TRUE(t.form.windowState() & Qt::WindowMinimized);
}

TEST(RoundViewCalling, TheOfferedButtonsShowAndRightClicksDoNotPlay) {
    struct Case {
        uint8_t offer;
        bool call, roar, pass;
    };
    const Case cases[] = {{kOfferCallOrRoar, true, true, false}, {kOfferRoarOrPass, false, true, true}};
    for (const Case& c : cases) {
        Table t;
        t.holds("9d 8c 7s 6h 5d");
        t.receive(CallingTurn{1, c.offer});
        EXPECT_EQ(t.round->img_jiao->isVisible(), c.call) << int(c.offer);
        EXPECT_EQ(t.round->img_hou->isVisible(), c.roar) << int(c.offer);
        EXPECT_EQ(t.round->img_pass->isVisible(), c.pass) << int(c.offer);
        EXPECT_TRUE(t.form.Number->isVisible());
        EXPECT_EQ(t.form.Number->text(), "10");
    }

    Table t;
    t.holds("9d 8c 7s 6h 5d");
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    // No candidate: the notice, nothing sent.
    t.press(t.round->img_jiao);
    EXPECT_TRUE(t.round->RuleNotice->isVisible());
    EXPECT_EQ(t.round->RuleNotice->pictureNumber(), 209);
    t.click({0});
    QTest::mouseClick(t.handCard(0), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(t.form.Pic1, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(t.sent.empty());
    // Only one card is raised as the call candidate.
    t.click({1});
    EXPECT_TRUE(t.round->isRaised(t.imageOf(1)));
    EXPECT_FALSE(t.round->isRaised(t.imageOf(0)));
    // The call goes: its buttons and the candidate's lift go with it.
    t.press(t.round->img_jiao);
    ASSERT_EQ(t.sent.size(), 1u);
    EXPECT_EQ(decodeCallChoice(t.sent[0]).rank, 8);
    EXPECT_FALSE(t.round->img_jiao->isVisible());
    EXPECT_FALSE(t.round->img_hou->isVisible());
    EXPECT_FALSE(t.round->isRaised(t.imageOf(1)));
}

// A card held twice asks in a dialog over the table before its call goes; the roar keeps its own.
TEST(RoundViewCalling, ACardHeldTwiceAsksInADialogBeforeTheCall) {
    Table t;
    t.holds("9c 4h 3d 3d");
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    t.click({t.slotOf("3d")});
    t.press(t.round->img_jiao);
    ConfirmDialog* question = t.round->hiddenCallConfirm;
    ASSERT_TRUE(question->isVisible());
    EXPECT_TRUE(question->question().startsWith(QStringLiteral("您手里有两张♦3，确定要暗叫吗?")));
    EXPECT_LE((question->geometry().center() - t.form.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_TRUE(question->ok->isVisible());
    EXPECT_TRUE(question->cancel->isVisible());
    EXPECT_TRUE(t.sent.empty());

    // Cancel: nothing sent, the card stays raised and the turn's buttons stay.
    t.press(question->cancel);
    EXPECT_FALSE(question->isVisible());
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(t.round->isRaised(t.imageOf(t.slotOf("3d"))));
    EXPECT_TRUE(t.round->img_jiao->isVisible());

    // Asked again and confirmed: the hidden call goes.
    t.press(t.round->img_jiao);
    ASSERT_TRUE(question->isVisible());
    t.press(question->ok);
    EXPECT_FALSE(question->isVisible());
    ASSERT_EQ(t.sent.size(), 1u);
    EXPECT_EQ(decodeCallChoice(t.sent[0]).rank, 3);
    EXPECT_EQ(decodeCallChoice(t.sent[0]).suitBit, kSuitDiamonds);
    EXPECT_FALSE(t.round->img_jiao->isVisible());

    // The roar asks with its own picture, not this question.
    Table roar;
    roar.holds("9c 4h");
    roar.receive(CallingTurn{1, kOfferCallOrRoar});
    roar.press(roar.round->img_hou);
    EXPECT_TRUE(roar.round->roarConfirm->isVisible());
    EXPECT_FALSE(roar.round->hiddenCallConfirm->isVisible());
    roar.press(roar.round->roarConfirm->ok);
    ASSERT_EQ(roar.sent.size(), 1u);
    EXPECT_EQ(decodeCallChoice(roar.sent[0]).choice, kChoiceRoar);
}

TEST(RoundViewCalling, TheCountdownClockGoesWithTheAnswer) {
    Table t;
    t.holds("Ad 5c 10s Jh 2d");
    t.receive(CallingTurn{1, kOfferCallOrRoar});
    ASSERT_TRUE(t.form.Number->isVisible());
    for (int i = 0; i < 10; ++i)
        t.apply(t.model.tickCallCountdown());
    EXPECT_EQ(t.form.Number->text(), "0");
    EXPECT_TRUE(t.form.Number->styleSheet().contains("255, 0, 0"));  // the last seconds in red
    t.apply(t.model.tickCallCountdown());
    ASSERT_EQ(t.sent.size(), 1u);
    EXPECT_FALSE(t.form.Number->isVisible());
    EXPECT_FALSE(t.form.Time_Img->isVisible());
    EXPECT_FALSE(t.round->img_jiao->isVisible());
}

TEST(RoundViewCalling, RoarReplacesTheCall) {
    Table t;
    t.receive(CallChoice{2, kChoiceCall, 14, kSuitClubs});
    EXPECT_TRUE(t.round->img_zhuang->isVisible());
    EXPECT_TRUE(t.round->img_syscallcard->isVisible());
    EXPECT_TRUE(t.round->img_lpKuang->isVisible());
    t.receive(CallChoice{4, kChoiceRoar, 0, 0});
    EXPECT_FALSE(t.round->img_zhuang->isVisible());
    EXPECT_FALSE(t.round->img_syscallcard->isVisible());
    EXPECT_TRUE(t.round->UcDiZhu->isVisible());
    EXPECT_TRUE(t.round->Speak[2]->isVisible());
    EXPECT_EQ(pictureOf(t.round->Speak[2]), 225);
}

TEST(RoundViewPlay, AnIllegalSelectionShowsTheNotice) {
    Table t;
    t.holds("Kd Qc 9s 9h 4d");
    t.ownFollows(kPlayPair, "10d 10c");
    ASSERT_TRUE(t.round->Operation[0]->isVisible());
    t.click({t.slotOf("Kd"), t.slotOf("Qc")});  // not a pair
    t.press(0);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_TRUE(t.round->RuleNotice->isVisible());
    EXPECT_EQ(t.round->RuleNotice->pictureNumber(), 210);
    // The raised cards stay raised for the player to change.
    EXPECT_TRUE(t.round->isRaised(t.imageOf(t.slotOf("Kd"))));
}

TEST(RoundViewPlay, AnAmbiguousRunWhileLeadingAsksAndSendsTheChoice) {
    for (int option = 0; option < 2; ++option) {
        Table t;
        t.holds("SJ BJ 6d 6c 5d 5c 3h");
        t.ownLeads();
        EXPECT_FALSE(t.round->Operation[2]->isVisible());  // a leader cannot pass
        t.click({0, 1, 2, 3, 4, 5});
        t.press(0);
        ASSERT_TRUE(t.round->sequenceChoice->isVisible());
        EXPECT_EQ(t.round->sequenceChoice->options(), (QStringList{"556677", "555666"}));
        EXPECT_TRUE(t.sent.empty());
        t.press(t.round->sequenceChoice->option[static_cast<size_t>(option)]);
        EXPECT_FALSE(t.round->sequenceChoice->isVisible());
        ASSERT_EQ(t.playTypes(), std::vector<int>{option == 0 ? kPlayPairRun : kPlayTripleRun});
        EXPECT_EQ(t.sent[0][19], 2);  // two wild cards
        EXPECT_EQ(t.st().hands[0].count, 1);
        // The six cards lie on the table, the last one is still in the hand.
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(t.round->cardImage[0][static_cast<size_t>(t.st().shown[0].images[static_cast<size_t>(k)])]->isVisible());
        EXPECT_TRUE(t.handCard(0)->isVisible());
    }
    // Cancel closes the dialog and changes nothing.
    Table t;
    t.holds("SJ BJ 6d 6c 5d 5c");
    t.ownLeads();
    t.click({0, 1, 2, 3, 4, 5});
    t.press(0);
    ASSERT_TRUE(t.round->sequenceChoice->isVisible());
    t.press(t.round->sequenceChoice->cancel);
    EXPECT_FALSE(t.round->sequenceChoice->isVisible());
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.st().hands[0].count, 6);
}

TEST(RoundViewPlay, AnOpponentsPlayIsDrawnLeftToRightInTheModelsOrder) {
    Table t;
    t.holds("3d");
    std::vector<CardCode> run = cards("10d 10c 8d 8c");
    run.push_back(makeCard(16, 9 << 4, 104));
    run.push_back(makeCard(17, 9 << 4, 106));
    t.receive(PlayReport{4, 8, kTrickGoesOn, 0, kPlayPairRun, run, 0, false, 3});
    ASSERT_EQ(t.st().shown[2].count, 6);
    int lastLeft = -1;
    for (int k = 0; k < 6; ++k) {
        const int image = t.st().shown[2].images[static_cast<size_t>(k)];
        QLabel* c = t.round->cardImage[2][static_cast<size_t>(image)];
        EXPECT_TRUE(c->isVisible()) << k;
        EXPECT_GT(c->x(), lastLeft) << k;
        lastLeft = c->x();
        EXPECT_EQ(c->property("card").toInt(), t.st().imageCard[2][static_cast<size_t>(image)]) << k;
    }
    // The wild cards sit between the tens and the eights.
    EXPECT_TRUE(isWild(t.round->cardImage[2][2]->property("card").toInt()));
    EXPECT_TRUE(isWild(t.round->cardImage[2][3]->property("card").toInt()));
}

TEST(RoundViewPlay, TheMultiplierStaysInsideItsBadge) {
    Table t;
    t.holds("3d");
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 0, false, 3});
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("Jd Jd Jc Jc Jh Jh Js Js", 20), 0, false, 3});
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "36");
    EXPECT_TRUE(t.round->Speak[1]->isVisible());
    EXPECT_EQ(pictureOf(t.round->Speak[1]), 230);  // 轰炸

    // However many bombs follow, the value stays inside the badge's well.
    for (int bomb = 0; bomb < 8; ++bomb) {
        t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlayBombOf12, cards("Qd Qd Qc Qc Qh Qh Qs Qs Ad Ad Ac Ac", 30), 0,
                             false, 3});
        const QLabel* label = t.round->lbl_currBeishu;
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
        EXPECT_TRUE(t.round->img_currBeishu->geometry().contains(label->geometry())) << bomb;
    }
    EXPECT_EQ(t.round->lbl_currBeishu->text(), QStringLiteral("531亿"));  // 36 x 14^8
}

TEST(RoundViewPlay, TrickTakenAndFinishing) {
    Table t;
    t.holds("3d 4d");
    t.st().hands[3].count = 2;
    t.receive(PlayReport{8, 1, kTrickGoesOn, 0, kPlayPair, cards("Kd Kc"), 20, false, 3});
    EXPECT_TRUE(t.round->finishBadge[3]->isVisible());
    EXPECT_EQ(pictureOf(t.round->finishBadge[3]), 360);
    EXPECT_FALSE(t.round->shanImage[2]->isVisible());
    EXPECT_TRUE(t.round->shanImage[2]->pixmap().isNull());
    EXPECT_TRUE(t.round->shanImage[0]->isVisible());
    EXPECT_EQ(t.round->lbl_benlunFenshu->text(), "20");
    EXPECT_TRUE(t.round->Operation[2]->isVisible());  // following: the pass button shows
    // Seat 2 takes the trick (flag 9), the own seat leads: no pass button.
    t.receive(PlayReport{2, 1, kTrickToByte16, 4, 0, {}, 25, false, 3});
    EXPECT_EQ(t.form.lbl_currDefen[2]->text(), "25");
    EXPECT_EQ(t.round->lbl_benlunFenshu->text(), "0");
    EXPECT_FALSE(t.round->cardImage[3][0]->isVisible());
    EXPECT_FALSE(t.round->Operation[2]->isVisible());
    EXPECT_TRUE(t.round->Operation[0]->isVisible());
    EXPECT_TRUE(t.round->Operation[1]->isVisible());
}

// At full size and scaled, a finishing ribbon sits by its seat and covers no panel text, back pile
// or seat bubble; a raised card never reaches under the play buttons.
TEST(RoundViewPlay, RibbonsBubblesAndButtonsKeepClearOfEachOther) {
    for (const QSize screen : {QSize(1280, 1024), QSize(800, 600)}) {
        Table t;
        t.form.sizeForScreen(screen);
        t.resetRound();
        t.holds("3d 4d 5d");
        for (int r = 1; r < 4; ++r) {
            t.st().hands[static_cast<size_t>(r)].count = 2;
            const uint8_t bit = static_cast<uint8_t>(1 << r);
            t.receive(PlayReport{bit, 1, kTrickGoesOn, 0, kPlayPair, cards("Kd Kc", 10 * r), 0, false, 3});
        }
        std::vector<QRect> taken;
        for (int r = 0; r < 4; ++r) {
            for (const QLabel* l : {t.form.Nid[r], t.form.Cash[r], t.form.Level[r], t.form.Tou[r]})
                taken.push_back(l->geometry());
            if (r > 0)
                taken.push_back(t.round->shanImage[static_cast<size_t>(r - 1)]->geometry());
            taken.push_back(t.form.units(kBubbleAt[r].x(), kBubbleAt[r].y(), 100, 42));
        }
        for (int r = 1; r < 4; ++r) {
            const QLabel* ribbon = t.round->finishBadge[static_cast<size_t>(r)];
            ASSERT_TRUE(ribbon->isVisible()) << r;
            for (const QRect& other : taken)
                EXPECT_FALSE(ribbon->geometry().intersects(other)) << "seat " << r << " at " << screen.width();
        }
        // Buttons over the hand end above a raised card's top.
        t.ownFollows(kPlaySingle, "3c");
        t.click({0});
        ASSERT_TRUE(t.round->isRaised(t.imageOf(0)));
        const QRect raised = t.handCard(0)->geometry();
        for (int i = 0; i < 3; ++i)
            EXPECT_LT(t.round->Operation[static_cast<size_t>(i)]->geometry().bottom(), raised.top()) << i;
    }
}

TEST(RoundViewPlay, HintRaisesTheProposalOnScreen) {
    Table t;
    t.holds("Jd Jc 10d 10c 9s");
    t.ownFollows(kPlaySingle, "9d");
    t.click({0});
    t.press(1);
    int raised = 0;
    for (int s = 0; s < 5; ++s)
        if (t.round->isRaised(t.imageOf(s))) {
            ++raised;
            EXPECT_EQ(cardRank(t.st().hands[0].codes[static_cast<size_t>(s)]), 10);
        }
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(t.sent.empty());
}

// 上一轮 shows exactly the previous trick and its end brings back exactly the current one; a
// finished trick leaves nothing on the felt, and each pass stays beside its seat until the seat
// plays again or the trick is over. Own seat bit 1: bits 2, 4, 8 are relative seats 1, 2, 3.
TEST(RoundViewPlay, ReviewShowsThePreviousTrickAndNothingStaleStays) {
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    t.st().roundControls = true;
    t.st().firstPlayPending = false;
    t.round->draw(view::ControlsChanged{});
    auto play = [&](uint8_t seat, uint8_t next, std::string_view shown, uint8_t flag = kTrickGoesOn, uint16_t points = 0) {
        const std::vector<CardCode> c = shown.empty() ? std::vector<CardCode>{} : cards(shown, 40);
        t.receive(PlayReport{seat, next, flag, 0, shown.empty() ? 0 : kPlaySingle, c, points, false, 3});
    };
    auto visible = [&](int r, int image) { return t.round->cardImage[static_cast<size_t>(r)][static_cast<size_t>(image)]->isVisible(); };
    auto passShown = [&](int r) { return t.round->Speak[static_cast<size_t>(r)]->isVisible(); };
    // A card on the table shows its face; one off the table holds no picture any more.
    auto facesOnlyOnTheTable = [&](const char* when) {
        SCOPED_TRACE(when);
        for (int r = 0; r < 4; ++r)
            for (int i = 0; i < kCardImagesPerSeat; ++i) {
                const QLabel* c = t.round->cardImage[static_cast<size_t>(r)][static_cast<size_t>(i)];
                EXPECT_EQ(c->pixmap().isNull(), c->isHidden()) << r << ',' << i;
            }
    };

    // Trick A: 4 by seat 1, 6 by seat 2, then three passes; seat 2 takes it.
    play(2, 4, "4d");
    play(4, 8, "6d");
    play(8, 1, "");
    EXPECT_TRUE(passShown(3));
    play(1, 2, "");
    EXPECT_TRUE(passShown(0));
    EXPECT_EQ(pictureOf(t.round->Speak[0]), 221);
    EXPECT_TRUE(passShown(3));  // still there while the trick goes on
    play(2, 4, "", kTrickToNextSeat, 10);
    for (int r = 0; r < 4; ++r)
        EXPECT_FALSE(passShown(r)) << r;
    EXPECT_FALSE(visible(1, 0));
    EXPECT_FALSE(visible(2, 0));
    facesOnlyOnTheTable("trick A taken");
    EXPECT_EQ(t.round->lbl_benlunFenshu->text(), "0");

    // Trick B: 9 by seat 2, seat 3 passes.
    play(4, 8, "9c");
    play(8, 1, "");
    ASSERT_TRUE(visible(2, 1));
    ASSERT_TRUE(passShown(3));

    t.press(4);
    EXPECT_TRUE(visible(1, 0));   // trick A's 4
    EXPECT_TRUE(visible(2, 0));   // trick A's 6
    EXPECT_FALSE(visible(2, 1));  // trick B's 9 makes way
    EXPECT_FALSE(passShown(3));
    EXPECT_FALSE(t.st().reviewEnabled);
    facesOnlyOnTheTable("trick A under review");

    // The next play ends the review: trick B comes back as it was, trick A goes.
    play(1, 2, "");
    EXPECT_FALSE(visible(1, 0));
    EXPECT_FALSE(visible(2, 0));
    EXPECT_TRUE(visible(2, 1));
    EXPECT_TRUE(passShown(3));
    EXPECT_TRUE(passShown(0));
    EXPECT_TRUE(t.st().reviewEnabled);
    facesOnlyOnTheTable("review over");

    // A seat that plays again loses its pass mark; the others keep theirs.
    play(2, 4, "Jc");
    play(4, 8, "");
    play(8, 1, "Qc");
    EXPECT_FALSE(passShown(3));
    EXPECT_TRUE(passShown(0));
    EXPECT_TRUE(passShown(2));
    EXPECT_FALSE(visible(2, 1));  // seat 2's pass took its 9 off the table
}

// 上一轮 takes the current trick's bomb bubble and bomb picture off the table with its cards.
TEST(RoundViewPlay, TheReviewHidesTheCurrentTricksBomb) {
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    t.st().roundControls = true;
    t.st().firstPlayPending = false;
    t.round->draw(view::ControlsChanged{});
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlaySingle, cards("4d", 40), 0, false, 3});
    t.receive(PlayReport{4, 2, kTrickToNextSeat, 0, 0, {}, 0, false, 3});
    t.receive(PlayReport{2, 4, kTrickGoesOn, 0, kPlayBombOf4, cards("7d 7c 7h 7s", 44), 0, false, 3});
    ASSERT_TRUE(t.round->Speak[1]->isVisible());
    ASSERT_TRUE(t.round->bombPlayer->isVisible());

    t.press(4);
    EXPECT_TRUE(t.round->cardImage[1][0]->isVisible());  // the previous trick's 4
    EXPECT_FALSE(t.round->Speak[1]->isVisible());
    EXPECT_FALSE(t.round->bombPlayer->isVisible());
}

// Out of touch with the server the play buttons stay where they were, drawn inert, and a click on
// them sends nothing; back in touch they work again.
TEST(RoundViewHand, OutOfTouchTheControlsStayInSightInert) {
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().roundControls = true;
    t.ownFollows(kPlaySingle, "5d");
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(t.round->Operation[static_cast<size_t>(i)]->isEnabled()) << i;

    t.session.loggedIn = false;
    t.apply(t.model.suspend());
    for (int i = 0; i < 6; ++i) {
        PictureButton* b = t.round->Operation[static_cast<size_t>(i)];
        EXPECT_TRUE(b->isVisible()) << i;
        EXPECT_FALSE(b->isEnabled()) << i;
    }
    QPixmap inertPass;
    ASSERT_TRUE(LoadGifResource(186, kGifResourceType, inertPass));
    EXPECT_EQ(t.round->Operation[2]->pixmap().toImage(), inertPass.toImage());  // 过, drawn inert
    t.press(2);
    t.press(0);
    EXPECT_TRUE(t.sent.empty());

    t.session.loggedIn = true;
    t.round->draw(view::ControlsChanged{});
    t.press(2);
    EXPECT_EQ(t.playTypes(), std::vector<int>{0});
}

TEST(RoundViewSettlement, FourRecordsFillTheSheetPanelsAndRoundFile) {
    Table t;
    t.session.players[0].nickname = "me";
    t.session.players[0].coins = 1000;
    t.session.players[1].nickname = "you";
    t.session.players[1].coins = 50;
    t.deal();
    for (int seat = 0; seat < 4; ++seat) {
        SettlementRecord r;
        r.seatBit = static_cast<uint8_t>(1 << seat);
        r.stake = 10;
        const uint8_t places[4] = {1, 3, 2, 4};
        r.place = places[seat];
        r.subtotalGain = r.finalGain = seat == 0 || seat == 2;
        r.subtotal = r.finalAmount = 40;
        r.callerBit = 1;
        r.partnerBit = 4;
        r.level = static_cast<uint8_t>(seat + 1);
        r.coinUnit = 0;
        r.finalPoints = seat == 0 ? 200 : 0;
        if (seat == 1)
            r.heldCards = cards("Ad 3c", 90);
        t.receive(r);
        EXPECT_EQ(t.round->score->isVisible(), seat == 3) << seat;
    }
    EXPECT_EQ(t.form.Cash[0]->text(), "1040金条");
    EXPECT_EQ(t.form.Cash[1]->text(), "10金条");
    EXPECT_EQ(t.form.Level[2]->text(), "第三级");
    EXPECT_EQ(t.form.hero->Num->item(0)->text(), "           1");
    // The ready countdown stands by the sheet.
    EXPECT_TRUE(t.form.Number->isVisible());
    EXPECT_EQ(t.form.Number->text(), "15");
    const QStringList own = t.round->score->lines(0);
    EXPECT_EQ(own.value(0), "初始：1000金币");
    EXPECT_TRUE(own.contains("朋友"));
    EXPECT_TRUE(own.contains("枯踹       :×4"));
    EXPECT_EQ(t.round->score->lines(4), (QStringList{"", "最终分: 40金币"}));
    EXPECT_EQ(t.round->score->ID[0]->text(), "me");
    // The newcomer's words carry their explanation; other lines carry none.
    const QListWidget* column = t.round->score->State[0];
    const QListWidgetItem* ku = column->item(static_cast<int>(own.indexOf("枯踹       :×4")));
    EXPECT_TRUE(ku->toolTip().startsWith(QStringLiteral("枯踹：")));
    EXPECT_TRUE(column->item(static_cast<int>(own.indexOf("朋友")))->toolTip().isEmpty());
    // The opponents' remaining cards are revealed, the piles go.
    for (int k = 0; k < 2; ++k) {
        const QLabel* c = t.round->cardImage[1][static_cast<size_t>(k)];
        EXPECT_TRUE(c->isVisible()) << k;
        EXPECT_EQ(testing::describe(static_cast<CardCode>(c->property("card").toInt())), k == 0 ? "Ad" : "3c");
    }
    EXPECT_FALSE(t.round->shanImage[0]->isVisible());
    // The round file keeps the round, and the sheet can be rebuilt from it.
    classIniFile ini((t.dir.path() + "/info.vx").toStdString());
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "me");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 ) ForeColor"), "255");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 4 )"), "2");
    const QStringList before = t.round->score->lines(1);
    t.round->score->clearLists();
    t.round->showPastRound(1);
    QStringList blanked = before;
    for (QString& l : blanked)
        if (l.isEmpty())
            l = " ";
    EXPECT_EQ(t.round->score->lines(1), blanked);
    EXPECT_EQ(t.round->score->listColour(0), kSheetRed);
}

}  // namespace
}  // namespace vexal
