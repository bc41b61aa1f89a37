// VosSet: the sound settings window ("音效设置") with its five check pictures, OK and Cancel.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QLabel;

namespace vexal {

class Sound;

// What the window switches besides sound. The table owns both: the background it swaps and the
// video switch the window only shows.
struct VosSetHooks {
    bool fullSizeTable = true;  // the background option exists only on the full-size table
    std::function<void()> swapTableBackground;
    std::function<bool()> videoOn;
};

// Puts picture `number` into `image`; false leaves the image as it was.
using PictureLoader = std::function<bool(int number, QLabel* image)>;

class VosSet : public QWidget {
    Q_OBJECT

public:
    enum Option { Music = 0, Effects = 1, DeviceAndVoices = 2, TableBackground = 3, Video = 4 };
    static constexpr int kOptionCount = 5;

    // Pictures of the dialog-button table (170 + entry).
    static constexpr int kOkPicture = 170;
    static constexpr int kOkHoverPicture = 171;
    static constexpr int kCancelPicture = 172;
    static constexpr int kCancelHoverPicture = 173;
    static constexpr int kCheckOnPicture = 174;
    static constexpr int kCheckOffPicture = 175;

    // Without a loader the pictures come from the program's GIF resources.
    VosSet(Sound& sound, VosSetHooks hooks, QWidget* parent = nullptr, PictureLoader loader = {});

    bool optionOn(int option) const;
    bool marked(int option) const;
    // The picture number each check picture shows.
    int checkPictureNumber(int option) const;

    QLabel* checkPicture(int option) const { return m_checks.at(static_cast<size_t>(option)); }
    QLabel* okButton() const { return m_ok; }
    QLabel* cancelButton() const { return m_cancel; }

    // A click on an option's check picture: switch it at once and mark it changed.
    void toggleOption(int option);
    // OK: hide and keep every change.
    void ok();
    // Cancel: hide and switch every changed option back.
    void cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void apply(int option);
    void showPictures();
    void setPicture(QLabel* label, int number);

    Sound& m_sound;
    VosSetHooks m_hooks;
    PictureLoader m_loader;
    std::array<QLabel*, kOptionCount> m_checks{};
    std::array<int, kOptionCount> m_shown{};
    std::array<bool, kOptionCount> m_marked{};
    bool m_firstBackground = true;
    QLabel* m_ok = nullptr;
    QLabel* m_cancel = nullptr;
};

}  // namespace vexal
