// The table's sound and animated controls on the offscreen platform and SDL's dummy audio driver:
// the tune at start-up, silence when minimised, the settings window behind 设置 with its background
// swap, one sound per own play, the roar animation's size and the running countdown clock.
#include "app/mainloop.h"
#include "app/startup.h"
#include "media/anigif.h"
#include "media/gifparser.h"
#include "media/resources.h"
#include "media/sound.h"
#include "media/vosset.h"
#include "net/messages/calling.h"
#include "net/messages/play.h"
#include "platform/singleinstance.h"
#include "platform/sounddevice.h"
#include "table/mainform.h"
#include "table/pictures.h"
#include "table/clockview.h"
#include "table/round.h"
#include "table/tablesound.h"
#include "app/wiring.h"
#include "tests/media/soundfiles.h"
#include "tests/rules/cards.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <ostream>
#include <set>

// Sizes in failure messages as 300x200.
inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }

namespace vexal {
namespace {

using testing::cards;

class FixedClock : public Clock {
public:
    float secondsSinceMidnight() const override { return 1000; }
};

// The picture's logical screen, read from the resource itself.
QSize gifSize(int number) {
    const QByteArray bytes = gifResourceBytes(number);
    const GifParseResult parsed =
        parseGif({reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())});
    return parsed.ok() ? QSize(parsed.table.screenWidth, parsed.table.screenHeight) : QSize();
}

QImage shownBackground(const MainForm& form) { return form.Pic1->pixmap().toImage().convertToFormat(QImage::Format_RGB32); }

QImage backgroundPicture(int number, QSize size) {
    return tablePicture(number).scaled(size).toImage().convertToFormat(QImage::Format_RGB32);
}

// The table window as the program builds it: main loop, table sound and sound device, with the
// sound folders of a program folder beside the test's.
struct Program {
    testsound::Install install;
    QTemporaryDir dir;
    SessionState state;
    MainForm form{state};
    FixedClock clock;
    MainLoop loop{state, form, WindowBus(busFolder(dir.path())), clock};
    SingleInstance instance{dir.path()};
    Sound sound{install.bin};
    TableSound* tableSound = nullptr;
    int ended = 0;

    Program() {
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
            qputenv("SDL_AUDIODRIVER", "dummy");
        loop.endProcessHook = [this] { ++ended; };
        loop.waitHook = [](int) {};
        loop.pauseHook = [](int) {};
        tableSound = installTableSound(loop, form, state, sound);
    }

    // Start-up with a launch string that opens no connection (proxy type 3).
    bool startUp(QSize screen) {
        StartupEnvironment env{QStringLiteral("acct$pw$127.0.0.1$6000$12345Room 1$3$$0$$$0$$$0$0$"), dir.path(),
                               &screen, &sound};
        return vexal::startUp(loop, form, state, instance, env);
    }
    const SoundDevice& device() const { return sound.device(); }
};

TEST(TableSound, StartUpPlaysTheTuneLoopedAndMinimisingSilencesIt) {
    Program p;
    ASSERT_TRUE(p.startUp(QSize(1280, 1024)));
    EXPECT_EQ(p.ended, 0);
    EXPECT_EQ(p.device().effectFile(), p.sound.musicPath());
    EXPECT_TRUE(p.device().effectLooped());
    EXPECT_TRUE(p.device().effectPlaying());
    EXPECT_EQ(p.device().effectVolume(), 128);

    p.form.showMinimized();
    EXPECT_FALSE(p.device().effectPlaying());
    // The tune shares the effect buffer and does not come back by itself.
    p.form.showNormal();
    EXPECT_FALSE(p.device().effectPlaying());
    EXPECT_EQ(p.device().effectStarts(), 1);
}

TEST(TableSound, StartUpWithTheMusicOffOpensTheDeviceQuietly) {
    Program p;
    p.sound.setMusicOn(false);
    ASSERT_TRUE(p.startUp(QSize(1280, 1024)));
    EXPECT_TRUE(p.device().isOpen());
    EXPECT_FALSE(p.device().effectPlaying());
    EXPECT_EQ(p.device().effectStarts(), 0);
}

TEST(TableSound, SettingsButtonTogglesTheSoundSettingsInTheLowerRightCorner) {
    Program p;
    ASSERT_TRUE(p.startUp(QSize(1280, 1024)));
    PictureButton* button = p.form.AnNiu[kSettings];
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(p.tableSound->settingsBuilt());
    VosSet* w = p.tableSound->settings();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("音效设置"));
    EXPECT_EQ(w->parentWidget(), &p.form);
    // Right edge on the background's right edge; its bottom at least 1700 twips above the
    // background's bottom, and higher still where the own clock and hand would be under it.
    const QPoint corner = p.form.Pic1->mapToGlobal(QPoint(p.form.Pic1->width(), p.form.Pic1->height()));
    EXPECT_EQ(w->frameGeometry().right() + 1, corner.x());
    EXPECT_LE(w->frameGeometry().bottom() + 1, corner.y() - 113);
    const QRect ownTurn = p.form.ownTurnArea();
    EXPECT_FALSE(w->frameGeometry().intersects(QRect(p.form.Pic1->mapToGlobal(ownTurn.topLeft()), ownTurn.size())));
    EXPECT_TRUE(w->checkPicture(VosSet::TableBackground)->isVisibleTo(w));

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(w->isVisible());

