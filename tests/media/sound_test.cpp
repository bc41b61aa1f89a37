#include "media/sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <memory>

#include "media/vosset.h"
#include "model/chat.h"
#include "platform/sounddevice.h"
#include "tests/media/soundfiles.h"

namespace vexal {
namespace {

using testsound::Install;

struct Opened {
    Install install;
    Sound sound{install.bin};
    Opened() { EXPECT_TRUE(sound.OpenSound()); }
};

TEST(Sound, PathsAreSiblingsOfTheProgramFolder) {
    Sound sound("/opt/vexal/bin");
    EXPECT_EQ(sound.musicPath(), "/opt/vexal/bin/../common/music/majiang.wav");
    EXPECT_EQ(sound.turnTickPath(), "/opt/vexal/bin/../common/music/tishi.wav");
    EXPECT_EQ(sound.voiceDir(), "/opt/vexal/bin/../common/pk/");
    EXPECT_EQ(sound.commonPath(soundEffectFile(SoundEffect::Roar)),
              "/opt/vexal/bin/../common/nvexal/roar.wav");
    EXPECT_EQ(bombSoundFile(2), "nvexal/bomb2.wav");
    EXPECT_TRUE(sound.musicOn() && sound.effectsOn() && sound.deviceOn());
}

TEST(Sound, StartUpOpensTheDeviceAndStartsTheTune) {
    Install install;
    {
        Sound sound(install.bin);
        sound.startUp();
        EXPECT_EQ(sound.device().effectFile(), sound.musicPath());
        EXPECT_TRUE(sound.device().effectPlaying());
        EXPECT_TRUE(sound.device().effectLooped());
        EXPECT_EQ(sound.device().effectVolume(), 128);
        EXPECT_EQ(sound.device().effectStarts(), 1);
    }
    {
        // With the music switched off the device still opens for effects, and nothing plays.
        Sound quiet(install.bin);
        quiet.setMusicOn(false);
        quiet.startUp();
        EXPECT_TRUE(quiet.device().isOpen());
        EXPECT_FALSE(quiet.device().effectPlaying());
        EXPECT_EQ(quiet.device().effectStarts(), 0);
        quiet.playTableEffect(SoundEffect::Deal);
        EXPECT_FALSE(quiet.device().effectLooped());
        EXPECT_EQ(quiet.device().effectStarts(), 1);
    }

    Sound silent(install.bin);
    silent.setDeviceOn(false);
    silent.startUp();
    EXPECT_FALSE(silent.device().isOpen());
    silent.startBackgroundMusic();
    EXPECT_FALSE(silent.device().effectPlaying());
}

// Ctrl+C and a plain kill must still end the program once sound is open.
TEST(Sound, OpeningTheDeviceLeavesSignalsAlone) {
    Install install;
    const auto previous = std::signal(SIGTERM, SIG_DFL);
    {
        Sound sound(install.bin);
        ASSERT_TRUE(sound.OpenSound());
        EXPECT_EQ(std::signal(SIGTERM, SIG_DFL), SIG_DFL);
    }
    std::signal(SIGTERM, previous);
}

TEST(Sound, VoicesOverlapAcrossSeatsAndReplaceWithinASeat) {
    Opened o;
    const std::string a = o.install.write("pk/a.wav", 400);
    const std::string b = o.install.write("pk/b.wav", 500);
    const std::string c = o.install.write("pk/c.wav", 600);
    const SoundDevice& device = o.sound.device();

    o.sound.PlayVoice(a, 1);
    o.sound.PlayVoice(b, 2);
    EXPECT_TRUE(device.voicePlaying(1));
    EXPECT_TRUE(device.voicePlaying(2));
    EXPECT_EQ(device.voiceFile(1), a);
    EXPECT_EQ(device.voiceFile(2), b);

    o.sound.PlayVoice(c, 1);
    EXPECT_EQ(device.voiceFile(1), c);
    EXPECT_TRUE(device.voicePlaying(1));
    EXPECT_EQ(device.voiceFile(2), b);
    EXPECT_TRUE(device.voicePlaying(2));

    // Seats outside 0..3 play nothing and leave the voices alone.
    for (int seat : {-1, 4, 9}) o.sound.PlayVoice(a, seat);
    EXPECT_EQ(device.voiceFile(1), c);
    EXPECT_FALSE(device.voicePlaying(0));
    EXPECT_FALSE(device.voicePlaying(3));
}

TEST(Sound, EffectReplacesTheBackgroundTuneForGood) {
    Opened o;
    const SoundDevice& device = o.sound.device();
    o.sound.startBackgroundMusic();
    EXPECT_EQ(device.effectFile(), o.sound.musicPath());
    EXPECT_TRUE(device.effectPlaying());

    o.sound.playTableEffect(SoundEffect::Deal);
    EXPECT_EQ(device.effectFile(), o.sound.commonPath("pk/sys010.wav"));
    EXPECT_TRUE(device.effectPlaying());

    o.sound.StopEffect();
    EXPECT_FALSE(device.effectPlaying());

    // With the effect-sounds switch off a table effect leaves the tune playing.
    o.sound.startBackgroundMusic();
    o.sound.setEffectsOn(false);
    o.sound.playTableEffect(SoundEffect::PlayShown);
    o.sound.playBombEffect(1);
    EXPECT_EQ(device.effectFile(), o.sound.musicPath());
    EXPECT_TRUE(device.effectPlaying());
    o.sound.setEffectsOn(true);
    o.sound.playBombEffect(1);
    EXPECT_EQ(device.effectFile(), o.sound.commonPath("nvexal/bomb1.wav"));
}

TEST(Sound, EffectVolumeIgnoresValuesOutsideItsRange) {
    Opened o;
    const SoundDevice& device = o.sound.device();
    o.sound.playTableEffect(SoundEffect::Win);
    EXPECT_EQ(device.effectVolume(), 128);
    struct Case {
        int set;
        int volume;  // on SDL's 0..128 scale afterwards
    };
    const Case cases[] = {{0, mixerVolume(-3000)},   {3001, mixerVolume(-3000)},  {-1, mixerVolume(-3000)},
                          {2200, mixerVolume(-800)}, {100000, mixerVolume(-800)}, {3000, 128}};
    for (const Case& c : cases) {
        o.sound.SetEffectVolume(c.set);
        EXPECT_EQ(device.effectVolume(), c.volume) << c.set;
    }
    EXPECT_EQ(mixerVolume(0), 128);
    EXPECT_EQ(mixerVolume(-800), 51);
    EXPECT_EQ(mixerVolume(-3000), 4);
}

TEST(Sound, MissingFilesAreIgnored) {
    Opened o;
    const SoundDevice& device = o.sound.device();
    o.sound.startBackgroundMusic();
    const std::string missing = o.sound.commonPath("pk/none.wav");
    o.sound.PlayEffect(missing, false);
    EXPECT_FALSE(device.effectPlaying());
    o.sound.PlayEffect(missing, false);  // reported once, ignored again
    o.sound.PlayVoice(missing, 2);
    EXPECT_FALSE(device.voicePlaying(2));
    EXPECT_TRUE(o.sound.musicOn() && o.sound.effectsOn() && o.sound.deviceOn());

    o.sound.playTableEffect(SoundEffect::Roar);
    EXPECT_TRUE(device.effectPlaying());
}

TEST(Sound, DeviceSwitchGatesTickAndVoices) {
    Opened o;
    const SoundDevice& device = o.sound.device();
    o.install.write("pk/" + quickPhraseVoiceFile(1, 0, 2, 10), 700);

    o.sound.setDeviceOn(false);
    o.sound.playTurnTick();
    o.sound.playQuickPhraseVoice(quickPhraseVoiceFile(1, 0, 2, 10), 1);
    EXPECT_FALSE(device.effectPlaying());
    EXPECT_FALSE(device.voicePlaying(1));

    o.sound.setDeviceOn(true);
    o.sound.playTurnTick();
    o.sound.playQuickPhraseVoice(quickPhraseVoiceFile(1, 0, 2, 10), 1);
    EXPECT_EQ(device.effectFile(), o.sound.turnTickPath());
    EXPECT_EQ(device.voiceFile(1), o.sound.voiceDir() + "v2000210.wav");
    EXPECT_TRUE(device.voicePlaying(1));
}

TEST(Sound, AFailedDeviceClearsTheSwitchAndSilencesEverything) {
    Install install;
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = driver ? driver : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Sound sound(install.bin);
    EXPECT_FALSE(sound.OpenSound());
    if (saved.empty()) {
        unsetenv("SDL_AUDIODRIVER");
    } else {
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    }
    EXPECT_FALSE(sound.deviceOn());
    EXPECT_TRUE(sound.musicOn());
    sound.startBackgroundMusic();
    sound.playTableEffect(SoundEffect::Deal);
    sound.PlayVoice(sound.musicPath(), 0);
    sound.SetEffectVolume(100);
    EXPECT_FALSE(sound.device().effectPlaying());
    EXPECT_FALSE(sound.device().voicePlaying(0));
    EXPECT_TRUE(sound.device().effectFile().empty());
}

}  // namespace
}  // namespace vexal

