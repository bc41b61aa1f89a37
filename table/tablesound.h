// The table's side of sound: the settings window behind 设置 (table button 3), the table
// background it swaps, and the effect buffer that falls silent when the table is minimised.
#pragma once

#include <QObject>
#include <functional>

namespace vexal {

class MainForm;
class Sound;
class VosSet;
struct SessionState;

class TableSound : public QObject {
    Q_OBJECT

public:
    // The table window owns this object and the settings window. `videoOn` reads the video switch
    // the settings window only shows.
    TableSound(MainForm& form, Sound& sound, std::function<bool()> videoOn);

    // Button 3: hide the settings window when it is shown; otherwise put it in the table's lower
    // right corner, clear of the buttons, and show it.
    void toggleSettings();
    // Hides the settings window without touching its switches.
    void closeSettings();
    // The settings window, built on first use: whether it offers the background depends on the
    // table's size, which start-up settles after this object is made.
    VosSet* settings();
    bool settingsBuilt() const { return m_settings != nullptr; }

    // The picture the table background shows: the felt or the alternative one.
    int backgroundPicture() const { return m_background; }
    void swapTableBackground();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainForm& m_form;
    Sound& m_sound;
    std::function<bool()> m_videoOn;
    VosSet* m_settings = nullptr;
    int m_background;
};

}  // namespace vexal
