// Writes the table's sound files into the shared "common" folder: synthesized effects, the
// background tune, and the quick-phrase voices spoken by espeak-ng from the default chat.ini.
//
// usage: vexal_soundgen <common folder> <chat.ini> <espeak-ng program>

#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "media/sound.h"
#include "model/chat.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using vexal::SoundEffect;

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

struct Failure {
    std::string what;
};

class Track {
public:
    explicit Track(double seconds) : m_samples(static_cast<size_t>(seconds * kRate), 0.0) {}

    // A note with a plucked shape: short attack, exponential decay, a touch of overtones.
    void note(double start, double length, double hz, double amp, double decay = 6.0,
              double overtone = 0.25) {
        add(start, length, [=](double t) {
            const double env = std::min(1.0, t / 0.005) * std::exp(-decay * t);
            return amp * env *
                   (std::sin(2 * kPi * hz * t) + overtone * std::sin(4 * kPi * hz * t) +
                    overtone * 0.4 * std::sin(6 * kPi * hz * t));
        });
    }

    // Filtered noise: `brightness` 0..1 (one-pole low-pass), shaped by a decaying envelope.
    void noise(double start, double length, double amp, double brightness, double decay, unsigned seed) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> white(-1.0, 1.0);
        double state = 0;
        add(start, length, [&](double t) {
            state += brightness * (white(random) - state);
            return amp * state * std::min(1.0, t / 0.003) * std::exp(-decay * t);
        });
    }

    // A low thump whose pitch falls, for slaps and explosions.
    void thump(double start, double length, double fromHz, double toHz, double amp, double decay) {
        double phase = 0;
        add(start, length, [&](double t) {
            const double hz = toHz + (fromHz - toHz) * std::exp(-8 * t);
            phase += 2 * kPi * hz / kRate;
            return amp * std::sin(phase) * std::exp(-decay * t);
        });
    }

    void add(double start, double length, const std::function<double(double)>& wave) {
        const size_t first = static_cast<size_t>(start * kRate);
        const size_t count = static_cast<size_t>(length * kRate);
        for (size_t i = 0; i < count && first + i < m_samples.size(); ++i) {
            // A 4 ms fade at the end so no sound stops with a click.
            const double left = static_cast<double>(count - i) / kRate;
            m_samples[first + i] += wave(static_cast<double>(i) / kRate) * std::min(1.0, left / 0.004);
        }
    }

    void write(const fs::path& path) const {
        double peak = 1e-9;
        for (double s : m_samples) peak = std::max(peak, std::abs(s));
        const double gain = 0.7 / peak;  // every file peaks at the same comfortable level
        std::vector<int16_t> pcm;
        pcm.reserve(m_samples.size());
        for (double s : m_samples) pcm.push_back(static_cast<int16_t>(std::lround(s * gain * 32767)));

        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        const auto dataBytes = static_cast<uint32_t>(pcm.size() * 2);
        auto u32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
        };
        auto u16 = [&](uint16_t v) {
            out.put(static_cast<char>(v & 0xFF));
            out.put(static_cast<char>(v >> 8));
        };
        out.write("RIFF", 4);
        u32(36 + dataBytes);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(1);  // PCM
        u16(1);  // mono
        u32(kRate);
        u32(kRate * 2);
        u16(2);
        u16(16);
        out.write("data", 4);
        u32(dataBytes);
        out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(dataBytes));
        if (!out)
            throw Failure{"cannot write " + path.string()};
    }

private:
    std::vector<double> m_samples;
};

