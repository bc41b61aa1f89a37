// The round's widgets on the offscreen platform: frames in, widgets and sent frames read back.
#include "table/round.h"

#include "../rules/cards.h"
#include "media/anigif.h"
#include "media/inifile.h"
#include "net/messages/calling.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "net/messages/settlement.h"
#include "rules/sort.h"
#include "table/mainform.h"
#include "table/score.h"
#include "table/sequencechoice.h"
#include "model/session.h"
#include "table/widgets.h"

#include <QApplication>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace vexal {
namespace {

using testing::cards;

// A table for own seat bit 1 (server seat 0); everything sent is recorded, waits return at once.
struct Table {
    SessionState session;
    MainForm form{session};
    std::vector<CommandFrame> sent;
    int countdown = 0;
    bool playArmed = false;
    int readySeconds = -1;
    int sheetsHandled = 0;
    int corruptLeaves = 0;
    std::unique_ptr<RoundTable> round;
    QTemporaryDir dir;

    Table() {
        session.own.seatBit = 1;
        session.loggedIn = true;
        session.turnTimeLimit = 15;
        RoundServices s;
        s.send = [this](CommandFrame& f) { sent.push_back(f); };
        s.countdown = [this] { return countdown; };
        s.setCountdown = [this](int v) { countdown = v; };
        s.armPlayCountdown = [this](bool on) { playArmed = on; };
        s.playCountdownArmed = [this] { return playArmed; };
        s.startReadyCountdown = [this](int v) {
            readySeconds = v;
            countdown = v;
        };
        s.restartSeatBubbleCount = [] {};
        s.minimiseLobby = [] {};
        s.scoreSheetHandled = [this] { ++sheetsHandled; };
        s.leaveOnCorruptCard = [this] { ++corruptLeaves; };
        s.wait = [](int) {};
        s.random01 = [] { return 0.0; };
        round = std::make_unique<RoundTable>(session, form, std::move(s), nullptr);
        round->programDir = dir.path();
        form.show();
    }

    RoundState& st() { return round->state(); }

    // The own hand, drawn, without a deal.
    void holds(std::string_view text) {
        st().hands[0] = testing::hand(text);
        st().hands[0].anchorX = static_cast<int16_t>(500);
        round->ShowCard();
        for (int r = 1; r < 4; ++r)
            st().hands[static_cast<size_t>(r)].count = 27;
    }

    // The server names the own seat next: leading (trick flag 1) or following a play of `last`.
    void ownLeads() { round->OnPlay(encode(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3})); }
    void ownFollows(PlayType type, std::string_view last) {
        round->OnPlay(encode(PlayReport{8, 1, kTrickGoesOn, 0, type, cards(last, 60), 0, false, 3}));
    }

    // Raises the own cards of these slots by clicking them.
    void click(std::initializer_list<int> which) {
        for (int slot : which) {
            QLabel* image = round->cardImage[0][st().hands[0].images[static_cast<size_t>(slot)]];
            QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        }
    }
    int slotOf(std::string_view card) {
        const CardCode c = cards(card)[0];
        for (int s = 0; s < st().hands[0].count; ++s) {
            const CardCode h = st().hands[0].codes[static_cast<size_t>(s)];
            if (cardRank(h) == cardRank(c) && suitBit(h) == suitBit(c))
                return s;
        }
        return -1;
    }
    std::vector<int> playTypesSent() const {
        std::vector<int> out;
        for (const CommandFrame& f : sent)
            if (f[kCommandByte] == 7)
                out.push_back(f[15] == 2 ? f[18] : 0);
        return out;
    }
};

TEST(RoundDeal, DealLaysOutASortedHandAndFullPiles) {
    Table t;
    Deal d;
    d.seatBit = 1;
    d.cards = cards("3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ");
    d.noteAlone = true;
    d.note = "本局";
    t.round->onDeal(encode(d));
    const Hand& h = t.st().hands[0];
    ASSERT_EQ(h.count, 27);
    Hand sorted = h;
    ASSERT_TRUE(SortbyBig(sorted, 27));
    EXPECT_EQ(h.codes, sorted.codes);
    for (int s = 0; s < 27; ++s) {
        QLabel* image = t.round->cardImage[0][h.images[static_cast<size_t>(s)]];
        EXPECT_TRUE(image->isVisible());
        EXPECT_EQ(image->property("card").toInt(), h.codes[static_cast<size_t>(s)]);
        if (s > 0) {
            EXPECT_GT(image->x(), t.round->cardImage[0][h.images[static_cast<size_t>(s - 1)]]->x());
        }
    }
    for (int r = 1; r < 4; ++r) {
        EXPECT_EQ(t.round->shanImage[static_cast<size_t>(r - 1)]->property("picture").toInt(), 538 + r);
        EXPECT_EQ(t.st().hands[static_cast<size_t>(r)].count, 27);
    }
    EXPECT_GT(t.round->dealSteps(), 12);  // every one of the twelve legs moved the card
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "1");
    EXPECT_TRUE(t.session.roundRunning);
    EXPECT_EQ(t.st().settlementNote, "本局");
    EXPECT_TRUE(t.round->Operation[3]->isVisible());
    EXPECT_FALSE(t.round->Operation[0]->isVisible());
}

