// Where the table's windows, bubbles and clocks land, read back from the widgets on the offscreen
// platform at both table sizes: the full 1040 × 796 window with its painted frame, and the table
// scaled to an 800 × 600 screen.
#include "app/wiring.h"
#include "media/sound.h"
#include "media/vosset.h"
#include "model/settlementlines.h"
#include "net/messages/calling.h"
#include "net/messages/chat.h"
#include "net/messages/deal.h"
#include "net/messages/play.h"
#include "table/chatview.h"
#include "table/round.h"
#include "table/score.h"
#include "table/tablesound.h"
#include "tests/app/table_fixture.h"
#include "tests/media/soundfiles.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <functional>

using namespace vexal;
using namespace vexal::apptest;

namespace {

QRect onScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

struct Named {
    QString name;
    QRect rect;
};

// The names of what `over` covers, one after another.
std::string covered(const QRect& over, const std::vector<Named>& things) {
    QStringList names;
    for (const Named& n : things)
        if (over.intersects(n.rect))
            names << n.name;
    return names.join(QStringLiteral(", ")).toStdString();
}

// Own seat 2 (bit 4): seats 2, 3, 0, 1 are relative seats 0..3.
class LayoutTest : public TableWindowTest, public ::testing::WithParamInterface<QSize> {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        QFile ini(QString::fromStdString(install.bin) + QStringLiteral("/chat.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Phrase1]\r\nnum=1\r\n1=快点吧，我等得花儿都谢了\r\n[Phrase2]\r\nnum=1\r\n1=hello\r\n");
        ini.close();
        round = installRound(*loop, form, state, nullptr);
        round->programDir = dir.path();
        round->wait = [](int) {};
        chat = installChat(*loop, form, nullptr, install.bin);
        tableSound = installTableSound(*loop, form, state, sound);
        form.sizeForScreen(GetParam());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        seatFour();
        Deal deal;
        deal.seatBit = 4;
        for (int i = 0; i < 27; ++i)
            deal.cards.push_back(static_cast<CardCode>(((3 + i % 11) << 8) | (1 << (i % 4)) | (i << 24)));
        dispatch(encode(deal));
        ASSERT_EQ(loop->round().state().hands[0].count, 27);
    }

    // What the own turn shows: every card of the hand (with room for a raised one), the turn's
    // buttons and the own clock with its number.
    std::vector<Named> ownTurn() const {
        std::vector<Named> out;
        const Hand& hand = loop->round().state().hands[0];
        for (int slot = 0; slot < hand.count; ++slot) {
            const QLabel* card = round->cardImage[0][static_cast<size_t>(hand.images[static_cast<size_t>(slot)])];
            EXPECT_TRUE(card->isVisible()) << slot;
            out.push_back({QStringLiteral("card %1").arg(slot), onScreen(card).adjusted(0, -card->height() / 5, 0, 0)});
        }
        for (const QWidget* b : {static_cast<const QWidget*>(round->img_jiao), static_cast<const QWidget*>(round->img_hou),
                                 static_cast<const QWidget*>(round->img_pass),
                                 static_cast<const QWidget*>(round->Operation[0]),
                                 static_cast<const QWidget*>(round->Operation[1]),
                                 static_cast<const QWidget*>(round->Operation[2])})
            if (b->isVisible())
                out.push_back({b->objectName().isEmpty() ? QString::fromUtf8(b->metaObject()->className()) : b->objectName(),
                               onScreen(b)});
        EXPECT_TRUE(form.Time_Img->isVisible());
        out.push_back({QStringLiteral("clock"), onScreen(form.Time_Img)});
        out.push_back({QStringLiteral("number"), onScreen(form.Number)});
        return out;
    }

    // Opens each window the table's buttons and keys open, checks it leaves the own turn in sight,
    // and closes it again.
    void openEveryWindowOver(const std::vector<Named>& keepFree, const char* turn) {
        const struct {
            const char* how;
            std::function<void()> open;
            std::function<QWidget*()> window;
        } openers[] = {
            {"聊天", [&] { QTest::mouseClick(form.AnNiu[kChatHistory], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); },
             [&] { return chat->Talk(); }},
            {"Alt+C", [&] { QTest::keyClick(form.Chat, Qt::Key_C, Qt::AltModifier); }, [&] { return chat->Talk(); }},
            {"常用", [&] { QTest::mouseClick(chat->imgword[0], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); },
             [&] { return chat->huifu(); }},
            {"对局", [&] { QTest::mouseClick(chat->imgword[1], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); },
             [&] { return chat->huifu(); }},
            {"历史", [&] { QTest::mouseClick(form.AnNiu[kHistory], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); },
             [&] { return static_cast<QWidget*>(form.hero); }},
            {"设置", [&] { QTest::mouseClick(form.AnNiu[kSettings], Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); },
             [&] { return static_cast<QWidget*>(tableSound->settings()); }},
        };
        for (const auto& o : openers) {
            o.open();
            QWidget* w = o.window();
            ASSERT_TRUE(w->isVisible()) << o.how;
            EXPECT_EQ(covered(w->frameGeometry(), keepFree), "")
                << o.how << " on the " << turn << " at " << GetParam().width();
            w->hide();
        }
    }

