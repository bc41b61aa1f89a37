#include "media/anigif.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <random>

#include "tests/media/gifparser_builder.h"

namespace vexal {
namespace {

using testgif::Frame;
using testgif::Gif;
using testgif::solid;

// A frame timer the test fires by hand; it records every interval it was started with.
class HandTimer : public FrameTimer {
public:
    struct State {
        HandTimer* timer = nullptr;
        std::vector<int> starts;
        bool active = false;
    };
    explicit HandTimer(std::shared_ptr<State> state) : m_state(std::move(state)) { m_state->timer = this; }
    ~HandTimer() override { m_state->timer = nullptr; }
    void start(int ms) override {
        m_state->starts.push_back(ms);
        m_state->active = true;
    }
    void stop() override { m_state->active = false; }
    bool isActive() const override { return m_state->active; }
    void tick() {
        m_state->active = false;
        fire();
    }

private:
    std::shared_ptr<State> m_state;
};

struct Fixture {
    QWidget parent;
    ucAniGIF* gif;
    std::shared_ptr<HandTimer::State> timer = std::make_shared<HandTimer::State>();

    explicit Fixture(int delayAnimation = 0) {
        gif = new ucAniGIF(&parent);
        gif->setFrameTimer(std::make_unique<HandTimer>(timer));
        gif->setDelayAnimation(delayAnimation);
    }
    bool load(const std::vector<uint8_t>& bytes) { return gif->LoadAnimatedGIF_Array(bytes); }
    void tick() {
        ASSERT_TRUE(timer->active) << "the frame timer is not running";
        timer->timer->tick();
    }
};

QByteArray bytesOf(const std::vector<uint8_t>& v) {
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

Gif frames(int count, int delayCs = 0) {
    Gif g;
    g.width = 2;
    g.height = 2;
    for (int i = 0; i < count; ++i) {
        Frame f = solid(0, 0, 2, 2, static_cast<uint8_t>(1 + i % 3));
        f.delayCs = delayCs;
        g.frames.push_back(f);
    }
    return g;
}

// Four frames that show each disposal: red ground left in place, a blue corner disposed to
// the background, a green corner (with one see-through pixel) put back to what was under it, and
// a last pixel drawn onto the result.
Gif disposalGif() {
    Gif g;
    g.width = 4;
    g.height = 4;
    Frame ground = solid(0, 0, 4, 4, 1);
    ground.disposal = 1;
    Frame corner = solid(2, 2, 2, 2, 3);
    corner.disposal = 2;
    Frame restore = solid(0, 0, 2, 2, 2);
    restore.disposal = 3;
    restore.transparent = 0;
    restore.pixels = {2, 0, 2, 2};
    Frame dot = solid(3, 0, 1, 1, 3);
    g.frames = {ground, corner, restore, dot};
    return g;
}

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kClear = 0x00000000;

TEST(AniGif, LoopCountStopsAfterTheLastWrapAndRaisesLoopsEnded) {
    Fixture fx;
    Gif g = frames(2);
    g.loops = 3;
    ASSERT_TRUE(fx.load(testgif::encode(g)));
    QSignalSpy ended(fx.gif, &ucAniGIF::LoopsEnded);
    EXPECT_EQ(fx.gif->loops(), 3);
    EXPECT_EQ(fx.gif->LoopsRemaining(), 3);

    // Frames 1 2 | 1 2 | 1 2 | stop: five steps play, the sixth is the third wrap.
    const int remainingAfterStep[] = {3, 2, 2, 1, 1};
    for (int step = 0; step < 5; ++step) {
        fx.tick();
        EXPECT_EQ(fx.gif->LoopsRemaining(), remainingAfterStep[step]) << step;
        EXPECT_EQ(ended.count(), 0);
    }
    fx.tick();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(fx.timer->active);
    EXPECT_EQ(fx.gif->runState(), 0);
    EXPECT_EQ(fx.gif->currentFrame(), 0);
    EXPECT_EQ(fx.gif->FrameCount(), 0);
    EXPECT_EQ(fx.gif->LoopsRemaining(), -1);

    // Loop count 0 plays for ever.
    Fixture endless;
    ASSERT_TRUE(endless.load(testgif::encode(frames(2))));
    QSignalSpy never(endless.gif, &ucAniGIF::LoopsEnded);
    for (int step = 0; step < 20; ++step) endless.tick();
    EXPECT_EQ(never.count(), 0);
    EXPECT_EQ(endless.gif->LoopsRemaining(), 0);
}

TEST(AniGif, FrameStaysItsDelayButNeverLessThanMinFrameDelay) {
    Gif g = frames(3);
    g.frames[0].delayCs = 0;
    g.frames[1].delayCs = 3;
    g.frames[2].delayCs = 20;
    struct Case {
        int minFrameDelay;
        std::vector<int> expected;  // intervals for frames 1, 2, 3, 1
    };
    for (const Case& c :
         {Case{50, {50, 50, 200, 50}}, Case{10, {10, 30, 200, 10}}, Case{500, {500, 500, 500, 500}}}) {
        Fixture fx;
        fx.gif->setMinFrameDelay(c.minFrameDelay);
        ASSERT_TRUE(fx.load(testgif::encode(g)));
        for (int i = 0; i < 3; ++i) fx.tick();
        EXPECT_EQ(fx.timer->starts, c.expected) << c.minFrameDelay;
    }
}

TEST(AniGif, MinFrameDelayIsClamped) {
    ucAniGIF gif;
    EXPECT_EQ(gif.MinFrameDelay(), 50);
    const std::pair<int, int> cases[] = {{5, 10},        {-3, 10},       {10, 10},       {50, 50},
                                         {32700, 32700}, {32701, 32700}, {100000, 32700}};
    for (const auto& [set, stored] : cases) {
        gif.setMinFrameDelay(set);
        EXPECT_EQ(gif.MinFrameDelay(), stored) << set;
    }
}

TEST(AniGif, SingleFrameIsShownAndNeverStartsTheTimer) {
    Fixture fx;
    ASSERT_TRUE(fx.load(testgif::encode(frames(1))));
    QSignalSpy over(fx.gif, &ucAniGIF::reportOver);
    EXPECT_EQ(fx.gif->FrameCount(), 1);
    EXPECT_EQ(fx.gif->currentFrame(), 1);
    EXPECT_EQ(fx.gif->shownCanvas().pixel(0, 0), kRed);
    fx.gif->setAction(1);
    fx.gif->setAction(4);
    EXPECT_TRUE(fx.timer->starts.empty());
    EXPECT_EQ(fx.gif->runState(), 0);
}

TEST(AniGif, SignatureDecidesWhetherAnythingLoads) {
    const auto good = testgif::encode(frames(2));
    struct Case {
        const char* signature;
        bool loads;
    };
    for (const Case& c : {Case{"GIF89a", true}, Case{"gif89a", true}, Case{"GIF87a", true},
                          Case{"GIF89b", false}, Case{"JFIF89", false}}) {
        Fixture fx;
        ASSERT_TRUE(fx.load(good));  // a picture is showing before the new load
        auto bytes = good;
        std::copy_n(c.signature, 6, bytes.begin());
        EXPECT_EQ(fx.load(bytes), c.loads) << c.signature;
        EXPECT_EQ(fx.gif->FrameCount(), c.loads ? 2 : 0) << c.signature;
        EXPECT_EQ(fx.gif->shownCanvas().isNull(), !c.loads) << c.signature;
    }
}

TEST(AniGif, DisposalLeavesClearsAndRestores) {
    Fixture fx;
    ASSERT_TRUE(fx.load(testgif::encode(disposalGif())));
    QSignalSpy over(fx.gif, &ucAniGIF::reportOver);
    struct Pixel {
        int x, y;
        QRgb colour;
    };
    const std::vector<std::vector<Pixel>> expected = {
        {{0, 0, kRed}, {3, 3, kRed}},
        {{0, 0, kRed}, {2, 2, kBlue}, {3, 3, kBlue}, {1, 2, kRed}},
        // The blue corner went back to the background; the green corner's see-through pixel
        // shows the red under it.
        {{0, 0, kGreen}, {1, 0, kRed}, {1, 1, kGreen}, {2, 2, kClear}, {3, 3, kClear}, {3, 0, kRed}},
        // The green corner is gone again: what was under it came back.
        {{0, 0, kRed}, {1, 1, kRed}, {3, 0, kBlue}, {3, 3, kClear}},
    };
    for (size_t frame = 0; frame < expected.size(); ++frame) {
        if (frame > 0)
            fx.tick();
        ASSERT_EQ(fx.gif->currentFrame(), static_cast<int>(frame) + 1);
        const QImage shown = fx.gif->shownCanvas();
        for (const Pixel& p : expected[frame]) {
            EXPECT_EQ(shown.pixel(p.x, p.y), p.colour)
                << "frame " << frame + 1 << " at " << p.x << "," << p.y;
        }
    }
    ASSERT_EQ(over.count(), 1);
    EXPECT_EQ(over.at(0).at(0).toInt(), 4);

    // Mirroring flips what is presented, not the composite.
    fx.gif->setStretch(0);
    const std::pair<int, QPoint> mirrors[] = {{1, {0, 0}}, {2, {3, 3}}, {3, {0, 3}}};
    for (const auto& [mode, blueAt] : mirrors) {
        fx.gif->setMirrored(mode);
        EXPECT_EQ(fx.gif->presentedImage().pixel(blueAt), kBlue) << mode;
    }
    EXPECT_EQ(fx.gif->shownCanvas().pixel(3, 0), kBlue);
}

TEST(AniGif, StretchModesSizeTheControlAndThePicture) {
    Gif g = frames(2);
    g.width = 20;
    g.height = 20;
    for (auto& f : g.frames) f = solid(0, 0, 20, 20, 1);
    struct Case {
        int stretch;
        QSize control;
        QSize afterLoad;
        QSize picture;
    };
    const Case cases[] = {
        {0, {100, 50}, {100, 50}, {20, 20}},  {1, {100, 50}, {50, 50}, {50, 50}},
        {2, {100, 50}, {100, 50}, {100, 50}}, {3, {100, 50}, {20, 20}, {20, 20}},
        {3, {10, 40}, {10, 10}, {10, 10}},    {4, {100, 50}, {20, 20}, {20, 20}},
    };
    for (const Case& c : cases) {
        Fixture fx;
        fx.gif->resize(c.control);
        fx.gif->setStretch(c.stretch);
        ASSERT_TRUE(fx.load(testgif::encode(g)));
        EXPECT_EQ(fx.gif->size(), c.afterLoad) << c.stretch;
        EXPECT_EQ(fx.gif->presentedImage().size(), c.picture) << c.stretch;
        EXPECT_EQ(fx.gif->ActualWidth(), 20);
    }
}

// Two frames filling a w x h screen.
Gif sized(int w, int h) {
    Gif g = frames(2);
    g.width = w;
    g.height = h;
    for (auto& f : g.frames) f = solid(0, 0, w, h, 1);
    return g;
}

TEST(AniGif, AControlNobodySizedShowsEachPictureAtItsOwnSize) {
    Fixture fx;
    // The toolkit's default child geometry is no size of the host's: the first picture must not
    // be scaled into it.
    ASSERT_TRUE(fx.load(testgif::encode(sized(30, 20))));
    EXPECT_EQ(fx.gif->size(), QSize(30, 20));
    EXPECT_EQ(fx.gif->presentedImage().size(), QSize(30, 20));
    // Nor into the size the previous picture gave the control.
    ASSERT_TRUE(fx.load(testgif::encode(sized(12, 40))));
    EXPECT_EQ(fx.gif->size(), QSize(12, 40));
    EXPECT_EQ(fx.gif->presentedImage().size(), QSize(12, 40));
    EXPECT_EQ(fx.gif->sizeHint(), QSize(12, 40));

    // A size the host sets frames every later picture, as the stretch mode says.
    fx.gif->resize(60, 60);
    ASSERT_TRUE(fx.load(testgif::encode(sized(30, 20))));
    EXPECT_EQ(fx.gif->size(), QSize(60, 40));
    EXPECT_EQ(fx.gif->presentedImage().size(), QSize(60, 40));
    ASSERT_TRUE(fx.load(testgif::encode(sized(30, 10))));
    EXPECT_EQ(fx.gif->size(), QSize(60, 20));

    // adjustSize() after a load shows the picture unscaled, whatever the control held before.
    fx.gif->adjustSize();
    EXPECT_EQ(fx.gif->size(), QSize(30, 10));
    EXPECT_EQ(fx.gif->presentedImage().size(), QSize(30, 10));
}

TEST(AniGif, ActionsPauseStepRewindAndStop) {
    Fixture fx;
    ASSERT_TRUE(fx.load(testgif::encode(frames(3))));
    EXPECT_EQ(fx.gif->runState(), 1);
    fx.tick();
    EXPECT_EQ(fx.gif->currentFrame(), 2);

    fx.gif->setAction(2);
    EXPECT_EQ(fx.gif->runState(), 2);
    EXPECT_FALSE(fx.timer->active);

    fx.gif->setAction(3);
    EXPECT_EQ(fx.gif->currentFrame(), 3);
    fx.gif->setAction(3);
    EXPECT_EQ(fx.gif->currentFrame(), 1);
    EXPECT_FALSE(fx.timer->active);

    fx.gif->setAction(1);
    EXPECT_EQ(fx.gif->runState(), 1);
    fx.tick();
    EXPECT_EQ(fx.gif->currentFrame(), 2);

    fx.gif->setAction(4);
    EXPECT_EQ(fx.gif->currentFrame(), 1);
    EXPECT_TRUE(fx.timer->active);

    fx.gif->setAction(0);
    EXPECT_EQ(fx.gif->FrameCount(), 0);
    EXPECT_EQ(fx.gif->LoopsRemaining(), -1);
    EXPECT_FALSE(fx.timer->active);
    // Playing again after a stop starts from frame 1.
    fx.gif->setAction(1);
    fx.tick();
    EXPECT_EQ(fx.gif->currentFrame(), 1);
    EXPECT_EQ(fx.gif->FrameCount(), 3);
}

TEST(AniGif, DelayAnimationFlags) {
    {
        Fixture fx(1);  // decode the other frames on a tick 20 ms on, then play
        Gif g = frames(2, 30);
        ASSERT_TRUE(fx.load(testgif::encode(g)));
        EXPECT_EQ(fx.timer->starts, std::vector<int>{20});
        fx.tick();
        EXPECT_EQ(fx.gif->currentFrame(), 1);
        EXPECT_EQ(fx.timer->starts, (std::vector<int>{20, 300}));
        fx.tick();
        EXPECT_EQ(fx.gif->currentFrame(), 2);
    }
    {
        Fixture fx(2);  // decode everything, do not play
        ASSERT_TRUE(fx.load(testgif::encode(frames(2))));
        EXPECT_TRUE(fx.timer->starts.empty());
        EXPECT_EQ(fx.gif->runState(), 0);
        EXPECT_EQ(fx.gif->currentFrame(), 1);
    }
    {
        Fixture fx(1);  // a frame that cannot be decoded, found on the decoding tick, unloads
        auto bytes = testgif::encode(disposalGif());
        const auto table = parseGif(bytes).table;
        bytes[table.frames[2].imageDataOffset] = 0x0F;  // LZW code size no decoder accepts
        ASSERT_TRUE(fx.load(bytes));
        fx.tick();
        EXPECT_EQ(fx.gif->FrameCount(), 0);
        EXPECT_TRUE(fx.gif->AnimatedGIF().isEmpty());
    }
}

TEST(AniGif, TruncatedAndCorruptedFilesFailTheLoadWithoutHarm) {
    const auto full = testgif::encode(disposalGif());
    for (size_t n = 0; n < full.size(); ++n) {
        Fixture fx;
        EXPECT_FALSE(fx.load(std::vector<uint8_t>(full.begin(), full.begin() + n))) << n;
        EXPECT_EQ(fx.gif->FrameCount(), 0);
    }
    Fixture endOfFile;
    endOfFile.load(std::vector<uint8_t>(full.begin(), full.end() - 1));
    ASSERT_TRUE(endOfFile.gif->lastReadError().has_value());
    EXPECT_EQ(endOfFile.gif->lastReadError()->number, 53);

    std::mt19937 random(8);
    for (int round = 0; round < 400; ++round) {
        auto bytes = full;
        const int flips = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        Fixture fx(static_cast<int>(round % 2));
        if (!fx.load(bytes)) {
            EXPECT_EQ(fx.gif->FrameCount(), 0);
            continue;
        }
        for (int step = 0; step < 6 && fx.timer->active; ++step) fx.tick();
        fx.gif->setAction(3);
        fx.gif->setMirrored(3);
        fx.gif->presentedImage();
    }
}

TEST(AniGif, RemoteLoadReadsLocalFilesOnly) {
    QTemporaryDir dir;
    const QString path = dir.filePath("clock.gif");
    Gif g = frames(2);
    g.width = 7;
    g.height = 5;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytesOf(testgif::encode(g)));
    }
    const QString shortPath = dir.filePath("short.gif");
    {
        QFile f(shortPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("GIF89a\x07\x00");
    }
    struct Case {
        QString address;
        bool cancel;
        bool completes;
        int frames;
    };
    const Case cases[] = {
        {path, false, true, 2},
        {QUrl::fromLocalFile(path).toString(), false, true, 2},
        {path, true, true, 0},
        {shortPath, false, false, 0},
        {dir.filePath("missing.gif"), false, false, 0},
        {"http://127.0.0.1:9/clock.gif", false, false, 0},
    };
    for (const Case& c : cases) {
        Fixture fx;
        QSignalSpy failed(fx.gif, &ucAniGIF::RemoteLoadFailure);
        int width = 0, height = 0;
        QObject::connect(fx.gif, &ucAniGIF::RemoteLoadComplete, [&](int w, int h, bool* cancel) {
            width = w;
            height = h;
            *cancel = c.cancel;
        });
        fx.gif->LoadAnimatedGIF_Remote(c.address);
        EXPECT_EQ(fx.gif->FrameCount(), 0) << "loading waits for the event loop";
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(failed.count(), c.completes ? 0 : 1) << c.address.toStdString();
        EXPECT_EQ(width, c.completes ? 7 : 0) << c.address.toStdString();
        EXPECT_EQ(height, c.completes ? 5 : 0);
        EXPECT_EQ(fx.gif->FrameCount(), c.frames) << c.address.toStdString();
    }
}

TEST(AniGif, MouseEventsAndClickRespectEnabled) {
    Fixture fx;
    ASSERT_TRUE(fx.load(testgif::encode(frames(2))));
    fx.gif->resize(20, 20);
    fx.parent.show();
    QSignalSpy clicks(fx.gif, &ucAniGIF::Click);
    QSignalSpy downs(fx.gif, &ucAniGIF::MouseDown);
    QTest::mouseClick(fx.gif, Qt::RightButton, Qt::ShiftModifier, QPoint(3, 4));
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs.at(0), (QList<QVariant>{2, 1, 3, 4}));
    EXPECT_EQ(clicks.count(), 1);

    fx.gif->setEnabled(false);
    QTest::mouseClick(fx.gif, Qt::LeftButton, {}, QPoint(3, 4));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(AniGif, SavedStateRestoresPropertiesAndPicture) {
    Fixture fx;
    fx.gif->setStretch(2);
    fx.gif->setMinFrameDelay(120);
    fx.gif->setMirrored(1);
    ASSERT_TRUE(fx.load(testgif::encode(frames(3))));
    fx.gif->setLoops(-4);
    EXPECT_EQ(fx.gif->loops(), 4);
    const QVariantMap state = fx.gif->saveState();

    Fixture copy;
    copy.gif->restoreState(state);
    EXPECT_EQ(copy.gif->Stretch(), 2);
    EXPECT_EQ(copy.gif->MinFrameDelay(), 120);
    EXPECT_EQ(copy.gif->Mirrored(), 1);
    EXPECT_EQ(copy.gif->loops(), 4);
    EXPECT_EQ(copy.gif->FrameCount(), 3);
    EXPECT_EQ(copy.gif->AnimatedGIF(), fx.gif->AnimatedGIF());
}

}  // namespace
}  // namespace vexal