namespace vexal {
namespace {

// The build's own sound folders: every file the table names is there and plays.
TEST(SoundAssets, EveryNamedSoundIsBuiltAndPlayable) {
    const std::string bin = std::string(VEXAL_BINARY_DIR) + "/bin";
    Sound sound(bin);
    ASSERT_TRUE(sound.OpenSound());
    std::vector<std::string> paths = {sound.musicPath(), sound.turnTickPath()};
    for (const auto& e : kSoundEffectFiles) paths.push_back(sound.commonPath(e.file));
    for (int n = 0; n < kBombSoundCount; ++n) paths.push_back(sound.commonPath(bombSoundFile(n)));

    // One voice per phrase of the default chat.ini, per voice number and sex code.
    QFile chat(QString::fromStdString(bin + "/chat.ini"));
    ASSERT_TRUE(chat.open(QIODevice::ReadOnly));
    int list = 0;
    int phrases = 0;
    for (const QByteArray& line : chat.readAll().split('\n')) {
        if (line.startsWith("[Phrase"))
            list = line.at(7) - '0';
        if (!line.startsWith("num=") || list == 0)
            continue;
        const int num = line.mid(4).trimmed().toInt();
        phrases += num;
        for (int phrase = 1; phrase <= num; ++phrase) {
            for (int seat = 0; seat < 4; ++seat) {
                for (int sex : {0, 1}) {
                    paths.push_back(sound.voiceDir() + quickPhraseVoiceFile(seat, static_cast<uint8_t>(sex), list, phrase));
                }
            }
        }
    }
    EXPECT_GE(phrases, 10);

    for (const std::string& path : paths) {
        sound.PlayVoice(path, 3);
        EXPECT_EQ(sound.device().voiceFile(3), path) << "not playable: " << path;
    }
}

// A sound in the output's own format is held as its file's samples; in any other the mixer
// converts it on every load, into a buffer several times the file's size that stays with it.
TEST(SoundAssets, TheDeviceRunsInTheFormatOfEveryBuiltSound) {
    const std::string bin = std::string(VEXAL_BINARY_DIR) + "/bin";
    Sound sound(bin);
    ASSERT_TRUE(sound.OpenSound());
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    int files = 0;
    QDirIterator it(QString::fromStdString(sound.commonPath("")), {QStringLiteral("*.wav")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const std::string path = it.next().toStdString();
        SDL_AudioSpec spec{};
        Uint8* samples = nullptr;
        Uint32 length = 0;
        ASSERT_NE(SDL_LoadWAV(path.c_str(), &spec, &samples, &length), nullptr) << path << ": " << SDL_GetError();
        SDL_FreeWAV(samples);
        EXPECT_EQ(spec.freq, rate) << path;
        EXPECT_EQ(spec.format, format) << path;
        EXPECT_EQ(spec.channels, channels) << path;
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
}  // namespace vexal

namespace vexal {
namespace {

// The settings window on a real sound object, with pictures recorded instead of loaded.
struct Settings {
    Opened o;
    int swaps = 0;
    bool video = false;
    bool fullSize = true;
    std::unique_ptr<VosSet> window;

    explicit Settings(bool fullSizeTable = true) : fullSize(fullSizeTable) {
        VosSetHooks hooks{fullSize, [this] { ++swaps; }, [this] { return video; }};
        window = std::make_unique<VosSet>(o.sound, hooks, nullptr, [](int number, QLabel* image) {
            image->setProperty("picture", number);
            return true;
        });
        window->show();
    }
    void click(QLabel* label) { QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(1, 1)); }
    void clickOption(int option) { click(window->checkPicture(option)); }
};

TEST(VosSet, ClickSwitchesAtOnceAndCancelSwitchesBack) {
    for (int option : {VosSet::Music, VosSet::Effects, VosSet::DeviceAndVoices, VosSet::TableBackground}) {
        Settings s;
        ASSERT_TRUE(s.window->optionOn(option));
        EXPECT_EQ(s.window->checkPicture(option)->property("picture").toInt(), VosSet::kCheckOnPicture);

        s.clickOption(option);
        EXPECT_FALSE(s.window->optionOn(option)) << option;
        EXPECT_TRUE(s.window->marked(option));
        EXPECT_EQ(s.window->checkPicture(option)->property("picture").toInt(), VosSet::kCheckOffPicture);
        EXPECT_EQ(s.swaps, option == VosSet::TableBackground ? 1 : 0);

        s.click(s.window->cancelButton());
        EXPECT_FALSE(s.window->isVisible());
        EXPECT_TRUE(s.window->optionOn(option)) << option;
        EXPECT_FALSE(s.window->marked(option));
        EXPECT_EQ(s.window->checkPictureNumber(option), VosSet::kCheckOnPicture);
        EXPECT_EQ(s.swaps, option == VosSet::TableBackground ? 2 : 0);
    }
}

TEST(VosSet, CancelAfterTwoClicksKeepsWhatTheWindowOpenedWith) {
    Settings s;
    s.clickOption(VosSet::Effects);
    s.clickOption(VosSet::Effects);
    s.clickOption(VosSet::TableBackground);
    s.clickOption(VosSet::TableBackground);
    s.click(s.window->cancelButton());
    EXPECT_TRUE(s.o.sound.effectsOn());
    EXPECT_TRUE(s.window->optionOn(VosSet::TableBackground));
    EXPECT_EQ(s.swaps, 2);
}

TEST(VosSet, OkKeepsChangesAndForgetsTheMarks) {
    Settings s;
    s.clickOption(VosSet::Effects);
    s.clickOption(VosSet::DeviceAndVoices);
    s.click(s.window->okButton());
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_FALSE(s.o.sound.effectsOn());
    EXPECT_FALSE(s.o.sound.deviceOn());

    s.window->show();
    s.click(s.window->cancelButton());
    EXPECT_FALSE(s.o.sound.effectsOn());
    EXPECT_FALSE(s.o.sound.deviceOn());
}

TEST(VosSet, MusicOptionStopsAndRestartsTheTune) {
    Settings s;
    const SoundDevice& device = s.o.sound.device();
    s.o.sound.startBackgroundMusic();
    s.clickOption(VosSet::Music);
    EXPECT_FALSE(device.effectPlaying());
    EXPECT_FALSE(s.o.sound.musicOn());

    s.click(s.window->cancelButton());
    EXPECT_TRUE(s.o.sound.musicOn());
    EXPECT_TRUE(device.effectPlaying());
    EXPECT_EQ(device.effectFile(), s.o.sound.musicPath());
}

TEST(VosSet, VideoPictureOnlyShowsTheVideoSwitch) {
    Settings s;
    EXPECT_EQ(s.window->checkPictureNumber(VosSet::Video), VosSet::kCheckOffPicture);
    s.video = true;
    s.window->hide();
    s.window->show();
    EXPECT_EQ(s.window->checkPictureNumber(VosSet::Video), VosSet::kCheckOnPicture);

    s.clickOption(VosSet::Video);
    EXPECT_TRUE(s.window->optionOn(VosSet::Video));
    EXPECT_FALSE(s.window->marked(VosSet::Video));
    s.click(s.window->cancelButton());
    EXPECT_TRUE(s.video);
    EXPECT_EQ(s.window->checkPictureNumber(VosSet::Video), VosSet::kCheckOnPicture);
}

TEST(VosSet, SmallTableHasNoBackgroundOption) {
    Settings s(false);
    EXPECT_FALSE(s.window->checkPicture(VosSet::TableBackground)->isVisible());
    s.window->toggleOption(VosSet::TableBackground);
    EXPECT_EQ(s.swaps, 0);
    EXPECT_FALSE(s.window->marked(VosSet::TableBackground));
}

TEST(VosSet, WindowCaptionPicturesAndTranslucency) {
    Settings s;
    EXPECT_EQ(s.window->windowTitle(), QStringLiteral("音效设置"));
    EXPECT_NEAR(s.window->windowOpacity(), 200 / 255.0, 0.01);
    EXPECT_EQ(s.window->okButton()->property("picture").toInt(), VosSet::kOkPicture);
    EXPECT_EQ(s.window->cancelButton()->property("picture").toInt(), VosSet::kCancelPicture);
}

}  // namespace
}  // namespace vexal
