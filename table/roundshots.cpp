// Screenshots of the round for visual checks: the table mid-round and the score sheet over it.
#include "table/round.h"

#include "table/mainform.h"
#include "table/score.h"

#include <QPainter>
#include <QTimer>

#include <cstdio>

namespace vexal {

namespace {
void save(const QPixmap& shot, const QString& path) {
    shot.save(path);
    std::fprintf(stderr, "screenshot: %s\n", qPrintable(path));
}
}  // namespace

void RoundTable::screenshotAfterPlay() {
    if (m_playShot || m_playsShown < 12 || m_round.hands[0].count < 6)
        return;
    m_playShot = true;
    // A moment later, so the turn's buttons and clock are drawn.
    QTimer::singleShot(300, this, [this] { save(m_form.grab(), screenshotPrefix + QStringLiteral("-play.png")); });
}

void RoundTable::screenshotScore() {
    QTimer::singleShot(600, this, [this] {
        QPixmap table = m_form.grab();
        QPainter p(&table);
        p.drawPixmap(m_form.mapFromGlobal(score->frameGeometry().topLeft()), score->grab());
        p.end();
        save(table, screenshotPrefix + QStringLiteral("-score.png"));
    });
}

}  // namespace vexal