    testsound::Install install;
    Sound sound{install.bin};
    RoundView* round = nullptr;
    ChatView* chat = nullptr;
    TableSound* tableSound = nullptr;
};

TEST_P(LayoutTest, WindowsOpenedOnTheOwnTurnLeaveHandButtonsAndClockFree) {
    dispatch(encode(CallingTurn{4, kOfferCallOrRoar}));
    ASSERT_TRUE(round->img_jiao->isVisible());
    ASSERT_TRUE(round->img_hou->isVisible());
    openEveryWindowOver(ownTurn(), "calling turn");

    // The play: the first card-less report opens it and names the own seat to lead.
    dispatch(encode(PlayReport{8, 4, kTrickToNextSeat, 0, 0, {}, 0, false, 15}));
    ASSERT_TRUE(round->Operation[0]->isVisible());
    ASSERT_TRUE(round->Operation[1]->isVisible());
    openEveryWindowOver(ownTurn(), "play turn");
}

// The banker and roar markers of the own seat stand beside the hand, not on its first cards.
TEST_P(LayoutTest, OwnMarkersLeaveTheHandFree) {
    dispatch(encode(CallChoice{4, kChoiceCall, 9, 2}));
    ASSERT_TRUE(round->img_zhuang->isVisible());
    dispatch(encode(CallingTurn{4, kOfferCallOrRoar}));
    EXPECT_EQ(covered(onScreen(round->img_zhuang), ownTurn()), "") << GetParam().width();
    dispatch(encode(CallChoice{4, kChoiceRoar, 0, 0}));
    dispatch(encode(CallingTurn{4, kOfferCallOrRoar}));
    ASSERT_TRUE(round->UcDiZhu->isVisible());
    EXPECT_EQ(covered(onScreen(round->UcDiZhu), ownTurn()), "") << GetParam().width();
}

// Every seat's clock, wherever the turn is, leaves every 过 bubble and the 叫牌 panel in sight.
TEST_P(LayoutTest, NoClockCoversAPassBubbleOrTheCalledCard) {
    dispatch(encode(CallChoice{8, kChoiceCall, 9, 2}));
    ASSERT_TRUE(round->img_lpKuang->isVisible());
    const QRect called = onScreen(round->img_lpKuang);
    const uint8_t seatBits[4] = {4, 8, 1, 2};
    for (int s = 1; s < 4; ++s) {
        for (int t = 0; t < 4; ++t) {
            dispatch(encode(CallingTurn{seatBits[t], kOfferRoarOrPass}));
            dispatch(encode(CallChoice{seatBits[s], kChoicePass, 0, 0}));
            const QLabel* bubble = round->Speak[static_cast<size_t>(s)];
            ASSERT_TRUE(bubble->isVisible()) << s;
            ASSERT_TRUE(form.Time_Img->isVisible()) << t;
            for (const QWidget* clock : {static_cast<const QWidget*>(form.Time_Img), static_cast<const QWidget*>(form.Number)}) {
                EXPECT_FALSE(onScreen(clock).intersects(onScreen(bubble)))
                    << "clock of seat " << t << " over the 过 of seat " << s << " at " << GetParam().width();
                EXPECT_FALSE(onScreen(clock).intersects(called)) << "clock of seat " << t << " at " << GetParam().width();
            }
        }
    }
}

// A quick phrase's bubble beside each seat covers no coin label, no 本轮分, no portrait, name or
// level, and nothing of the own turn.
TEST_P(LayoutTest, SpeechBubblesLeaveCoinsTablePointsAndTheOwnTurnFree) {
    dispatch(encode(CallingTurn{4, kOfferCallOrRoar}));
    ASSERT_TRUE(round->lbl_benlunFenshu->isVisible());
    std::vector<Named> keepFree = ownTurn();
    keepFree.push_back({QStringLiteral("本轮分"), onScreen(round->img_benlunFenshu)});
    keepFree.push_back({QStringLiteral("本轮分 value"), onScreen(round->lbl_benlunFenshu)});
    for (int r = 0; r < 4; ++r) {
        keepFree.push_back({QStringLiteral("coins %1").arg(r), onScreen(form.Cash[r])});
        keepFree.push_back({QStringLiteral("name %1").arg(r), onScreen(form.Nid[r])});
        keepFree.push_back({QStringLiteral("level %1").arg(r), onScreen(form.Level[r])});
        keepFree.push_back({QStringLiteral("portrait %1").arg(r), onScreen(form.Tou[r])});
    }
    const QRect felt = onScreen(form.Pic1);
    const int seatNumbers[4] = {2, 3, 0, 1};
    for (int r = 0; r < 4; ++r) {
        ChatLine line;
        line.seatBit = seatBit(seatNumbers[r]);
        line.phraseList = 1;
        line.phraseNumber = 1;
        line.text = "快点吧，我等得花儿都谢了";
        dispatch(encode(line));
        const SpeakBox* bubble = chat->bubble(r);
        ASSERT_NE(bubble, nullptr);
        ASSERT_TRUE(bubble->isVisible()) << r;
        const QRect at = bubble->frameGeometry();
        EXPECT_TRUE(felt.contains(at)) << "bubble " << r << " at " << GetParam().width();
        EXPECT_EQ(covered(at, keepFree), "") << "bubble " << r << " at " << GetParam().width();
        // The phrase is drawn inside the bubble.
        EXPECT_TRUE(bubble->rect().contains(bubble->labPhrase->geometry().topLeft())) << r;
    }
}

// The longest sheet a round makes, with wealth doubling, bombs in every column and a long note,
// shows every line whole: no scroll bar, no line cut, the whole sheet on the table window.
TEST_P(LayoutTest, ScoreSheetShowsEveryLineWhole) {
    SettlementInput in;
    const uint8_t bits[4] = {4, 8, 1, 2};
    for (size_t r = 0; r < 4; ++r) {
        in.seatBits[r] = bits[r];
        SettlementRecord& rec = in.records[r];
        rec.seatBit = bits[r];
        rec.stake = 100000;
        rec.place = static_cast<uint8_t>(r + 1);
        rec.callerBit = 4;
        rec.partnerBit = 1;
        rec.subtotal = rec.finalAmount = 123456789;
        rec.subtotalGain = rec.finalGain = r % 2 == 0;
        rec.cardPoints = 105;
        rec.finalPoints = 200;
        rec.capped = true;
        rec.escapedBits = 2;
        in.initialCoins[r] = "1234567890金币";
        for (PlayType t : {PlayType(19), PlayType(18), PlayType(10), PlayType(17)})
            in.bombs[r].push_back(t);
    }
    in.wealthOn = true;
    in.wealthText = "12";
    in.note = "胜者按赢得金币比例分成：";
    round->draw(view::ScoreSheetShown{buildSettlementSheet(in)});
    Score* sheet = round->score;
    ASSERT_TRUE(sheet->isVisible());
    EXPECT_TRUE(form.frameGeometry().contains(sheet->frameGeometry()))
        << "sheet " << sheet->width() << "x" << sheet->height() << " at " << GetParam().width();
    int longest = 0;
    for (int j = 0; j < 8; ++j) {
        QListWidget* list = sheet->State[static_cast<size_t>(j)];
        longest = std::max(longest, list->count());
        EXPECT_FALSE(list->verticalScrollBar()->isVisible()) << j;
        EXPECT_FALSE(list->horizontalScrollBar()->isVisible()) << j;
        EXPECT_EQ(list->verticalScrollBar()->maximum(), 0) << j << " at " << GetParam().width();
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0) << j << " at " << GetParam().width();
        const QRect view = list->viewport()->rect();
        const QFontMetrics metrics(list->font());
        for (int i = 0; i < list->count(); ++i) {
            const QRect line = list->visualItemRect(list->item(i));
            EXPECT_TRUE(view.contains(line)) << "list " << j << " line " << i << " at " << GetParam().width();
            EXPECT_LE(metrics.horizontalAdvance(list->item(i)->text()), line.width())
                << list->item(i)->text().toStdString() << " at " << GetParam().width();
        }
    }
    EXPECT_GE(longest, 28);
}

