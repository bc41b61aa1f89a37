// The chat on the real table window: keys in the chat box, clicks on the portraits and the phrase
// list, chat frames through the real dispatcher, the bubbles and the voices on the dummy device.
#include "app/wiring.h"
#include "media/sound.h"
#include "net/messages/chat.h"
#include "platform/sounddevice.h"
#include "table/chatview.h"
#include "tests/app/table_fixture.h"
#include "tests/media/soundfiles.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace vexal;
using namespace vexal::apptest;

namespace {

// Own seat 2: seats 2, 3, 0, 1 are relative seats 0..3, named 昵称me, 昵称next, 昵称opp, 昵称last;
// the fixture's players are women (sex byte 0).
class ChatWindowTest : public TableWindowTest {
protected:
    void SetUp() override {
        TableWindowTest::SetUp();
        ASSERT_TRUE(sound.OpenSound());
        for (int r = 0; r < 4; ++r)
            install.write("pk/" + quickPhraseVoiceFile(r, 0, 2, 10), 400 + 40 * r);
        QFile ini(QString::fromStdString(install.bin) + QStringLiteral("/chat.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        QByteArray text = "[Phrase1]\r\nnum=1\r\n1=hello\r\n[Phrase2]\r\nnum=10\r\n";
        for (int i = 1; i <= 10; ++i)
            text += QByteArray::number(i) + "=phrase " + QByteArray::number(i) + "\r\n";
        ini.write(text);
        ini.close();
        chat = installChat(*loop, form, &sound, install.bin);
        form.sizeForScreen(QSize(1280, 1024));
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        seatFour();
        CommandFrame drop{};
        while (loop->transport().sendRing.pop(drop)) {
        }
    }
    void TearDown() override {
        sound.StopEffect();
        TableWindowTest::TearDown();
    }

    // The chat frames waiting in the SendRing: (addressee byte 11, text).
    std::vector<std::pair<int, std::string>> sent() {
        std::vector<std::pair<int, std::string>> out;
        CommandFrame f{};
        while (loop->transport().sendRing.pop(f)) {
            if (f[kCommandByte] == commandByte(Command::Chat)) {
                const ChatLine line = decodeChatLine(f);
                out.emplace_back(line.addresseeBit, line.text);
            }
        }
        return out;
    }
    void typeLine(const QString& text) {
        QTest::keyClicks(form.Chat, text);
        QTest::keyClick(form.Chat, Qt::Key_Return);
    }
    CommandFrame said(int seatNumber, const std::string& text, uint8_t list = 0, uint8_t number = 0,
                      uint8_t to = 0) {
        ChatLine line;
        line.seatBit = seatBit(seatNumber);
        line.phraseList = list;
        line.phraseNumber = number;
        line.addresseeBit = to;
        line.text = text;
        return encode(line);
    }
    QStringList history() const {
        QStringList lines;
        for (int i = 0; i < chat->Talk()->Text1->count(); ++i)
            lines << chat->Talk()->Text1->item(i)->text();
        return lines;
    }

    testsound::Install install;
    Sound sound{install.bin};
    ChatView* chat = nullptr;
};

TEST_F(ChatWindowTest, EnterSendsThePublicLineOnceAndASecondWithin800MsStaysHome) {
    typeLine(QStringLiteral("hi all"));
    EXPECT_TRUE(form.Chat->text().isEmpty());
    typeLine(QStringLiteral("again"));
    EXPECT_TRUE(form.Chat->text().isEmpty());
    const auto frames = sent();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], (std::pair<int, std::string>{0, "昵称me说道： hi all"}));
    EXPECT_EQ(history(), QStringList{QStringLiteral("（发送消息太快！）")});

