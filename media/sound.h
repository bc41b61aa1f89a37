// The table's sounds: the background tune, effects of table events, the turn tick and the
// quick-phrase voices, with the three switches that gate them.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace vexal {

class SoundDevice;

// Sound files, relative to the shared folder "common" beside the program's folder.
inline constexpr std::string_view kMusicFile = "music/majiang.wav";
inline constexpr std::string_view kTurnTickFile = "music/tishi.wav";
inline constexpr std::string_view kVoiceFolder = "pk/";

enum class SoundEffect {
    Deal,           // a round's deal
    CardRaised,     // own card raised
    CardLowered,    // own card lowered
    PlayShown,      // any seat's play shown
    OwnPlaySent,    // own play sent
    PlayControl,    // a play-control button
    RoundEnd,       // round end (first sound)
    RoundEndSheet,  // round end (score sheet)
    OneCardLeft,    // an opponent holds one card
    Win,            // roar won
    Lose,           // roar lost
    Roar,           // a roar call
};

struct SoundEffectFile {
    SoundEffect effect;
    std::string_view file;
};

inline constexpr std::array<SoundEffectFile, 12> kSoundEffectFiles = {{
    {SoundEffect::Deal, "pk/sys010.wav"},
    {SoundEffect::CardRaised, "pk/sys020.wav"},
    {SoundEffect::CardLowered, "pk/sys030.wav"},
    {SoundEffect::PlayShown, "pk/sys070.wav"},
    {SoundEffect::OwnPlaySent, "pk/sys080.wav"},
    {SoundEffect::PlayControl, "pk/sys110.wav"},
    {SoundEffect::RoundEnd, "pk/sys121.wav"},
    {SoundEffect::RoundEndSheet, "pk/sys150.wav"},
    {SoundEffect::OneCardLeft, "nvexal/alarm.wav"},
    {SoundEffect::Win, "nvexal/win.wav"},
    {SoundEffect::Lose, "nvexal/lose.wav"},
    {SoundEffect::Roar, "nvexal/roar.wav"},
}};

// The bomb animations are numbered 0..2 and each has its sound.
inline constexpr int kBombSoundCount = 3;

constexpr std::string_view soundEffectFile(SoundEffect effect) {
    for (const auto& entry : kSoundEffectFiles) {
        if (entry.effect == effect)
            return entry.file;
    }
    return {};
}

inline std::string bombSoundFile(int n) {
    return "nvexal/bomb" + std::to_string(n) + ".wav";
}

class Sound {
public:
    static constexpr int kFullVolume = 3000;
    static constexpr int kVoiceAttenuation = -800;  // hundredths of a decibel

    // `programDir` is the program's own folder; the sound folders are its siblings.
    explicit Sound(const std::string& programDir);
    ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    bool musicOn() const { return m_musicOn; }
    bool effectsOn() const { return m_effectsOn; }
    bool deviceOn() const { return m_deviceOn; }
    void setMusicOn(bool on) { m_musicOn = on; }
    void setEffectsOn(bool on) { m_effectsOn = on; }
    void setDeviceOn(bool on) { m_deviceOn = on; }

    const std::string& musicPath() const { return m_musicPath; }
    const std::string& turnTickPath() const { return m_turnTickPath; }
    const std::string& voiceDir() const { return m_voiceDir; }
    // "<program folder>/../common/" + `file`.
    std::string commonPath(std::string_view file) const;

    // Opens the default device. On failure the device-and-voices switch is cleared and every later
    // call does nothing: a table without sound still plays.
    bool OpenSound();
    void PlayEffect(const std::string& path, bool loop);
    // 3000 is full volume, 0 is 30 dB down; anything outside 0..3000 is ignored.
    void SetEffectVolume(int volume);
    void StopEffect();
    // Relative seats 0..3 have a voice each; a new voice for a seat cuts that seat's old one.
    void PlayVoice(const std::string& path, int relativeSeat);

    // Start-up: when the device-and-voices switch is on, open the device, stop the effect buffer
    // and start the tune.
    void startUp();
    // Stops the effect buffer and plays the tune looped at full volume. The tune shares the effect
    // buffer, so the next effect ends it and it does not come back by itself.
    void startBackgroundMusic();
    // A table event's effect, once at full volume, when the effect-sounds switch is on.
    void playTableEffect(SoundEffect effect);
    void playBombEffect(int n);
    // The turn tick and the quick-phrase voices follow the device-and-voices switch.
    void playTurnTick();
    // `file` is the voice's name in the voice folder (`quickPhraseVoiceFile` of the chat).
    void playQuickPhraseVoice(const std::string& file, int relativeSeat);

    const SoundDevice& device() const { return *m_device; }

private:
    // Logs a failure the first time it happens; the table goes on either way.
    void reportOnce(const std::string& key, const std::string& detail);

    std::unique_ptr<SoundDevice> m_device;
    std::string m_commonDir;
    std::string m_musicPath;
    std::string m_turnTickPath;
    std::string m_voiceDir;
    bool m_musicOn = true;
    bool m_effectsOn = true;
    bool m_deviceOn = true;
    bool m_opened = false;
    std::set<std::string> m_reported;
};

}  // namespace vexal
