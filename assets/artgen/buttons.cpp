// Table buttons, dialog buttons, play controls, calling buttons and the bank button.
#include <QLinearGradient>

#include "assets/artgen/draw.h"

namespace vexal::artgen {
namespace {

enum class State { Normal, Hover, Disabled, Pressed };

struct Style {
    QColor top, bottom, border, text, textOutline;
};

QColor lighter(const QColor& c, int percent) {
    return c.lighter(percent);
}

QColor grey(const QColor& c) {
    const int v = qGray(c.rgb());
    return QColor((v + 170) / 2, (v + 170) / 2, (v + 172) / 2);
}

QImage button(QSize size, const QString& label, const Style& style, State state, double radius = -1) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0, 0, size.width(), size.height());
    if (radius < 0)
        radius = size.height() * 0.3;
    QColor top = style.top, bottom = style.bottom, border = style.border, text = style.text,
           outline = style.textOutline;
    switch (state) {
        case State::Hover:
            top = lighter(top, 125);
            bottom = lighter(bottom, 122);
            border = QColor(255, 240, 170);
            break;
        case State::Disabled:
            top = grey(top);
            bottom = grey(bottom).darker(115);
            border = QColor(140, 140, 140);
            text = QColor(236, 236, 236);
            outline = QColor(120, 120, 120);
            break;
        case State::Pressed:
            std::swap(top, bottom);
            top = top.darker(110);
            break;
        case State::Normal:
            break;
    }
    QPainterPath body;
    body.addRoundedRect(box.adjusted(0.5, 0.5, -0.5, -1.5), radius, radius);
    shadow(p, body, QPointF(0, 1.2), state == State::Disabled ? 40 : 90);
    panel(p, box.adjusted(0, 0, 0, -1), radius, top, bottom, border, state == State::Hover ? 1.6 : 1.0);
    const double textSize =
        std::min(size.height() * 0.56, size.width() / std::max<qsizetype>(1, label.size()) * 0.82);
    const QPointF nudge = state == State::Pressed ? QPointF(0, 1) : QPointF(0, 0);
    outlinedText(p, box.adjusted(0, 0, 0, -1).translated(nudge), label, font(textSize, true), text, outline,
                 1.2);
    return image;
}

const Style kTable{QColor(214, 150, 58), QColor(132, 78, 22), QColor(92, 52, 14), QColor(255, 250, 235),
                   QColor(90, 48, 10)};
const Style kPlay{QColor(96, 196, 84), QColor(28, 120, 40), QColor(16, 74, 24), Qt::white,
                  QColor(14, 70, 20)};
const Style kHint{QColor(88, 160, 236), QColor(26, 86, 170), QColor(16, 54, 110), Qt::white,
                  QColor(12, 44, 100)};
const Style kPass{QColor(242, 142, 68), QColor(186, 70, 24), QColor(120, 40, 10), Qt::white,
                  QColor(110, 36, 8)};
const Style kTool{QColor(76, 170, 166), QColor(22, 100, 104), QColor(12, 64, 66), Qt::white,
                  QColor(10, 58, 60)};
const Style kRoar{QColor(236, 74, 64), QColor(150, 14, 22), QColor(96, 8, 12), QColor(255, 232, 120),
                  QColor(90, 6, 10)};
const Style kCall{QColor(250, 206, 84), QColor(198, 132, 16), QColor(120, 76, 6), QColor(120, 20, 10),
                  QColor(255, 244, 200)};
const Style kOk{QColor(96, 196, 84), QColor(28, 120, 40), QColor(16, 74, 24), Qt::white, QColor(14, 70, 20)};
const Style kCancel{QColor(170, 176, 186), QColor(96, 102, 114), QColor(60, 64, 72), Qt::white,
                    QColor(50, 54, 62)};
const Style kBank{QColor(250, 212, 96), QColor(190, 128, 20), QColor(120, 76, 6), QColor(110, 50, 0),
                  QColor(255, 240, 190)};

