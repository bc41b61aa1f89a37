// The table's secondary windows: exit confirmation, notice, player information, session record.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <optional>

namespace vexal {

// Secondary windows are drawn at opacity 200 of 255 and float above the table window.
void makeSecondaryWindow(QWidget* window);
// Keeps a window in front of all others, or releases it, without moving or sizing it.
void setTopmost(QWidget* window, bool topmost);
// Places a window centred over another.
void centreOver(QWidget* window, const QWidget* over);

// Where a window of frame `window` goes so that it leaves `keepFree` uncovered and stays within
// `bounds`: where it is when it covers nothing; otherwise the nearest of straight above, below,
// left of or right of `keepFree` that fits. Empty when none fits.
std::optional<QPoint> placeClear(const QRect& window, const QRect& keepFree, const QRect& bounds);

class ExitConfirm : public QWidget {
    Q_OBJECT
public:
    explicit ExitConfirm(QWidget* parent);
    // The second line: empty hides it.
    void setWarning(const QString& text);
    QLabel* question;
    QLabel* warning;
    QPushButton* confirm;
    QPushButton* cancel;

signals:
    void confirmed();
    void cancelled();
};

class NoticeWindow : public QWidget {
    Q_OBJECT
public:
    explicit NoticeWindow(QWidget* parent);
    void setText(const QString& text);
    QString text() const { return line->text(); }
    QLabel* line;
    QPushButton* ok;
    QPushButton* cancel;

signals:
    void accepted();
    void cancelled();
};

// `Information`: nine captions and the nine values of a seat.
class Information : public QWidget {
    Q_OBJECT
public:
    explicit Information(QWidget* parent);
    std::array<QLabel*, 9> caption{};
    std::array<QLabel*, 9> value{};
};

// `Hero`: the session record, one line per settled round.
class Hero : public QWidget {
    Q_OBJECT
public:
    explicit Hero(QWidget* parent);
    QListWidget* Num;
    std::array<QLabel*, 4> ID{};
    std::array<QLabel*, 4> Tou{};
    std::array<QListWidget*, 4> Grade{};
    std::array<QLabel*, 4> sunScore{};
    QPushButton* close;
    // Selects line n in `Num` and in the four `Grade` lists.
    void selectLine(int n);
    // A new session: no rounds, no names, no portraits, no running sums.
    void clearRecord();

signals:
    // Double click on line n (0-based): the settlement shows round n + 1 again.
    void pastRoundRequested(int round);
};

}  // namespace vexal