double midi(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

Track effect(SoundEffect e) {
    switch (e) {
        case SoundEffect::Deal: {  // a soft swish of cards
            Track t(0.16);
            t.noise(0, 0.16, 1.0, 0.35, 22, 1);
            return t;
        }
        case SoundEffect::CardRaised: {
            Track t(0.07);
            t.note(0, 0.07, 1320, 1.0, 40);
            return t;
        }
        case SoundEffect::CardLowered: {
            Track t(0.07);
            t.note(0, 0.07, 880, 1.0, 40);
            return t;
        }
        case SoundEffect::PlayShown: {  // cards laid on the cloth
            Track t(0.14);
            t.noise(0, 0.05, 0.8, 0.6, 60, 2);
            t.thump(0, 0.14, 220, 120, 1.0, 30);
            return t;
        }
        case SoundEffect::OwnPlaySent: {
            Track t(0.2);
            t.note(0, 0.09, 660, 0.8, 25);
            t.note(0.07, 0.13, 990, 0.8, 20);
            return t;
        }
        case SoundEffect::PlayControl: {
            Track t(0.04);
            t.note(0, 0.04, 1760, 1.0, 70, 0.1);
            return t;
        }
        case SoundEffect::RoundEnd: {  // a bright rising arpeggio
            Track t(0.7);
            const int notes[] = {72, 76, 79};
            for (int i = 0; i < 3; ++i) t.note(0.12 * i, 0.7 - 0.12 * i, midi(notes[i]), 0.7, 5);
            return t;
        }
        case SoundEffect::RoundEndSheet: {  // a calm chord as the score sheet opens
            Track t(0.9);
            for (int n : {67, 71, 74}) t.note(0, 0.9, midi(n), 0.5, 3.5);
            return t;
        }
        case SoundEffect::OneCardLeft: {
            Track t(0.32);
            t.note(0, 0.11, 988, 0.9, 12, 0.1);
            t.note(0.19, 0.11, 988, 0.9, 12, 0.1);
            return t;
        }
        case SoundEffect::Win: {
            Track t(1.0);
            const int notes[] = {72, 76, 79, 84};
            for (int i = 0; i < 4; ++i) {
                t.note(0.11 * i, i == 3 ? 0.67 : 0.2, midi(notes[i]), 0.8, i == 3 ? 3 : 9);
            }
            return t;
        }
        case SoundEffect::Lose: {
            Track t(1.1);
            const int notes[] = {67, 63, 60};
            for (int i = 0; i < 3; ++i) {
                t.note(0.18 * i, i == 2 ? 0.74 : 0.25, midi(notes[i]), 0.8, i == 2 ? 3 : 8);
            }
            return t;
        }
        case SoundEffect::Roar: {  // a low growl that swells and fades
            Track t(0.8);
            double phase = 0;
            t.add(0, 0.8, [&](double s) {
                phase += 2 * kPi * (105 + 6 * std::sin(2 * kPi * 7 * s)) / kRate;
                double saw = 0;
                for (int k = 1; k <= 8; ++k) saw += std::sin(k * phase) / k;
                return saw * std::sin(kPi * s / 0.8);
            });
            t.noise(0, 0.8, 0.3, 0.2, 1.5, 3);
            return t;
        }
    }
    throw Failure{"no sound for an effect"};
}

Track bomb(int n) {
    Track t(0.6 + 0.2 * n);
    t.noise(0, 0.6 + 0.2 * n, 1.0, 0.08 + 0.05 * n, 4.5 - n, 10 + static_cast<unsigned>(n));
    t.thump(0, 0.5, 110 - 20 * n, 40, 0.9, 5);
    return t;
}

Track turnTick() {
    Track t(0.05);
    t.note(0, 0.05, 2000, 1.0, 60, 0.05);
    return t;
}

// An eight-second loop in the major pentatonic: a plucked tune over a soft bass. Every note
// fades before the loop's end so it repeats without a seam.
Track backgroundTune() {
    const double beat = 0.5;
    Track t(16 * beat);
    const int melody[] = {72, 74, 76, 79, 76, 74, 72, 69, 67, 69, 72, 74, 76, 74, 72, 0,
                          79, 81, 79, 76, 74, 76, 72, 74, 69, 72, 74, 76, 72, 69, 72, 0};
    for (int i = 0; i < 32; ++i) {
        if (melody[i] == 0)
            continue;
        const double start = i * beat / 2;
        t.note(start, std::min(0.9, 16 * beat - start), midi(melody[i]), 0.45, 4.5);
    }
    const int bass[] = {48, 45, 41, 43, 48, 45, 41, 43};
    for (int i = 0; i < 8; ++i) t.note(i * 2 * beat, 2 * beat, midi(bass[i]), 0.35, 1.8, 0.1);
    return t;
}

// chat.ini is code page 936 on disk, like every INI file the client reads.
std::string cp936ToUtf8(const std::string& in) {
    iconv_t cd = iconv_open("UTF-8", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw Failure{"iconv has no CP936"};
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1))
        throw Failure{"chat.ini is not code page 936 text"};
    out.resize(out.size() - dstLeft);
    return out;
}