QImage checkBox(bool on, QSize size) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1, 1, size.width() - 2, size.height() - 2);
    panel(p, box, 3, QColor(255, 255, 255), QColor(214, 220, 228), QColor(70, 84, 100), 1.2);
    if (on) {
        QPainterPath tick;
        tick.moveTo(box.left() + box.width() * 0.2, box.top() + box.height() * 0.52);
        tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.76);
        tick.lineTo(box.left() + box.width() * 0.82, box.top() + box.height() * 0.24);
        p.setPen(QPen(QColor(20, 140, 40), size.width() * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    return image;
}

QImage closeButton(State state, QSize size) {
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, size.width() - 1, size.height() - 1);
    const bool hot = state != State::Normal;
    panel(p, box, 4, hot ? QColor(240, 96, 84) : QColor(200, 74, 60),
          hot ? QColor(176, 30, 22) : QColor(136, 30, 22), hot ? QColor(255, 220, 200) : QColor(90, 20, 14),
          1);
    const double m = size.width() * 0.3;
    p.setPen(QPen(Qt::white, size.width() * 0.12, Qt::SolidLine, Qt::RoundCap));
    const QPointF shift = state == State::Pressed ? QPointF(0.5, 0.8) : QPointF(0, 0);
    p.drawLine(QPointF(m, m) + shift, QPointF(size.width() - m, size.height() - m) + shift);
    p.drawLine(QPointF(size.width() - m, m) + shift, QPointF(m, size.height() - m) + shift);
    return image;
}

QImage bankButton(bool hover) {
    const QSize size(64, 30);
    QImage image = button(size, QString(), kBank, hover ? State::Hover : State::Normal);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A gold coin with a square hole beside the label.
    const QPointF c(15, 14.5);
    p.setPen(QPen(QColor(130, 80, 0), 1));
    p.setBrush(QColor(255, 214, 60));
    p.drawEllipse(c, 8.5, 8.5);
    p.setBrush(QColor(200, 140, 20));
    p.drawRect(QRectF(c.x() - 2.5, c.y() - 2.5, 5, 5));
    outlinedText(p, QRectF(24, 0, 38, 29), QStringLiteral("银行"), font(14, true), kBank.text,
                 kBank.textOutline, 1.2);
    return image;
}

}  // namespace