    // The server relays it: every line, the own included, is shown only now, the own name as "你".
    dispatch(said(2, "昵称me说道： hi all"));
    EXPECT_EQ(history().last(), QStringLiteral("你说道： hi all"));
    EXPECT_EQ(form.sysmsg(1), QStringLiteral("你说道： hi all"));
}

TEST_F(ChatWindowTest, APortraitChoosesTheAddresseeAndOneBackspaceIntoThePrefixMakesTheLinePublic) {
    QTest::mouseClick(form.Tou[2], Qt::LeftButton);
    EXPECT_EQ(form.Chat->text(), QStringLiteral("你对昵称opp说 ："));
    EXPECT_TRUE(form.Chat->hasFocus());
    QTest::keyClicks(form.Chat, QStringLiteral("psst"));
    QTest::keyClick(form.Chat, Qt::Key_Return);
    ASSERT_EQ(sent(), (std::vector<std::pair<int, std::string>>{{seatBit(0), "psst"}}));

    // A relayed private line names both sides, the own one as "你".
    dispatch(said(2, "psst", 0, 0, seatBit(0)));
    EXPECT_EQ(history().last(), QStringLiteral("你对昵称opp说道： psst"));
    dispatch(said(1, "and you", 0, 0, seatBit(2)));
    EXPECT_EQ(history().last(), QStringLiteral("昵称last对你说道： and you"));

    QTest::mouseClick(form.Tou[1], Qt::LeftButton);
    QTest::keyClicks(form.Chat, QStringLiteral("x"));
    form.Chat->setCursorPosition(3);  // inside the prefix
    QTest::keyClick(form.Chat, Qt::Key_Backspace);
    EXPECT_EQ(form.Chat->text(), QStringLiteral("x"));
    QTest::qWait(900);  // past the send gate
    QTest::keyClick(form.Chat, Qt::Key_Return);
    EXPECT_EQ(sent(), (std::vector<std::pair<int, std::string>>{{0, "昵称me说道： x"}}));
}

TEST_F(ChatWindowTest, QuickPhraseTenOfListTwoFromRelativeSeatOneShowsItsBubbleAndPlaysItsVoice) {
    dispatch(said(3, "昵称next说道： phrase 10", 2, 10));
    EXPECT_EQ(history().last(), QStringLiteral("昵称next说道： phrase 10"));
    SpeakBox* bubble = chat->bubble(1);
    ASSERT_NE(bubble, nullptr);
    EXPECT_TRUE(bubble->isVisible());
    EXPECT_EQ(bubble->labPhrase->text(), QStringLiteral("phrase 10"));
    EXPECT_FALSE(bubble->mask().isEmpty());
    EXPECT_LT(bubble->mask().boundingRect().width() * bubble->mask().boundingRect().height(),
              bubble->width() * bubble->height() + 1);
    EXPECT_FALSE(bubble->mask().contains(QPoint(0, 0)));  // the picture's corner is cut away
    EXPECT_TRUE(QTest::qWaitFor([&] { return bubble->opacity() >= 200; }, 5000));

    const SoundDevice& device = sound.device();
    EXPECT_EQ(device.voiceFile(1), sound.voiceDir() + "v2000210.wav");
    EXPECT_TRUE(device.voicePlaying(1));
    // The chat button blinks for the line of another seat.
    EXPECT_EQ(loop->scheduler().chatBlinkCount(), kChatBlinkCount);

    // A second phrase for the seat reuses its bubble and starts its fade again.
    dispatch(said(3, "昵称next说道： phrase 3", 2, 3));
    EXPECT_EQ(chat->bubble(1), bubble);
    EXPECT_EQ(bubble->labPhrase->text(), QStringLiteral("phrase 3"));
    EXPECT_LT(bubble->opacity(), 200);
}

TEST_F(ChatWindowTest, WhileTheTableIsMinimisedAPhraseShowsNoBubbleAndPlaysNoVoice) {
    dispatch(said(3, "昵称next说道： phrase 10", 2, 10));
    ASSERT_TRUE(chat->bubble(1)->isVisible());
    form.showMinimized();
    ASSERT_TRUE(pumpUntil([&] { return form.windowState() & Qt::WindowMinimized; }));
    EXPECT_FALSE(chat->bubble(1)->isVisible());
    sound.StopEffect();
    const std::string before = sound.device().voiceFile(3);

    dispatch(said(1, "昵称last说道： phrase 10", 2, 10));
    EXPECT_EQ(chat->bubble(3), nullptr);
    EXPECT_EQ(sound.device().voiceFile(3), before);
    EXPECT_EQ(history().last(), QStringLiteral("昵称last说道： phrase 10"));
}

TEST_F(ChatWindowTest, ADoubleClickOnAPhraseSendsItWithItsListAndNumberAndClosesTheList) {
    QTest::mouseClick(chat->imgword[1], Qt::LeftButton);
    QuickPhraseWindow* phrases = chat->huifu();
    ASSERT_EQ(phrases->shownList(), 2);
    QListWidget* list = phrases->lists[1];
    ASSERT_EQ(list->count(), 10);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(phrases));
    list->scrollToItem(list->item(9));
    const QPoint at = list->visualItemRect(list->item(9)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_FALSE(phrases->isVisible());
    CommandFrame f{};
    ASSERT_TRUE(loop->transport().sendRing.pop(f));
    const ChatLine line = decodeChatLine(f);
    EXPECT_EQ(line.phraseList, 2);
    EXPECT_EQ(line.phraseNumber, 10);
    EXPECT_EQ(line.byte13, 97);
    EXPECT_EQ(line.text, "昵称me说道： phrase 10");

    // The other list's button switches the shown list; its own button closes it.
    QTest::mouseClick(chat->imgword[1], Qt::LeftButton);
    QTest::mouseClick(chat->imgword[0], Qt::LeftButton);
    EXPECT_EQ(phrases->shownList(), 1);
    QTest::mouseClick(chat->imgword[0], Qt::LeftButton);
    EXPECT_EQ(phrases->shownList(), 0);
}

TEST_F(ChatWindowTest, AHistoryOverAHundredLinesIsEmptiedAtTheNextKeyAndAltCShowsIt) {
    for (int i = 0; i < 101; ++i)
        dispatch(said(3, "line " + std::to_string(i)));
    EXPECT_EQ(history().size(), 101);
    QTest::keyClick(form.Chat, Qt::Key_A);
    EXPECT_TRUE(history().isEmpty());

    QTest::keyClick(form.Chat, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(chat->Talk()->isVisible());
    EXPECT_EQ(form.Chat->text(), QStringLiteral("a"));
    QTest::mouseClick(form.AnNiu[kChatHistory], Qt::LeftButton);
    EXPECT_FALSE(chat->Talk()->isVisible());
}

TEST(BubbleRegion, RunsOfEveryRowThatDifferFromTheCornerColour) {
    QImage picture(6, 3, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixel(1, 0, qRgb(255, 255, 255));
    picture.setPixel(2, 0, qRgb(255, 255, 255));
    picture.setPixel(4, 0, qRgb(0, 0, 0));
    for (int x = 0; x < 6; ++x)
        picture.setPixel(x, 2, qRgb(10, 20, 30));
    const QRegion region = bubbleRegion(picture);
    QRegion expected;
    expected += QRect(1, 0, 2, 1);
    expected += QRect(4, 0, 1, 1);
    expected += QRect(0, 2, 6, 1);
    EXPECT_EQ(region, expected);
    EXPECT_TRUE(bubbleRegion(QImage()).isEmpty());
}

}  // namespace