// A short list padded with zero bytes deals only its real cards; a code that is no card is never
// drawn and takes the table out through the exit path.
TEST(RoundDeal, ZeroPaddingAndCorruptCodes) {
    {
        Table t;
        CommandFrame f = encode(Deal{1, cards("3d 4c 5h"), false, "", 0});
        for (size_t at = kDealCardsByte + 12; at < kDealCardsByte + 4 * 27; ++at)
            f[at] = 0;
        t.round->onDeal(f);
        EXPECT_EQ(t.st().hands[0].count, 3);
        for (int s = 0; s < 3; ++s)
            EXPECT_GE(cardRank(t.st().hands[0].codes[static_cast<size_t>(s)]), 3);
        EXPECT_EQ(t.corruptLeaves, 0);
    }
    const struct {
        const char* name;
        CardCode code;
    } corrupt[] = {
        {"rank 2", static_cast<CardCode>((2 << 8) | 1)},
        {"rank 1 of spades", static_cast<CardCode>((1 << 8) | 8)},
        {"rank 18", static_cast<CardCode>((18 << 8) | 4)},
    };
    for (const auto& c : corrupt) {
        Table t;
        std::vector<CardCode> dealt = cards("3d 4c");
        dealt.push_back(c.code);
        t.round->onDeal(encode(Deal{1, dealt, false, "", 0}));
        EXPECT_EQ(t.corruptLeaves, 1) << c.name;
        EXPECT_FALSE(t.round->cardImage[0][2]->isVisible()) << c.name;
    }
}

// The card faces follow the table's scale: large ones at full size for the hand and the plays
// alike, small ones everywhere on a scaled table.
TEST(RoundHand, CardPicturesFollowTheTableScale) {
    for (const QSize screen : {QSize(1280, 1024), QSize(800, 600)}) {
        Table t;
        t.form.sizeForScreen(screen);
        t.holds("Ks Ad");
        const bool large = t.form.scaleX() == 1.0;
        const int king = t.st().hands[0].images[static_cast<size_t>(t.slotOf("Ks"))];
        EXPECT_EQ(t.round->cardImage[0][static_cast<size_t>(king)]->property("picture").toInt(), large ? 61 : 352);
        t.round->OnPlay(encode(PlayReport{2, 4, kTrickGoesOn, 0, kPlaySingle, cards("Ad"), 0, false, 3}));
        EXPECT_EQ(t.round->cardImage[1][0]->property("picture").toInt(), large ? 14 : 301) << screen.width();
    }
}