// The phrases of [Phrase1] and [Phrase2], by list and number.
std::map<std::pair<int, int>, std::string> readPhrases(const fs::path& chatIni) {
    std::ifstream in(chatIni, std::ios::binary);
    if (!in)
        throw Failure{"cannot read " + chatIni.string()};
    std::stringstream raw;
    raw << in.rdbuf();
    std::istringstream text(cp936ToUtf8(raw.str()));
    std::map<std::pair<int, int>, std::string> phrases;
    std::map<int, int> counts;
    int list = 0;
    for (std::string line; std::getline(text, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line == "[Phrase1]" || line == "[Phrase2]") {
            list = line[7] - '0';
            continue;
        }
        if (line.starts_with("[")) {
            list = 0;
            continue;
        }
        const auto eq = line.find('=');
        if (list == 0 || eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        if (key == "num") {
            counts[list] = std::atoi(line.c_str() + eq + 1);
        } else if (!key.empty() && key.find_first_not_of("0123456789") == std::string::npos) {
            phrases[{list, std::stoi(key)}] = line.substr(eq + 1);
        }
    }
    // Only numbered keys up to "num" are phrases, as the client reads them.
    std::erase_if(
        phrases, [&](const auto& p) { return p.first.second < 1 || p.first.second > counts[p.first.first]; });
    return phrases;
}

struct Voice {
    std::string variant;
    int pitch;
    int speed;
};

// Four speakers per sex so the seats sound apart: sex code 0 is female, 1 male. The client names a
// voice by the seat frame's sex byte as it came, and these are the two bytes the server sends.
Voice voiceFor(int voiceNumber, int sex) {
    static const Voice female[] = {{"f1", 62, 160}, {"f2", 70, 150}, {"f3", 56, 170}, {"f4", 76, 158}};
    static const Voice male[] = {{"m1", 38, 155}, {"m2", 30, 165}, {"m3", 45, 150}, {"m4", 34, 172}};
    return sex == 0 ? female[voiceNumber - 1] : male[voiceNumber - 1];
}

void speak(const std::string& espeak, const Voice& v, const std::string& text, const fs::path& out) {
    std::vector<std::string> args = {espeak,
                                     "-v",
                                     "cmn+" + v.variant,
                                     "-p",
                                     std::to_string(v.pitch),
                                     "-s",
                                     std::to_string(v.speed),
                                     "-w",
                                     out.string(),
                                     text};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, espeak.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        throw Failure{"cannot run " + espeak};
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw Failure{espeak + " failed for " + out.string()};
    }
    std::error_code ec;
    if (fs::file_size(out, ec) < 1024 || ec)
        throw Failure{espeak + " wrote no speech to " + out.string()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: vexal_soundgen <common folder> <chat.ini> <espeak-ng program>\n";
        return 2;
    }
    const fs::path common = argv[1];
    try {
        for (const auto& e : vexal::kSoundEffectFiles) effect(e.effect).write(common / e.file);
        for (int n = 0; n < vexal::kBombSoundCount; ++n) {
            bomb(n).write(common / vexal::bombSoundFile(n));
        }
        turnTick().write(common / vexal::kTurnTickFile);
        backgroundTune().write(common / vexal::kMusicFile);

        const auto phrases = readPhrases(argv[2]);
        if (phrases.empty())
            throw Failure{std::string("no phrases in ") + argv[2]};
        for (const auto& [key, text] : phrases) {
            for (int seat = 0; seat < 4; ++seat) {
                for (int sex : {0, 1}) {
                    const auto name = vexal::quickPhraseVoiceFile(seat, static_cast<uint8_t>(sex), key.first, key.second);
                    speak(argv[3], voiceFor(seat + 1, sex), text, common / vexal::kVoiceFolder / name);
                }
            }
        }
    } catch (const Failure& f) {
        std::cerr << "vexal_soundgen: " << f.what << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "vexal_soundgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
