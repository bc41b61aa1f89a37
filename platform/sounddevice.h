// The sound device: one replaceable effect buffer and four voice buffers on SDL2_mixer channels.
#pragma once

#include <array>
#include <string>

struct Mix_Chunk;

namespace vexal {

class SoundDevice {
public:
    static constexpr int kEffectChannel = 0;
    static constexpr int kVoiceCount = 4;  // channels 1..4, one per relative seat
    // The table's sounds are 16-bit mono at this rate; the output runs in the same format.
    static constexpr int kSampleRate = 22050;

    SoundDevice() = default;
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Opens the default output. False (and the device stays closed) when there is none.
    bool open();
    void close();
    bool isOpen() const { return m_open; }

    // Replaces whatever the effect buffer holds with the WAV file and plays it once or looped.
    // False when the device is closed or the file cannot be read; the old effect is gone either way.
    bool playEffect(const std::string& path, bool loop);
    // Attenuation in hundredths of a decibel, 0 (full) down to -10000.
    void setEffectAttenuation(int hundredthsDb);
    // Stops the effect buffer; it keeps its sound and would start again from the beginning.
    void stopEffect();
    bool playVoice(int seat, const std::string& path, int hundredthsDb);

    bool effectPlaying() const;
    bool voicePlaying(int seat) const;
    // The file in the effect buffer or a seat's voice buffer, empty when none.
    const std::string& effectFile() const { return m_effect.path; }
    // Whether the effect buffer was started looped.
    bool effectLooped() const { return m_effect.looped; }
    // How many sounds the effect buffer has started since the device was made: one table event
    // is one start, which is how a doubled sound shows.
    int effectStarts() const { return m_effectStarts; }
    const std::string& voiceFile(int seat) const;
    // The channel volume in SDL's 0..128 scale.
    int effectVolume() const;

private:
    struct Buffer {
        Mix_Chunk* chunk = nullptr;
        std::string path;
        bool looped = false;
    };
    void release(int channel, Buffer& buffer);

    bool m_open = false;
    Buffer m_effect;
    int m_effectStarts = 0;
    std::array<Buffer, kVoiceCount> m_voices;
};

// SDL's channel volume (0..128) for an attenuation in hundredths of a decibel.
int mixerVolume(int hundredthsDb);

}  // namespace vexal