TEST(RoundCalling, RightClickWhileACallIsOfferedDoesNotPlay) {
    Table t;
    t.holds("9d 8c 7s 6h 5d");
    t.round->OnCallingTurn(encode(CallingTurn{1, kOfferCallOrRoar}));
    EXPECT_TRUE(t.round->img_jiao->isVisible());
    EXPECT_TRUE(t.round->img_hou->isVisible());
    EXPECT_FALSE(t.round->img_pass->isVisible());
    t.click({0});
    QTest::mouseClick(t.round->cardImage[0][0], Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseClick(t.form.Pic1, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(t.sent.empty());
    // Only one card is raised as the call candidate.
    t.click({1});
    EXPECT_EQ(t.st().callCandidate, 1);
    EXPECT_FALSE(t.round->isRaised(t.st().hands[0].images[0]));
}

TEST(RoundCalling, CallButtonChecksTheCandidate) {
    struct Case {
        const char* hand;
        int slot;  // -1 none
        bool sends;
    };
    const Case cases[] = {{"Kd 9c", -1, false}, {"Kd 9c", 0, false}, {"Kd 9c", 1, true}, {"2d Ac", 1, true}, {"2d Ac", 0, false}};
    for (const Case& c : cases) {
        Table t;
        t.holds(c.hand);
        t.round->OnCallingTurn(encode(CallingTurn{1, kOfferCallOrRoar}));
        if (c.slot >= 0)
            t.click({c.slot});
        t.round->OnCallClick();
        ASSERT_EQ(t.sent.size(), c.sends ? 1u : 0u) << c.hand << " " << c.slot;
        if (c.sends) {
            const CallChoice sent = decodeCallChoice(t.sent[0]);
            EXPECT_EQ(sent.choice, kChoiceCall);
            EXPECT_EQ(sent.rank, cardRank(t.st().hands[0].codes[static_cast<size_t>(c.slot)]));
            EXPECT_FALSE(t.round->img_jiao->isVisible());
        } else {
            EXPECT_EQ(t.round->RuleNotice->pictureNumber(), 209);
            EXPECT_TRUE(t.round->RuleNotice->isVisible());
        }
    }
}

// Sorting and restoring move or lower the cards: the call button calls only the card that is
// still raised, never whatever now lies in the remembered slot.
TEST(RoundCalling, CallAfterSortOrRestoreNeedsARaisedCard) {
    struct Case {
        const char* name;
        int button;        // Operation index pressed after raising
        bool raiseAgain;   // raise the 9 again before calling
    };
    const Case cases[] = {{"sort", 3, false}, {"restore", 5, false}, {"sort then raise", 3, true}};
    for (const Case& c : cases) {
        Table t;
        t.session.roundRunning = true;
        t.holds("3d 3c 9s 4h");
        t.round->OnCallingTurn(encode(CallingTurn{1, kOfferCallOrRoar}));
        t.click({t.slotOf("9s")});
        QTest::mouseClick(t.round->Operation[static_cast<size_t>(c.button)], Qt::LeftButton);
        if (c.raiseAgain)
            t.click({t.slotOf("9s")});
        t.round->OnCallClick();
        if (!c.raiseAgain) {
            EXPECT_TRUE(t.sent.empty()) << c.name;
            EXPECT_EQ(t.round->RuleNotice->pictureNumber(), 209) << c.name;
            EXPECT_TRUE(t.st().callingTurn) << c.name;
            continue;
        }
        ASSERT_EQ(t.sent.size(), 1u) << c.name;
        const CallChoice sent = decodeCallChoice(t.sent[0]);
        EXPECT_EQ(sent.rank, 9) << c.name;
        EXPECT_EQ(sent.suitBit, suitBit(cards("9s")[0])) << c.name;
    }
}

TEST(RoundCalling, CountdownAnswersForThePlayer) {
    struct Case {
        uint8_t offer;
        bool away;
        int ticksBeforeAnswer;
        int answer;  // -1 none
    };
    const Case cases[] = {{kOfferCallOrRoar, false, 10, kChoiceCall},
                          {kOfferRoarOrPass, false, 10, kChoicePass},
                          {kOfferCallOrRoar, true, 1, kChoiceCall},
                          {kOfferRoarOnly, false, 10, -1}};
    for (const Case& c : cases) {
        Table t;
        t.session.awayMode = c.away;
        t.holds("Ad 5c 10s Jh 2d");
        t.round->OnCallingTurn(encode(CallingTurn{1, c.offer}));
        for (int i = 0; i < c.ticksBeforeAnswer; ++i)
            t.round->CallCountdownTick();
        // A roar-only turn runs no countdown at all.
        EXPECT_EQ(t.countdown, c.answer < 0 ? 10 : 0);
        EXPECT_TRUE(t.sent.empty());
        t.round->CallCountdownTick();
        if (c.answer < 0) {
            EXPECT_TRUE(t.sent.empty());
            continue;
        }
        ASSERT_EQ(t.sent.size(), 1u);
        const CallChoice sent = decodeCallChoice(t.sent[0]);
        EXPECT_EQ(sent.choice, c.answer);
        if (c.answer == kChoiceCall) {
            EXPECT_EQ(sent.rank, 11);  // the highest slot that may be called: J
            EXPECT_EQ(sent.suitBit, kSuitHearts);
        }
        EXPECT_FALSE(t.st().callingTurn);
        EXPECT_FALSE(t.form.Number->isVisible());
    }
}

TEST(RoundCalling, RoarReplacesTheCall) {
    Table t;
    t.round->OnCallResult(encode(CallChoice{2, kChoiceCall, 14, kSuitClubs}));
    EXPECT_TRUE(t.round->img_zhuang->isVisible());
    EXPECT_TRUE(t.round->img_syscallcard->isVisible());
    t.round->OnCallResult(encode(CallChoice{4, kChoiceRoar, 0, 0}));
    EXPECT_FALSE(t.round->img_zhuang->isVisible());
    EXPECT_FALSE(t.round->img_syscallcard->isVisible());
    EXPECT_TRUE(t.round->UcDiZhu->isVisible());
    EXPECT_EQ(t.st().roarSeat, 2);
    EXPECT_EQ(t.round->Speak[2]->property("picture").toInt(), 225);
}

TEST(RoundPlay, IllegalSelectionShowsTheNoticeAndSendsNothing) {
    Table t;
    t.holds("Kd Qc 9s 9h 4d");
    t.ownFollows(kPlayPair, "10d 10c");
    t.click({t.slotOf("Kd"), t.slotOf("Qc")});  // not a pair
    QTest::mouseClick(t.round->Operation[0], Qt::LeftButton);
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.round->RuleNotice->pictureNumber(), 210);
    EXPECT_TRUE(t.round->RuleNotice->isVisible());
    EXPECT_EQ(t.st().hands[0].count, 5);
    // A pair that does not beat 10 10 is refused the same way; one that does is played.
    t.round->lowerAll();
    t.click({t.slotOf("9s"), t.slotOf("9h")});
    t.round->JudgeChuPai();
    EXPECT_TRUE(t.sent.empty());
    t.round->lowerAll();
    t.holds("Kd Kc 9s");
    t.ownFollows(kPlayPair, "10d 10c");
    t.click({0, 1});
    t.round->JudgeChuPai();
    EXPECT_EQ(t.playTypesSent(), std::vector<int>{kPlayPair});
    EXPECT_EQ(t.st().hands[0].count, 1);
    EXPECT_EQ(t.st().lastPlay.type, kPlayPair);
}

TEST(RoundPlay, AmbiguousRunWhileLeadingAsksAndSendsTheChoice) {
    for (int option = 0; option < 2; ++option) {
        Table t;
        t.holds("SJ BJ 6d 6c 5d 5c 3h");
        t.ownLeads();
        EXPECT_FALSE(t.round->Operation[2]->isVisible());  // a leader cannot pass
        t.click({0, 1, 2, 3, 4, 5});
        t.round->JudgeChuPai();
        ASSERT_TRUE(t.round->sequenceChoice->isVisible());
        EXPECT_EQ(t.round->sequenceChoice->options(), (QStringList{"556677", "555666"}));
        EXPECT_TRUE(t.sent.empty());
        QTest::mouseClick(t.round->sequenceChoice->option[static_cast<size_t>(option)], Qt::LeftButton);
        EXPECT_FALSE(t.round->sequenceChoice->isVisible());
        ASSERT_EQ(t.playTypesSent(), std::vector<int>{option == 0 ? kPlayPairRun : kPlayTripleRun});
        EXPECT_EQ(t.sent[0][19], 2);  // two wild cards
        EXPECT_EQ(t.st().hands[0].count, 1);
    }
    // Cancel closes the dialog and changes nothing.
    Table t;
    t.holds("SJ BJ 6d 6c 5d 5c");
    t.ownLeads();
    t.click({0, 1, 2, 3, 4, 5});
    t.round->JudgeChuPai();
    QTest::mouseClick(t.round->sequenceChoice->cancel, Qt::LeftButton);
    EXPECT_FALSE(t.round->sequenceChoice->isVisible());
    EXPECT_TRUE(t.sent.empty());
    EXPECT_EQ(t.st().hands[0].count, 6);
}

TEST(RoundPlay, OpponentWildCardsAreLaidWhereTheirRanksBelong) {
    auto wild = [](int rank, int joker, int id) { return makeCard(joker, rank << 4, id); };
    struct Case {
        std::vector<CardCode> received;
        std::vector<std::string> shown;  // "W" for a joker picture
    };
    std::vector<CardCode> a = cards("8d 7d 7c 6d 6c");
    a.push_back(wild(8, 16, 104));
    std::vector<CardCode> b = cards("10d 10c 8d 8c");
    b.push_back(wild(9, 16, 104));
    b.push_back(wild(9, 17, 106));
    const Case cases[] = {{a, {"8d", "W", "7d", "7c", "6d", "6c"}}, {b, {"10d", "10c", "W", "W", "8d", "8c"}}};
    for (const Case& c : cases) {
        Table t;
        t.holds("3d");
        t.round->OnPlay(encode(PlayReport{4, 8, kTrickGoesOn, 0, kPlayPairRun, c.received, 0, false, 3}));
        std::vector<std::string> shown;
        int lastLeft = -1;
        for (size_t k = 0; k < c.received.size(); ++k) {
            QLabel* image = t.round->cardImage[2][k];
            EXPECT_TRUE(image->isVisible());
            EXPECT_GT(image->x(), lastLeft);
            lastLeft = image->x();
            const CardCode code = image->property("card").toInt();
            shown.push_back(isWild(code) ? "W" : testing::describe(code));
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(t.st().hands[2].count, 27 - static_cast<int>(c.received.size()));
        EXPECT_EQ(t.st().lastPlay.count, static_cast<int>(c.received.size()));
        EXPECT_EQ(t.st().lastPlay.type, kPlayPairRun);
    }
}

TEST(RoundPlay, TwoEightCardBombsMakeTheMultiplierThirtySix) {
    Table t;
    t.holds("3d");
    t.round->ResetRoundLabels();
    t.round->OnPlay(encode(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 0, false, 3}));
    t.round->OnPlay(encode(PlayReport{2, 4, kTrickGoesOn, 0, 15, cards("Jd Jd Jc Jc Jh Jh Js Js", 20), 0, false, 3}));
    EXPECT_EQ(t.st().multiplier, 36.0);
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "36");
    EXPECT_EQ(t.st().bombs[1], (std::vector<PlayType>{15, 15}));
    EXPECT_EQ(t.round->Speak[1]->property("picture").toInt(), 230);  // 轰炸
    EXPECT_EQ(t.st().hands[1].count, 11);

    // However many bombs follow, the value stays inside the badge's well.
    for (int bomb = 0; bomb < 8; ++bomb) {
        t.round->OnPlay(encode(PlayReport{2, 4, kTrickGoesOn, 0, kPlayBombOf12,
                                          cards("Qd Qd Qc Qc Qh Qh Qs Qs Ad Ad Ac Ac", 30), 0, false, 3}));
        const QLabel* label = t.round->lbl_currBeishu;
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        EXPECT_TRUE(t.round->img_currBeishu->geometry().contains(label->geometry())) << bomb;
    }
    EXPECT_EQ(t.round->lbl_currBeishu->text(), QStringLiteral("531亿"));  // 36 x 14^8
}

