#include "platform/sounddevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

namespace vexal {

int mixerVolume(int hundredthsDb) {
    const double gain = std::pow(10.0, std::min(hundredthsDb, 0) / 2000.0);
    return std::clamp(static_cast<int>(std::lround(gain * MIX_MAX_VOLUME)), 0, MIX_MAX_VOLUME);
}

SoundDevice::~SoundDevice() {
    close();
}

bool SoundDevice::open() {
    if (m_open)
        return true;
    // SDL's audio brings up its event subsystem, which would otherwise take over SIGINT and
    // SIGTERM from the Qt program around it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return false;
    // The output runs in the format every table sound is recorded in, so a sound is held as its
    // file's samples. In the mixer's default format (44.1 kHz stereo) each load is converted, and
    // the conversion's working buffer, several times the file's size, stays with the sound as long
    // as the sound is kept. 512 samples at this rate give the default's latency.
    if (Mix_OpenAudio(kSampleRate, AUDIO_S16SYS, 1, 512) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(1 + kVoiceCount);
    Mix_Volume(-1, MIX_MAX_VOLUME);
    m_open = true;
    return true;
}

void SoundDevice::close() {
    if (!m_open)
        return;
    release(kEffectChannel, m_effect);
    for (int seat = 0; seat < kVoiceCount; ++seat) release(1 + seat, m_voices[seat]);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_open = false;
}

void SoundDevice::release(int channel, Buffer& buffer) {
    if (!buffer.chunk)
        return;
    Mix_HaltChannel(channel);  // the mixer must let go of the chunk before it is freed
    Mix_FreeChunk(buffer.chunk);
    buffer = {};
}

bool SoundDevice::playEffect(const std::string& path, bool loop) {
    if (!m_open)
        return false;
    release(kEffectChannel, m_effect);
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk)
        return false;
    m_effect = {chunk, path, loop};
    if (Mix_PlayChannel(kEffectChannel, chunk, loop ? -1 : 0) != kEffectChannel)
        return false;
    ++m_effectStarts;
    return true;
}

void SoundDevice::setEffectAttenuation(int hundredthsDb) {
    if (m_open)
        Mix_Volume(kEffectChannel, mixerVolume(hundredthsDb));
}

void SoundDevice::stopEffect() {
    if (m_open)
        Mix_HaltChannel(kEffectChannel);
}

bool SoundDevice::playVoice(int seat, const std::string& path, int hundredthsDb) {
    if (!m_open || seat < 0 || seat >= kVoiceCount)
        return false;
    const int channel = 1 + seat;
    release(channel, m_voices[seat]);
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk)
        return false;
    m_voices[seat] = {chunk, path, false};
    Mix_Volume(channel, mixerVolume(hundredthsDb));
    return Mix_PlayChannel(channel, chunk, 0) == channel;
}

bool SoundDevice::effectPlaying() const {
    return m_open && Mix_Playing(kEffectChannel) != 0;
}

bool SoundDevice::voicePlaying(int seat) const {
    return m_open && seat >= 0 && seat < kVoiceCount && Mix_Playing(1 + seat) != 0;
}

const std::string& SoundDevice::voiceFile(int seat) const {
    static const std::string none;
    return seat >= 0 && seat < kVoiceCount ? m_voices[seat].path : none;
}

int SoundDevice::effectVolume() const {
    return m_open ? Mix_Volume(kEffectChannel, -1) : 0;
}

}  // namespace vexal
