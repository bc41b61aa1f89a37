#include "table/score.h"

#include "media/resources.h"
#include "model/settlementlines.h"
#include "table/windows.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace vexal {

Score::Score(QWidget* table) : QWidget(table, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Score"));
    setWindowTitle(QStringLiteral("Score"));
    setStyleSheet(QStringLiteral("#Score{background:#f4ecd0;border:2px solid #8a6a2a;}"
                                 "QListWidget{background:#fffaf0;border:1px solid #c8b070;}"));
    makeSecondaryWindow(this);
    auto* grid = new QGridLayout(this);
    closeImage = new QLabel(QStringLiteral("✕"), this);
    closeImage->setAlignment(Qt::AlignRight);
    closeImage->installEventFilter(this);
    grid->addWidget(closeImage, 0, 3);
    for (int r = 0; r < 4; ++r) {
        Tou[r] = new QLabel(this);
        Tou[r]->setFixedSize(48, 48);
        Tou[r]->setScaledContents(true);
        ID[r] = new QLabel(this);
        ID[r]->setAlignment(Qt::AlignCenter);
        auto* head = new QWidget(this);
        auto* hl = new QHBoxLayout(head);
        hl->setContentsMargins(0, 0, 0, 0);
        hl->addWidget(Tou[r]);
        hl->addWidget(ID[r], 1);
        grid->addWidget(head, 1, r);
        State[r] = new QListWidget(this);
        State[r + 4] = new QListWidget(this);
        grid->addWidget(State[r], 2, r);
        grid->addWidget(State[r + 4], 3, r);
    }
    // The sheet is read whole: each list is sized to its lines (`fitLines`) and never scrolls.
    for (QListWidget* l : State) {
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        l->setTextElideMode(Qt::ElideNone);
        l->setWordWrap(false);
    }
    m_fullPoints = State[0]->font().pointSizeF();
    grid->setRowStretch(4, 1);
    for (int r = 0; r < 4; ++r) {
        connect(State[r], &QListWidget::currentRowChanged, this, [this](int row) {
            if (m_syncing)
                return;
            m_syncing = true;
            for (int j = 0; j < 4; ++j)
                if (row < State[j]->count())
                    State[j]->setCurrentRow(row);
            m_syncing = false;
        });
    }
    sizeLists();
    hide();
}

// Each column as wide as its widest line (detail list or result box) and the lists of a row as
// high as the tallest, so that the lines of the four columns stay side by side.
void Score::sizeLists() {
    int detailHeight = 0;
    int boxHeight = 0;
    std::array<int, 4> widths{};
    for (int j = 0; j < 8; ++j) {
        QListWidget* l = State[static_cast<size_t>(j)];
        l->ensurePolished();
        const int frame = 2 * l->frameWidth();
        int height = frame;
        for (int i = 0; i < l->count(); ++i)
            height += l->sizeHintForRow(i);
        // An empty list keeps the height of one line, so an empty sheet still reads as one.
        if (l->count() == 0)
            height += l->fontMetrics().height() + 4;
        const int width = frame + std::max(l->sizeHintForColumn(0), l->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
        widths[static_cast<size_t>(j % 4)] = std::max(widths[static_cast<size_t>(j % 4)], width);
        int& rowHeight = j < 4 ? detailHeight : boxHeight;
        rowHeight = std::max(rowHeight, height);
    }
    for (int j = 0; j < 8; ++j)
        State[static_cast<size_t>(j)]->setFixedSize(widths[static_cast<size_t>(j % 4)], j < 4 ? detailHeight : boxHeight);
    adjustSize();
}

void Score::fitLines(const QSize& room) {
    constexpr double kSmallestPoints = 6;
    for (double points = m_fullPoints;; points -= 0.5) {
        for (QListWidget* l : State) {
            QFont f = l->font();
            f.setPointSizeF(points);
            l->setFont(f);
        }
        sizeLists();
        const QSize need = sizeHint().expandedTo(minimumSizeHint());
        if ((need.width() <= room.width() && need.height() <= room.height()) || points - 0.5 < kSmallestPoints)
            break;
    }
}

void Score::clearLists() {
    for (QListWidget* l : State)
        l->clear();
}

void Score::setLines(int list, const std::vector<std::string>& lines) {
    QListWidget* l = State[static_cast<size_t>(list)];
    l->clear();
    for (const std::string& s : lines) {
        auto* item = new QListWidgetItem(QString::fromStdString(s), l);
        const std::string help = scoreTermExplanation(s);
        if (!help.empty())
            item->setToolTip(QString::fromStdString(help));
    }
    setListColour(list, m_colours[static_cast<size_t>(list)]);
}

void Score::setListColour(int list, uint32_t rgb) {
    m_colours[static_cast<size_t>(list)] = rgb;
    QListWidget* l = State[static_cast<size_t>(list)];
    const QColor c((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    for (int i = 0; i < l->count(); ++i)
        l->item(i)->setForeground(c);
    l->setStyleSheet(QStringLiteral("QListWidget{color:%1;background:#fffaf0;}").arg(c.name()));
}

QStringList Score::lines(int list) const {
    QStringList out;
    const QListWidget* l = State[static_cast<size_t>(list)];
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

void Score::mousePressEvent(QMouseEvent* event) {
    m_dragFrom = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void Score::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragFrom);
}

bool Score::eventFilter(QObject* watched, QEvent* event) {
    if (watched == closeImage && event->type() == QEvent::MouseButtonPress) {
        hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vexal