TEST(RoundPlay, TrickTakenAndFinishing) {
    Table t;
    t.holds("3d 4d");
    t.st().hands[3].count = 2;
    t.round->OnPlay(encode(PlayReport{8, 1, kTrickGoesOn, 0, kPlayPair, cards("Kd Kc"), 20, false, 3}));
    EXPECT_TRUE(t.round->finishBadge[3]->isVisible());
    EXPECT_EQ(t.round->finishBadge[3]->property("picture").toInt(), 360);
    EXPECT_FALSE(t.round->shanImage[2]->isVisible());
    EXPECT_TRUE(t.round->Operation[2]->isVisible());  // following: the pass button shows
    // Seat 2 takes the trick (flag 9), the own seat leads: no pass button.
    t.round->OnPlay(encode(PlayReport{2, 1, kTrickToByte16, 4, 0, {}, 25, false, 3}));
    EXPECT_EQ(t.st().pointsTaken[2], 25);
    EXPECT_EQ(t.form.lbl_currDefen[2]->text(), "25");
    EXPECT_FALSE(t.round->cardImage[3][0]->isVisible());
    EXPECT_FALSE(t.round->Operation[2]->isVisible());
    EXPECT_TRUE(t.round->Operation[0]->isVisible());
    EXPECT_EQ(t.st().lastPlay.type, kPlayNone);
}