// After the round the ready countdown's number, drawn larger, is whole beside its clock.
TEST_P(LayoutTest, ReadyCountdownNumberIsWhole) {
    for (const CommandFrame& f : settlement())
        dispatch(f);
    ASSERT_TRUE(round->score->isVisible());
    const QLabel* number = form.Number;
    ASSERT_TRUE(number->isVisible());
    ASSERT_EQ(number->text(), QStringLiteral("15"));
    const QSize text = QFontMetrics(number->font()).size(Qt::TextSingleLine, number->text());
    EXPECT_LE(text.width(), number->width()) << GetParam().width();
    EXPECT_LE(text.height(), number->height()) << GetParam().width();
}

// The room's name reads whole, off the top strip and its line, both as it comes and when long.
TEST_P(LayoutTest, RoomTitleStandsClearOfTheTopStrip) {
    for (const auto& [text, smaller] : {std::pair{QStringLiteral("Room 1"), false},
                                        std::pair{QStringLiteral("五十K高级场二号房间"), false},
                                        std::pair{QStringLiteral("五十K高级场二十二号房间"), true}}) {
        form.setLocationText(text, smaller);
        const QLabel* title = form.lblLocation;
        ASSERT_TRUE(title->isVisible());
        EXPECT_FALSE(title->geometry().intersects(form.imgDinglan->geometry())) << GetParam().width();
        const QFontMetrics metrics(title->font());
        EXPECT_LE(metrics.height(), title->height()) << GetParam().width();
        EXPECT_LE(metrics.horizontalAdvance(text), title->width()) << text.toStdString() << " at " << GetParam().width();
    }
}

INSTANTIATE_TEST_SUITE_P(BothSizes, LayoutTest, ::testing::Values(QSize(1280, 1024), QSize(800, 600)),
                         [](const ::testing::TestParamInfo<QSize>& info) {
                             return info.param.width() == 800 ? std::string("Scaled") : std::string("FullSize");
                         });

}  // namespace
