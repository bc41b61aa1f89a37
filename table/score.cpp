#include "table/score.h"

#include "media/resources.h"
#include "model/settlementlines.h"
#include "table/windows.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QScrollBar>

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
        State[r]->setMinimumSize(170, 300);
        State[r + 4]->setFixedHeight(54);
        grid->addWidget(State[r], 2, r);
        grid->addWidget(State[r + 4], 3, r);
    }
    // Scrolling one column scrolls them all, so their lines stay side by side.
    for (int r = 0; r < 4; ++r) {
        connect(State[r]->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (m_syncing)
                return;
            m_syncing = true;
            for (int j = 0; j < 4; ++j)
                State[j]->verticalScrollBar()->setValue(v);
            m_syncing = false;
        });
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
    resize(760, 560);
    hide();
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