// At full size and scaled, a finishing ribbon sits by its seat and covers no panel text, back pile
// or seat bubble; a raised card never reaches under the play buttons.
TEST(RoundPlay, RibbonsBubblesAndButtonsKeepClearOfEachOther) {
    for (const QSize screen : {QSize(1280, 1024), QSize(800, 600)}) {
        Table t;
        t.form.sizeForScreen(screen);
        t.round->ResetRound();  // lays the round out at this scale, as every deal does
        t.holds("3d 4d 5d");
        for (int r = 1; r < 4; ++r) {
            t.st().hands[static_cast<size_t>(r)].count = 2;
            const uint8_t bit = static_cast<uint8_t>(1 << r);
            t.round->OnPlay(encode(PlayReport{bit, 1, kTrickGoesOn, 0, kPlayPair, cards("Kd Kc", 10 * r), 0, false, 3}));
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
        const QRect raised = t.round->cardImage[0][static_cast<size_t>(t.st().hands[0].images[0])]->geometry();
        for (int i = 0; i < 3; ++i)
            EXPECT_LT(t.round->Operation[static_cast<size_t>(i)]->geometry().bottom(), raised.top()) << i;
    }
}

TEST(RoundPlay, HintRaisesTheProposalOrPasses) {
    Table t;
    t.holds("Jd Jc 10d 10c 9s");
    t.ownFollows(kPlaySingle, "9d");
    t.click({0});
    QTest::mouseClick(t.round->Operation[1], Qt::LeftButton);
    int raised = 0;
    for (int s = 0; s < 5; ++s)
        if (t.round->isRaised(t.st().hands[0].images[static_cast<size_t>(s)])) {
            ++raised;
            EXPECT_EQ(cardRank(t.st().hands[0].codes[static_cast<size_t>(s)]), 10);
        }
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(t.sent.empty());
    Table u;
    u.holds("3d 4c");
    u.ownFollows(kPlaySingle, "2d");
    QTest::mouseClick(u.round->Operation[1], Qt::LeftButton);
    EXPECT_EQ(u.playTypesSent(), std::vector<int>{0});  // a pass
}

TEST(RoundPlay, TwoTimeoutsSwitchAwayModeOn) {
    Table t;
    t.session.timeoutLimit = 2;
    t.holds("3d 4c 5h 6s Kd");
    for (int turn = 0; turn < 2; ++turn) {
        EXPECT_FALSE(t.session.awayMode);
        t.ownLeads();
        ASSERT_TRUE(t.playArmed);
        for (int i = 0; i < 4; ++i)  // 3 seconds down to 0, then the answer
            t.round->PlayCountdownTick();
        EXPECT_FALSE(t.playArmed);
    }
    EXPECT_TRUE(t.session.awayMode);
    EXPECT_TRUE(t.session.goneAway);
    EXPECT_EQ(t.session.timeoutCount, 2);
    // Each time-out led the last card of the hand.
    EXPECT_EQ(t.playTypesSent(), (std::vector<int>{kPlaySingle, kPlaySingle}));
    EXPECT_EQ(t.st().hands[0].count, 3);
    // In away mode (gone away) the next turn lasts one second.
    t.ownLeads();
    EXPECT_EQ(t.countdown, 1);
}

TEST(RoundSettlement, FourRecordsFillTheSheetCoinsAndFile) {
    Table t;
    t.session.players[0].coins = 1000;
    t.session.players[1].coins = 50;
    t.session.players[0].nickname = "me";
    t.st().initialCoins = {"1000金币", "50金币", "0金币", "0金币"};
    t.st().hands[1].count = 2;
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
            r.heldCards = cards("Ad 3c");
        t.round->OnRoundEnd(encode(r));
        EXPECT_EQ(t.round->score->isVisible(), seat == 3);
    }
    EXPECT_EQ(t.session.roundCounter, 1);
    EXPECT_EQ(t.session.players[0].coins, 1040);
    EXPECT_EQ(t.session.players[1].coins, 10);
    EXPECT_EQ(t.session.players[0].wins, 1u);
    EXPECT_EQ(t.session.players[1].losses, 1u);
    EXPECT_EQ(t.form.Cash[0]->text(), "1040金条");
    EXPECT_EQ(t.form.Level[2]->text(), "第三级");
    EXPECT_EQ(t.form.hero->Num->item(0)->text(), "           1");
    EXPECT_EQ(t.readySeconds, 15);
    EXPECT_FALSE(t.session.roundRunning);
    EXPECT_FALSE(t.session.startDisarmed);
    const QStringList own = t.round->score->lines(0);
    EXPECT_TRUE(own.contains("朋友"));
    EXPECT_TRUE(own.contains("枯踹       :×4"));
    EXPECT_EQ(t.round->score->lines(4), (QStringList{"", "最终分: 40金币"}));
    // The newcomer's words carry their explanation; other lines carry none.
    const QListWidget* column = t.round->score->State[0];
    const QListWidgetItem* ku = column->item(static_cast<int>(own.indexOf("枯踹       :×4")));
    EXPECT_TRUE(ku->toolTip().startsWith(QStringLiteral("枯踹：")));
    EXPECT_TRUE(column->item(static_cast<int>(own.indexOf("朋友")))->toolTip().isEmpty());
    // The opponents' remaining cards are revealed.
    EXPECT_EQ(t.st().hands[1].count, 2);
    // The statistics file keeps the round, and the sheet can be rebuilt from it.
    classIniFile ini((t.dir.path() + "/info.vx").toStdString());
    EXPECT_EQ(ini.GetIniKey("juNum:1", "name( 0 )"), "me");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 0 ) ForeColor"), "255");
    EXPECT_EQ(ini.GetIniKey("juNum:1", "count( 4 )"), "2");
    const QStringList before = t.round->score->lines(1);
    t.round->score->clearLists();
    t.round->ShowPastRound(1);
    QStringList blanked = before;
    for (QString& l : blanked)
        if (l.isEmpty())
            l = " ";
    EXPECT_EQ(t.round->score->lines(1), blanked);
    EXPECT_EQ(t.round->score->listColour(0), kSheetRed);
}

