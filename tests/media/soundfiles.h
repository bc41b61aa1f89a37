// Sound files for the tests: short WAV tones and a program folder with the shared sound folders
// beside it, holding every file the table names.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "media/sound.h"

namespace vexal::testsound {

// A quiet sine, 16-bit mono PCM. Long enough that nothing ends by itself while a test runs.
inline QByteArray wav(double hz, double seconds = 20.0) {
    const int rate = 8000;
    const auto samples = static_cast<uint32_t>(rate * seconds);
    QByteArray pcm;
    pcm.reserve(static_cast<qsizetype>(samples * 2));
    for (uint32_t i = 0; i < samples; ++i) {
        const auto s = static_cast<int16_t>(800 * std::sin(2 * M_PI * hz * i / rate));
        pcm.append(static_cast<char>(s & 0xFF));
        pcm.append(static_cast<char>((s >> 8) & 0xFF));
    }
    auto u32 = [](uint32_t v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        return b;
    };
    auto u16 = [](uint16_t v) {
        QByteArray b(2, 0);
        b[0] = static_cast<char>(v & 0xFF);
        b[1] = static_cast<char>(v >> 8);
        return b;
    };
    QByteArray out = "RIFF" + u32(36 + static_cast<uint32_t>(pcm.size())) + "WAVEfmt " + u32(16) + u16(1) +
                     u16(1) + u32(rate) + u32(rate * 2) + u16(2) + u16(16) + "data" +
                     u32(static_cast<uint32_t>(pcm.size()));
    return out + pcm;
}

// A program folder "bin" with the shared sound folders beside it; each named sound is a tone of
// its own pitch.
struct Install {
    QTemporaryDir root;
    std::string bin;

    Install() {
        QDir(root.path()).mkpath("bin");
        bin = root.filePath("bin").toStdString();
        double hz = 300;
        write(kMusicFile, hz);
        write(kTurnTickFile, hz += 50);
        for (const auto& e : kSoundEffectFiles) write(e.file, hz += 50);
        for (int n = 0; n < kBombSoundCount; ++n) write(bombSoundFile(n), hz += 50);
    }
    std::string write(std::string_view file, double hz) {
        const QString path = root.filePath("common/" + QString::fromUtf8(file.data(), file.size()));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(wav(hz));
        return path.toStdString();
    }
};

}  // namespace vexal::testsound
