#include "table/windows.h"

#include "platform/trace.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace vexal {

void makeSecondaryWindow(QWidget* window) {
    window->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    window->setWindowOpacity(200 / 255.0);
    window->setAutoFillBackground(true);
    QPalette p = window->palette();
    p.setColor(QPalette::Window, QColor(250, 244, 226));
    window->setPalette(p);
}

void setTopmost(QWidget* window, bool topmost) {
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    window->setGeometry(geometry);
    if (visible)
        window->show();
}

void centreOver(QWidget* window, const QWidget* over) {
    window->adjustSize();
    const QRect area = over->frameGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

std::optional<QPoint> placeClear(const QRect& window, const QRect& keepFree, const QRect& bounds) {
    if (!window.intersects(keepFree))
        return window.topLeft();
    // A small gap, so that the window's edge does not sit on the free place's.
    constexpr int kGap = 4;
    const int w = window.width();
    const int h = window.height();
    auto along = [](int at, int size, int low, int high) { return std::max(low, std::min(at, high - size + 1)); };
    const QPoint candidates[4] = {
        {along(window.left(), w, bounds.left(), bounds.right()), keepFree.top() - kGap - h},
        {along(window.left(), w, bounds.left(), bounds.right()), keepFree.bottom() + 1 + kGap},
        {keepFree.left() - kGap - w, along(window.top(), h, bounds.top(), bounds.bottom())},
        {keepFree.right() + 1 + kGap, along(window.top(), h, bounds.top(), bounds.bottom())},
    };
    std::optional<QPoint> best;
    int bestDistance = 0;
    for (const QPoint& at : candidates) {
        const QRect moved(at, window.size());
        if (!bounds.contains(moved) || moved.intersects(keepFree))
            continue;
        const int distance = (at - window.topLeft()).manhattanLength();
        if (!best || distance < bestDistance) {
            best = at;
            bestDistance = distance;
        }
    }
    return best;
}

ExitConfirm::ExitConfirm(QWidget* parent) : QWidget(parent) {
    makeSecondaryWindow(this);
    question = new QLabel(QStringLiteral("您真的要退出吗？"), this);
    warning = new QLabel(this);
    warning->setStyleSheet(QStringLiteral("color:#b00000;"));
    warning->hide();
    confirm = new QPushButton(QStringLiteral("确定"), this);
    cancel = new QPushButton(QStringLiteral("取消"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(warning);
    layout->addLayout(buttons);
    connect(confirm, &QPushButton::clicked, this, &ExitConfirm::confirmed);
    connect(cancel, &QPushButton::clicked, this, &ExitConfirm::cancelled);
}

void ExitConfirm::setWarning(const QString& text) {
    warning->setText(text);
    warning->setVisible(!text.isEmpty());
}

NoticeWindow::NoticeWindow(QWidget* parent) : QWidget(parent) {
    makeSecondaryWindow(this);
    line = new QLabel(this);
    line->setWordWrap(true);
    line->setMinimumWidth(260);
    ok = new QPushButton(QStringLiteral("确定"), this);
    cancel = new QPushButton(QStringLiteral("取消"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &NoticeWindow::accepted);
    connect(cancel, &QPushButton::clicked, this, &NoticeWindow::cancelled);
}

void NoticeWindow::setText(const QString& text) {
    line->setText(text);
    trace("notice", text);
}

Information::Information(QWidget* parent) : QWidget(parent) {
    makeSecondaryWindow(this);
    static const char* const kCaptions[9] = {"玩家昵称", "性    别", "所 在 地", "积    分", "信 用 度",
                                             "登录次数", "掉线次数", "胜场次数", "败场次数"};
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 9; ++i) {
        caption[i] = new QLabel(QString::fromUtf8(kCaptions[i]), this);
        value[i] = new QLabel(this);
        grid->addWidget(caption[i], i, 0);
        grid->addWidget(value[i], i, 1);
    }
}

Hero::Hero(QWidget* parent) : QWidget(parent) {
    makeSecondaryWindow(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("局 数"), this), 1, 0);
    Num = new QListWidget(this);
    grid->addWidget(Num, 2, 0);
    for (int i = 0; i < 4; ++i) {
        Tou[i] = new QLabel(this);
        Tou[i]->setFixedSize(40, 40);
        Tou[i]->setScaledContents(true);
        ID[i] = new QLabel(QStringLiteral("玩家%1").arg(i), this);
        Grade[i] = new QListWidget(this);
        sunScore[i] = new QLabel(this);
        grid->addWidget(Tou[i], 0, i + 1, Qt::AlignCenter);
        grid->addWidget(ID[i], 1, i + 1, Qt::AlignCenter);
        grid->addWidget(Grade[i], 2, i + 1);
        grid->addWidget(sunScore[i], 3, i + 1, Qt::AlignCenter);
    }
    grid->addWidget(new QLabel(QStringLiteral("输赢总分："), this), 3, 0);
    close = new QPushButton(QStringLiteral("×"), this);
    close->setFixedSize(22, 22);
    grid->addWidget(close, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    auto hook = [this](QListWidget* list) {
        connect(list, &QListWidget::itemClicked, this, [this, list](QListWidgetItem* item) { selectLine(list->row(item)); });
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, list](QListWidgetItem* item) { emit pastRoundRequested(list->row(item) + 1); });
    };
    hook(Num);
    for (QListWidget* g : Grade)
        hook(g);
}

void Hero::clearRecord() {
    Num->clear();
    for (size_t i = 0; i < 4; ++i) {
        ID[i]->clear();
        Tou[i]->clear();
        Grade[i]->clear();
        sunScore[i]->clear();
    }
}

void Hero::selectLine(int n) {
    Num->setCurrentRow(n);
    for (QListWidget* g : Grade)
        g->setCurrentRow(n);
}

}  // namespace vexal