void addButtons(Catalogue& catalogue) {
    // Table buttons: entries 0..19 as normal/hover pairs. Large pictures 150 + i; the small set
    // shares 150 and 151 and puts entries 2..19 at 281 + i.
    const QStringList labels{QStringLiteral("发送"), QStringLiteral("聊天"), QStringLiteral("开始"),
                             QStringLiteral("继续"), QStringLiteral("设置"), QStringLiteral("隐藏"),
                             QStringLiteral("战绩"), QStringLiteral("历史"), QStringLiteral("规则"),
                             QStringLiteral("退出")};
    for (int entry = 0; entry < 20; ++entry) {
        const QString label = labels[entry / 2];
        const State state = entry % 2 ? State::Hover : State::Normal;
        const QSize large = entry < 2 ? QSize(50, 30) : QSize(60, 30);
        catalogue[150 + entry] = [=] { return still(button(large, label, kTable, state)); };
        if (entry >= 2)
            catalogue[281 + entry] = [=] { return still(button(QSize(47, 23), label, kTable, state)); };
    }

    // Dialog buttons of the exit, reconnect and sound settings windows.
    catalogue[170] = [] { return still(button(QSize(72, 28), QStringLiteral("确定"), kOk, State::Normal)); };
    catalogue[171] = [] { return still(button(QSize(72, 28), QStringLiteral("确定"), kOk, State::Hover)); };
    catalogue[172] = [] {
        return still(button(QSize(72, 28), QStringLiteral("取消"), kCancel, State::Normal));
    };
    catalogue[173] = [] {
        return still(button(QSize(72, 28), QStringLiteral("取消"), kCancel, State::Hover));
    };
    catalogue[174] = [] { return still(checkBox(true, QSize(20, 20))); };
    catalogue[175] = [] { return still(checkBox(false, QSize(20, 20))); };
    catalogue[176] = [] { return still(closeButton(State::Normal, QSize(20, 20))); };
    catalogue[177] = [] { return still(closeButton(State::Hover, QSize(20, 20))); };

    // Play controls: 出牌, 提示, 过 with normal/hover/disabled; 排序, 上一轮, 恢复 with normal/hover.
    struct Control {
        QString label;
        Style style;
        QSize size;
        int states;
    };
    const Control controls[] = {{QStringLiteral("出牌"), kPlay, QSize(80, 34), 3},
                                {QStringLiteral("提示"), kHint, QSize(80, 34), 3},
                                {QStringLiteral("过"), kPass, QSize(80, 34), 3},
                                {QStringLiteral("排序"), kTool, QSize(64, 28), 2},
                                {QStringLiteral("上一轮"), kTool, QSize(64, 28), 2},
                                {QStringLiteral("恢复"), kTool, QSize(64, 28), 2}};
    int number = 178;
    for (const Control& control : controls) {
        const State states[] = {State::Normal, State::Hover, State::Disabled};
        for (int s = 0; s < control.states; ++s) {
            catalogue[number++] = [control, state = states[s]] {
                return still(button(control.size, control.label, control.style, state));
            };
        }
    }

    // Calling buttons and the roar confirmation's OK and Cancel, normal and highlighted.
    const QSize callSize(72, 36);
    catalogue[201] = [=] { return still(button(callSize, QStringLiteral("吼"), kRoar, State::Normal, 18)); };
    catalogue[202] = [=] { return still(button(callSize, QStringLiteral("吼"), kRoar, State::Hover, 18)); };
    catalogue[203] = [] { return still(button(QSize(72, 28), QStringLiteral("确定"), kOk, State::Normal)); };
    catalogue[204] = [] { return still(button(QSize(72, 28), QStringLiteral("确定"), kOk, State::Hover)); };
    catalogue[205] = [] {
        return still(button(QSize(72, 28), QStringLiteral("取消"), kCancel, State::Normal));
    };
    catalogue[206] = [] {
        return still(button(QSize(72, 28), QStringLiteral("取消"), kCancel, State::Hover));
    };
    catalogue[207] = [=] { return still(button(callSize, QStringLiteral("叫"), kCall, State::Normal, 18)); };
    catalogue[208] = [=] { return still(button(callSize, QStringLiteral("叫"), kCall, State::Hover, 18)); };

    catalogue[450] = [] { return still(bankButton(false)); };
    catalogue[451] = [] { return still(bankButton(true)); };
}

// Frame buttons of the table window (close and minimise, normal/hover/pressed) live with the
// window pieces in table.cpp but share this look.
QImage frameButton(bool close, int state) {
    const QSize size(26, 22);
    QImage image = canvas(size.width(), size.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, 0.5, size.width() - 1, size.height() - 1);
    QColor top = close ? QColor(214, 84, 70) : QColor(90, 130, 110);
    QColor bottom = close ? QColor(150, 34, 26) : QColor(36, 76, 58);
    if (state == 1)
        top = top.lighter(125), bottom = bottom.lighter(125);
    if (state == 2)
        std::swap(top, bottom);
    panel(p, box, 4, top, bottom, state == 1 ? QColor(255, 236, 190) : QColor(20, 30, 24), 1);
    const QPointF shift = state == 2 ? QPointF(0.5, 1) : QPointF(0, 0);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(8, 6) + shift, QPointF(18, 16) + shift);
        p.drawLine(QPointF(18, 6) + shift, QPointF(8, 16) + shift);
    } else {
        p.drawLine(QPointF(8, 15) + shift, QPointF(18, 15) + shift);
    }
    return image;
}

}  // namespace vexal::artgen