    // Minimising the table (F1, 隐藏, away mode all do) takes the window along.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(w->isVisible());
    p.form.showMinimized();
    EXPECT_FALSE(w->isVisible());
}

TEST(TableSound, BackgroundOptionSwapsTheTablePictureAndCancelSwapsItBack) {
    Program p;
    ASSERT_TRUE(p.startUp(QSize(1280, 1024)));
    ASSERT_TRUE(p.form.largeTable());
    const QSize size = p.form.Pic1->size();
    const QImage felt = backgroundPicture(picture::kTableBackground, size);
    const QImage other = backgroundPicture(picture::kTableBackgroundAlt, size);
    ASSERT_NE(felt, other);
    EXPECT_EQ(shownBackground(p.form), felt);

    QTest::mouseClick(p.form.AnNiu[kSettings], Qt::LeftButton, {}, QPoint(5, 5));
    VosSet* w = p.tableSound->settings();
    QTest::mouseClick(w->checkPicture(VosSet::TableBackground), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(p.tableSound->backgroundPicture(), picture::kTableBackgroundAlt);
    EXPECT_EQ(shownBackground(p.form), other);
    EXPECT_EQ(p.form.Pic1->size(), size);

    QTest::mouseClick(w->cancelButton(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(p.tableSound->backgroundPicture(), picture::kTableBackground);
    EXPECT_EQ(shownBackground(p.form), felt);

    // OK keeps the swap.
    QTest::mouseClick(p.form.AnNiu[kSettings], Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(w->checkPicture(VosSet::TableBackground), Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseClick(w->okButton(), Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(shownBackground(p.form), other);
}

TEST(TableSound, ScaledDownTableOffersNoBackgroundSwap) {
    Program p;
    ASSERT_TRUE(p.startUp(QSize(800, 600)));
    ASSERT_FALSE(p.form.largeTable());
    const QImage before = shownBackground(p.form);
    QTest::mouseClick(p.form.AnNiu[kSettings], Qt::LeftButton, {}, QPoint(5, 5));
    VosSet* w = p.tableSound->settings();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->checkPicture(VosSet::TableBackground)->isVisibleTo(w));
    w->toggleOption(VosSet::TableBackground);
    EXPECT_EQ(p.tableSound->backgroundPicture(), picture::kTableBackground);
    EXPECT_EQ(shownBackground(p.form), before);
}

// The round's widgets for own seat bit 1 with a real sound device; frames sent are recorded.
struct Round {
    testsound::Install install;
    SessionState session;
    MainForm form{session};
    Sound sound{install.bin};
    std::vector<CommandFrame> sent;
    RoundModel model{session};
    ClockView clock{form};
    std::unique_ptr<RoundView> round;

    Round() {
        if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
            qputenv("SDL_AUDIODRIVER", "dummy");
        EXPECT_TRUE(sound.OpenSound());
        session.own.seatBit = 1;
        session.loggedIn = true;
        session.turnTimeLimit = 15;
        form.sizeForScreen(QSize(1280, 1024));
        round = std::make_unique<RoundView>(model, form, clock, &sound);
        round->wait = [](int) {};
        round->onIntent = [this](const RoundIntent& i) { apply(model.act(i)); };
        form.show();
    }
    void apply(const Effects& fx) {
        sent.insert(sent.end(), fx.frames.begin(), fx.frames.end());
        round->draw(fx.view);
    }
    void receive(const RoundMessage& m) { apply(model.receive(m)); }
    void press(int control) { apply(model.act(intent::PressControl{control})); }
    RoundState& st() { return model.state(); }
    void holds(std::string_view text) {
        st().hands[0] = testing::hand(text);
        for (int r = 1; r < 4; ++r) st().hands[static_cast<size_t>(r)].count = 27;
        round->draw(view::HandChanged{});
    }
    void raise(int slot) {
        QLabel* image = round->cardImage[0][st().hands[0].images[static_cast<size_t>(slot)]];
        QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    }
    int starts() const { return sound.device().effectStarts(); }
    std::string effect() const { return sound.device().effectFile(); }
};

TEST(TableSound, AnOwnPlaySoundsOnceAndAPassOnce) {
    Round t;
    t.holds("9d 8c 7s");
    t.receive(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3});
    t.raise(0);
    const int before = t.starts();

    // The play is sent without a sound; the server's echo sounds it.
    t.press(0);
    ASSERT_EQ(t.sent.size(), 1u);
    EXPECT_EQ(t.starts(), before);
    t.receive(PlayReport{1, 2, kTrickGoesOn, 0, kPlaySingle, cards("9d", 0), 0, false, 3});
    EXPECT_EQ(t.starts(), before + 1);
    EXPECT_EQ(t.effect(), t.sound.commonPath(soundEffectFile(SoundEffect::PlayShown)));

    // An opponent's play sounds once too, and the own pass sounds once: its echo carries no cards.
    t.receive(PlayReport{2, 1, kTrickGoesOn, 0, kPlaySingle, cards("Kh", 70), 0, false, 3});
    EXPECT_EQ(t.starts(), before + 2);
    t.press(2);
    ASSERT_EQ(t.sent.size(), 2u);
    EXPECT_EQ(t.starts(), before + 3);
    EXPECT_EQ(t.effect(), t.sound.commonPath(soundEffectFile(SoundEffect::OwnPlaySent)));
    t.receive(PlayReport{1, 2, kTrickGoesOn, 0, 0, {}, 0, false, 3});
    EXPECT_EQ(t.starts(), before + 3);
}

TEST(TableSound, EveryRoarAndBombAnimationShowsAtItsPicturesSize) {
    Round t;
    const QSize roar = gifSize(picture::kRoar);
    const QSize bomb = gifSize(picture::kBomb);
    ASSERT_TRUE(roar.isValid());
    ASSERT_TRUE(bomb.isValid());
    ASSERT_NE(roar, bomb);
    const QPoint centre = t.form.units(512, 370, 0, 0).topLeft();

    // The first roar after start-up, before any bomb has sized the animation player.
    t.receive(CallChoice{2, kChoiceRoar, 0, 0});
    ucAniGIF* player = t.round->bombPlayer;
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->size(), roar);
    EXPECT_EQ(player->presentedImage().size(), roar);
    EXPECT_LE((player->geometry().center() - centre).manhattanLength(), 2);

    // A bomb after it, and a roar after the bomb, each at its own size.
    t.holds("3d");
    t.receive(PlayReport{4, 8, kTrickGoesOn, 0, 15, cards("9d 9d 9c 9c 9h 9h 9s 9s", 80), 0, false, 3});
    EXPECT_EQ(player->size(), bomb);
    EXPECT_EQ(player->presentedImage().size(), bomb);
    t.receive(CallChoice{8, kChoiceRoar, 0, 0});
    EXPECT_EQ(player->size(), roar);
    EXPECT_EQ(player->presentedImage().size(), roar);
}

TEST(TableSound, TheRoarAnimationOutlastsTheOpeningOfPlay) {
    Round t;
    t.holds("3d 4c");
    t.receive(CallChoice{2, kChoiceRoar, 0, 0});
    ucAniGIF* player = t.round->bombPlayer;
    ASSERT_TRUE(player->isVisible());
    // The server opens play at once with a card-less report that ends the calling "trick".
    t.receive(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3});
    EXPECT_TRUE(player->isVisible());
    EXPECT_EQ(player->runState(), 1);
}

TEST(TableSound, TheCountdownClockAnimatesOnItsOwnTimer) {
    Round t;
    ucAniGIF* clock = t.form.Time_Img;
    ASSERT_GT(clock->FrameCount(), 1);
    EXPECT_EQ(clock->runState(), 1);
    // The own seat leads: the clock goes up beside it.
    t.receive(PlayReport{8, 1, kTrickToNextSeat, 0, 0, {}, 0, false, 3});
    EXPECT_TRUE(clock->isVisible());
    EXPECT_EQ(clock->presentedImage().size(), clock->size());

    std::set<int> seen;
    const int frames = clock->FrameCount();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            seen.insert(clock->currentFrame());
            return static_cast<int>(seen.size()) == frames;
        },
        10000))
        << "frames seen: " << seen.size() << " of " << frames;
}

}  // namespace
}  // namespace vexal
