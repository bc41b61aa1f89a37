// `MainForm`: the table window. It owns the widgets; the handlers of each concern live in their
// own files and work on it through these names.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>

#include "media/anigif.h"
#include "model/session.h"
#include "table/tablegeometry.h"
#include "table/webpanel.h"
#include "table/widgets.h"
#include "table/windows.h"

namespace vexal {

// Where the player information window's corner goes for relative seat r, in the table's
// coordinates: beside the seat's portrait `face`, always wholly on `table`.
QPoint playerInfoCorner(int r, const QRect& face, const QSize& window, const QRect& table);

// The nine table buttons by index.
enum TableButton { kSend = 0, kChatHistory, kStart, kSettings, kHide, kScoreSheet, kHistory, kRules, kExit };

class MainForm : public QWidget {
    Q_OBJECT
public:
    explicit MainForm(SessionState& state, QWidget* parent = nullptr);
    ~MainForm() override;

    SessionState& state() { return m_state; }

    // Start-up step 5: size, place and scale the window for a screen of this size.
    void sizeForScreen(const QSize& screen);
    double scaleX() const { return m_scaleX; }
    double scaleY() const { return m_scaleY; }
    bool largeTable() const { return m_scaleX == 1.0; }
    bool framePainted() const { return m_framePainted; }
    // A rectangle of table units (1024 across) in pixels of `Pic1`, scaled.
    QRect units(double left, double top, double width, double height) const;
    // The own turn's place in pixels of `Pic1`: the full hand with a raised card, 出牌/提示/过 and
    // 叫/吼/过 above it, and the own countdown clock with its number right of it.
    QRect ownTurnArea() const;
    // Moves a window of the table that covers the own turn's place to the nearest place that
    // leaves it free, over the table window when it fits there, else elsewhere on the screen; a
    // window that fits nowhere stays.
    void keepOwnTurnFree(QWidget* window) const;

    // The two one-line system message lists (`Sysmsg` 0 is the first).
    void setSysmsg(int list, const QString& line);  // clear, then add
    void clearSysmsg(int list);
    QString sysmsg(int list) const;
    // The chat strip's push: the newest line in `Sysmsg` 1, the one before in `Sysmsg` 0.
    void pushSysmsg(const QString& line);

    // Panels (panels.cpp).
    void drawSeatPanel(int r);
    void clearSeatPanel(int r);
    void showCoins(int r);
    void showReadyMark(int r, bool shown);
    bool readyMarkShown(int r) const;
    void showWealth(uint32_t multiple);
    void hideWealth();
    void showRoomRules(bool shown);
    void setLocationText(const QString& text, bool smallerFont);
    void ShowPlayerInfo(int r);
    void HidePlayerInfo();

    // Table buttons (panels.cpp): pictures by the start button's rule and the hover flags.
    void showButtonPicture(int i, bool hover);
    // The start button's picture by entry: 4 开始, 6 继续 (hover pictures are one higher).
    void showStartPicture(int entry);
    void AnNiuEnter(int i);
    void restoreHoveredButtons();
    bool buttonHovered(int i) const { return m_hover[static_cast<size_t>(i)]; }

    // Window frame (frame.cpp).
    void PaintWindowFrame();
    void setSkin(const QPixmap& skin) { m_skin = skin; }

    // Seat-change animation (shuffle.cpp).
    void layOutShuffle();
    void startShuffle();
    void stopShuffle();
    void shuffleTick();
    bool shuffleShown() const;
    static QString shuffleText(int index);

    // Widgets, by the names the rest of the table uses.
    QLabel* Pic1 = nullptr;
    std::array<QLabel*, 4> Tou{};
    std::array<QLabel*, 4> Nid{};
    std::array<QLabel*, 4> Level{};
    std::array<QLabel*, 4> Cash{};
    std::array<QLabel*, 4> OK{};
    std::array<QLabel*, 4> lbl_currDefen{};
    std::array<QListWidget*, 2> Sysmsg{};
    std::array<PictureButton*, 9> AnNiu{};
    QLabel* Imgwealth = nullptr;
    QLabel* lbwealth = nullptr;
    std::array<QLabel*, 3> lblRule{};
    QLabel* lblLocation = nullptr;
    ucAniGIF* Time_Img = nullptr;  // the countdown clock, animated by its own frame timer
    QLabel* Number = nullptr;
    QLabel* ImgShuffle = nullptr;
    QLabel* LblShuffle = nullptr;
    QTimer* TimerShuffle = nullptr;
    WebPanel* WebBrowser1 = nullptr;
    WebPanel* WebBrowser2 = nullptr;
    QLineEdit* Chat = nullptr;
    QLabel* ImgIcon = nullptr;
    std::array<QLabel*, 4> ImgClose{};
    std::array<QLabel*, 4> ImgMin{};
    QLabel* LbMove = nullptr;
    QLabel* imgDilan = nullptr;
    QLabel* imgDinglan = nullptr;

    ExitConfirm* exitConfirm = nullptr;
    NoticeWindow* notice = nullptr;
    Information* information = nullptr;
    Hero* hero = nullptr;

    // Called when the window is closed by the user or the system, before it goes.
    std::function<void()> onClose;

signals:
    void buttonClicked(int index);
    void closeImageClicked();
    void escapePressed();
    // Resized to any state but minimised (restored by the user, say).
    void resizedIntoView();
    // The player starts dragging the window by its strip.
    void dragStarted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildFrame();
    void placeControls();
    QRect seatPanelRect(int r) const;

    SessionState& m_state;
    double m_scaleX = 1.0;
    double m_scaleY = 1.0;
    bool m_framePainted = false;
    bool m_shownTraced = false;
    QPixmap m_skin;
    QPixmap m_felt;
    std::array<bool, 9> m_hover{};
    // Frame images: [0] close, [1] minimise; roles 1 normal, 2 hover, 3 pressed.
    std::array<std::array<QPixmap, 4>, 2> m_frameRoles{};
    bool m_frameButtonsNormal = true;
    void frameImageEvent(int which, QEvent* event);
    void showFrameRole(int which, int role);
    bool m_closing = false;
};

}  // namespace vexal
