// `Score`: the score sheet, one detail column and one result box per seat.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPoint>
#include <QWidget>

#include <array>

namespace vexal {

class Score : public QWidget {
    Q_OBJECT
public:
    explicit Score(QWidget* table);

    // Lists 0..3 the detail columns of relative seats 0..3, 4..7 their result boxes.
    std::array<QListWidget*, 8> State{};
    std::array<QLabel*, 4> ID{};
    std::array<QLabel*, 4> Tou{};
    QLabel* closeImage;

    void clearLists();
    void setLines(int list, const std::vector<std::string>& lines);
    void setListColour(int list, uint32_t rgb);
    uint32_t listColour(int list) const { return m_colours[static_cast<size_t>(list)]; }
    QStringList lines(int list) const;
    // Sizes every list to show all its lines whole, without scroll bars, the columns side by side;
    // the lists' type gets smaller until the sheet fits `room` (the table window's size).
    void fitLines(const QSize& room);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sizeLists();
    std::array<uint32_t, 8> m_colours{};
    double m_fullPoints = 0;  // the lists' type size before any fitting
    QPoint m_dragFrom;
    bool m_syncing = false;
};

}  // namespace vexal