TEST(RoundHand, SortTwiceRestoreAndReview) {
    Table t;
    t.holds("3d 3c 9s Kd Kc Kh 5d");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    QTest::mouseClick(t.round->Operation[3], Qt::LeftButton);
    EXPECT_EQ(t.st().sortMode, 2);
    EXPECT_EQ(cardRank(t.st().hands[0].codes[0]), 13);  // three kings first by count
    QTest::mouseClick(t.round->Operation[3], Qt::LeftButton);
    Hand expected = testing::hand("3d 3c 9s Kd Kc Kh 5d");
    ASSERT_TRUE(SortbyBig(expected, expected.count));
    EXPECT_EQ(t.st().hands[0].codes, expected.codes);
    t.click({0, 2});
    EXPECT_EQ(t.st().raisedCount, 2);
    QTest::mouseClick(t.round->Operation[5], Qt::LeftButton);
    EXPECT_EQ(t.st().raisedCount, 0);
    for (int s = 0; s < 7; ++s)
        EXPECT_FALSE(t.round->isRaised(t.st().hands[0].images[static_cast<size_t>(s)]));
}

// 上一轮 shows exactly the previous trick and its end brings back exactly the current one; a
// finished trick leaves nothing on the felt, and each pass stays beside its seat until the seat
// plays again or the trick is over. Own seat bit 1: bits 2, 4, 8 are relative seats 1, 2, 3.
TEST(RoundPlay, ReviewShowsThePreviousTrickAndNothingStaleStays) {
    Table t;
    t.holds("3d 4c 9s");
    t.session.roundRunning = true;
    t.st().reviewEnabled = true;
    t.st().firstPlayPending = false;
    auto play = [&](uint8_t seat, uint8_t next, std::string_view shown, uint8_t flag = kTrickGoesOn, uint16_t points = 0) {
        const std::vector<CardCode> c = shown.empty() ? std::vector<CardCode>{} : cards(shown, 40);
        t.round->OnPlay(encode(PlayReport{seat, next, flag, 0, shown.empty() ? 0 : kPlaySingle, c, points, false, 3}));
    };
    auto visible = [&](int r, int image) { return t.round->cardImage[static_cast<size_t>(r)][static_cast<size_t>(image)]->isVisible(); };
    auto passShown = [&](int r) { return t.round->Speak[static_cast<size_t>(r)]->isVisible(); };

    // Trick A: 4 by seat 1, 6 by seat 2, then three passes; seat 2 takes it.
    play(2, 4, "4d");
    play(4, 8, "6d", kTrickGoesOn, 0);
    play(8, 1, "");
    EXPECT_TRUE(passShown(3));
    play(1, 2, "");
    EXPECT_TRUE(passShown(0));
    EXPECT_EQ(t.round->Speak[0]->property("picture").toInt(), 221);
    EXPECT_TRUE(passShown(3));  // still there while the trick goes on
    play(2, 4, "", kTrickToNextSeat, 10);
    for (int r = 0; r < 4; ++r)
        EXPECT_FALSE(passShown(r)) << r;
    EXPECT_FALSE(visible(1, 0));
    EXPECT_FALSE(visible(2, 0));
    EXPECT_EQ(t.round->lbl_benlunFenshu->text(), "0");

    // Trick B: 9 by seat 2, seat 3 passes.
    play(4, 8, "9c");
    play(8, 1, "");
    ASSERT_TRUE(visible(2, 1));
    ASSERT_TRUE(passShown(3));

    QTest::mouseClick(t.round->Operation[4], Qt::LeftButton);
    EXPECT_TRUE(visible(1, 0));   // trick A's 4
    EXPECT_TRUE(visible(2, 0));   // trick A's 6
    EXPECT_FALSE(visible(2, 1));  // trick B's 9 makes way
    EXPECT_FALSE(passShown(3));
    EXPECT_FALSE(t.st().reviewEnabled);

    // The next play ends the review: trick B comes back as it was, trick A goes.
    play(1, 2, "");
    EXPECT_FALSE(visible(1, 0));
    EXPECT_FALSE(visible(2, 0));
    EXPECT_TRUE(visible(2, 1));
    EXPECT_TRUE(passShown(3));
    EXPECT_TRUE(passShown(0));
    EXPECT_TRUE(t.st().reviewEnabled);

    // A seat that plays again loses its pass mark; the others keep theirs.
    play(2, 4, "Jc");
    play(4, 8, "");
    play(8, 1, "Qc");
    EXPECT_FALSE(passShown(3));
    EXPECT_TRUE(passShown(0));
    EXPECT_TRUE(passShown(2));
    EXPECT_FALSE(visible(2, 1));  // seat 2's pass took its 9 off the table
}

