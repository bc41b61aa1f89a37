#include "media/sound.h"

#include <SDL.h>

#include <QtGlobal>

#include "platform/sounddevice.h"

namespace vexal {

Sound::Sound(const std::string& programDir)
    : m_device(std::make_unique<SoundDevice>()), m_commonDir(programDir + "/../common/") {
    m_musicPath = commonPath(kMusicFile);
    m_turnTickPath = commonPath(kTurnTickFile);
    m_voiceDir = commonPath(kVoiceFolder);
}

Sound::~Sound() = default;

std::string Sound::commonPath(std::string_view file) const {
    return m_commonDir + std::string(file);
}

void Sound::reportOnce(const std::string& key, const std::string& detail) {
    if (m_reported.insert(key).second)
        qWarning("sound: %s%s", key.c_str(), detail.c_str());
}

bool Sound::OpenSound() {
    if (m_device->open()) {
        m_opened = true;
        return true;
    }
    m_deviceOn = false;
    reportOnce("no sound device", std::string(": ") + SDL_GetError());
    return false;
}

void Sound::PlayEffect(const std::string& path, bool loop) {
    if (!m_opened)
        return;
    // A new buffer plays at full volume until a caller turns it down.
    if (!m_device->playEffect(path, loop)) {
        reportOnce("cannot play " + path, std::string(": ") + SDL_GetError());
        return;
    }
    m_device->setEffectAttenuation(0);
}

void Sound::SetEffectVolume(int volume) {
    if (!m_opened || volume < 0 || volume > kFullVolume)
        return;
    m_device->setEffectAttenuation(volume - kFullVolume);
}

void Sound::StopEffect() {
    if (m_opened)
        m_device->stopEffect();
}

void Sound::PlayVoice(const std::string& path, int relativeSeat) {
    if (!m_opened || relativeSeat < 0 || relativeSeat >= SoundDevice::kVoiceCount)
        return;
    if (!m_device->playVoice(relativeSeat, path, kVoiceAttenuation)) {
        reportOnce("cannot play " + path, std::string(": ") + SDL_GetError());
    }
}

void Sound::startUp() {
    if (!m_deviceOn || !OpenSound())
        return;
    StopEffect();
    if (m_musicOn)
        startBackgroundMusic();
}

void Sound::startBackgroundMusic() {
    StopEffect();
    PlayEffect(m_musicPath, true);
    SetEffectVolume(kFullVolume);
}

void Sound::playTableEffect(SoundEffect effect) {
    if (!m_effectsOn)
        return;
    PlayEffect(commonPath(soundEffectFile(effect)), false);
    SetEffectVolume(kFullVolume);
}

void Sound::playBombEffect(int n) {
    if (!m_effectsOn || n < 0 || n >= kBombSoundCount)
        return;
    StopEffect();
    PlayEffect(commonPath(bombSoundFile(n)), false);
    SetEffectVolume(kFullVolume);
}

void Sound::playTurnTick() {
    if (!m_deviceOn)
        return;
    PlayEffect(m_turnTickPath, false);
    SetEffectVolume(kFullVolume);
}

void Sound::playQuickPhraseVoice(const std::string& file, int relativeSeat) {
    if (!m_deviceOn)
        return;
    PlayVoice(m_voiceDir + file, relativeSeat);
}

}  // namespace vexal