// The play controls drop their hover picture when the pointer leaves them.
TEST(RoundHand, ControlsLoseTheirHoverPictureWhenThePointerLeaves) {
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

TEST(RoundHand, PlayButtonsDoNothingOutOfTurnAndF1GoesAway) {
    Table t;
    t.holds("3d 4c");
    t.click({0});
    QTest::mouseClick(t.round->Operation[0], Qt::LeftButton);
    t.round->OperationClick(0);
    t.round->OperationClick(2);
    EXPECT_TRUE(t.sent.empty());
    QTest::keyClick(&t.form, Qt::Key_F1);
    EXPECT_TRUE(t.session.awayMode);
    EXPECT_TRUE(t.session.goneAway);
}

TEST(RoundDeal, ADealMidRoundStartsFromNothing) {
    Table t;
    t.holds("3d");
    t.round->ResetRoundLabels();
    t.round->OnPlay(encode(PlayReport{2, 4, kTrickToByte16, 2, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s"), 30, false, 3}));
    ASSERT_EQ(t.round->lbl_currBeishu->text(), "6");
    t.round->ResetRound();
    Deal d;
    d.seatBit = 1;
    d.cards = cards("3d 4d 5d 6d 7d 8d 9d 10d Jd Qd Kd Ad 2d 3c 4c 5c 6c 7c 8c 9c 10c Jc Qc Kc Ac SJ BJ");
    t.round->onDeal(encode(d));
    EXPECT_EQ(t.round->lbl_currBeishu->text(), "1");
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(t.form.lbl_currDefen[static_cast<size_t>(r)]->text(), "0");
    EXPECT_TRUE(t.st().bombs[1].empty());
    EXPECT_FALSE(t.round->cardImage[1][0]->isVisible());
    for (int r = 1; r < 4; ++r)
        EXPECT_EQ(t.round->shanImage[static_cast<size_t>(r - 1)]->property("picture").toInt(), 538 + r);
}

TEST(RoundPlay, AnOwnPlayTheServerMadeLeavesTheHand) {
    Table t;
    t.holds("3d 4c 5h");
    const CardCode four = t.st().hands[0].codes[static_cast<size_t>(t.slotOf("4c"))];
    t.round->OnPlay(encode(PlayReport{1, 2, kTrickGoesOn, 0, kPlaySingle, {four}, 0, false, 3}));
    EXPECT_EQ(t.st().hands[0].count, 2);
    EXPECT_EQ(t.slotOf("4c"), -1);
    EXPECT_EQ(t.st().shown[0].count, 1);
    // The echo of a play the client sent itself finds nothing left to take.
    t.ownLeads();
    t.click({t.slotOf("5h")});
    t.round->JudgeChuPai();
    ASSERT_EQ(t.st().hands[0].count, 1);
    const CardCode five = t.st().shown[0].count ? t.round->cardImage[0][t.st().shown[0].images[0]]->property("card").toInt() : 0;
    t.round->OnPlay(encode(PlayReport{1, 2, kTrickGoesOn, 0, kPlaySingle, {five}, 0, false, 3}));
    EXPECT_EQ(t.st().hands[0].count, 1);
}

TEST(RoundHand, HoverLiftsAndClicksRaiseOrIgnore) {
    Table t;
    t.holds("3d 4c 5h");
    QLabel* first = t.round->cardImage[0][t.st().hands[0].images[0]];
    const int resting = first->y();
    t.round->cardHover(t.st().hands[0].images[0]);
    EXPECT_EQ(first->y(), resting - 5);
    t.click({0});  // a hovered card is raised, not lowered
    EXPECT_TRUE(t.round->isRaised(t.st().hands[0].images[0]));
    EXPECT_LT(first->y(), resting - 5);
    EXPECT_EQ(t.st().raisedCount, 1);
    t.click({0});
    EXPECT_EQ(first->y(), resting);
    EXPECT_EQ(t.st().raisedCount, 0);
    // The image of a card already played is not part of the hand: clicks on it do nothing.
    t.ownLeads();
    t.click({0});
    t.round->JudgeChuPai();
    ASSERT_EQ(t.st().shown[0].count, 1);
    const int played = t.st().shown[0].images[0];
    const QPoint before = t.round->cardImage[0][static_cast<size_t>(played)]->pos();
    t.round->cardLeftClick(played);
    EXPECT_EQ(t.round->cardImage[0][static_cast<size_t>(played)]->pos(), before);
    EXPECT_EQ(t.st().raisedCount, 0);
}

}  // namespace
}  // namespace vexal
