#include "table/tablesound.h"

#include "media/resources.h"
#include "media/sound.h"
#include "media/vosset.h"
#include "table/mainform.h"
#include "table/pictures.h"

#include <QEvent>

namespace vexal {

namespace {
// The settings window's bottom sits this far above the table background's bottom edge, in twips
// of the full-size table, which keeps it clear of the table buttons.
constexpr double kSettingsLiftTwips = 1700;
}  // namespace

TableSound::TableSound(MainForm& form, Sound& sound, std::function<bool()> videoOn)
    : QObject(&form), m_form(form), m_sound(sound), m_videoOn(std::move(videoOn)),
      m_background(picture::kTableBackground) {
    form.installEventFilter(this);
}

VosSet* TableSound::settings() {
    if (!m_settings) {
        VosSetHooks hooks;
        hooks.fullSizeTable = m_form.largeTable();
        hooks.swapTableBackground = [this] { swapTableBackground(); };
        hooks.videoOn = [this] { return m_videoOn && m_videoOn(); };
        m_settings = new VosSet(m_sound, std::move(hooks), &m_form);
        m_settings->setObjectName(QStringLiteral("VosSet"));
        m_settings->hide();
    }
    return m_settings;
}

void TableSound::toggleSettings() {
    VosSet* w = settings();
    if (w->isVisible()) {
        w->hide();
        return;
    }
    // Shown first, so that the window's frame is known when it is placed by its outer edges.
    w->adjustSize();
    w->show();
    QLabel* table = m_form.Pic1;
    const QPoint corner = table->mapToGlobal(QPoint(table->width(), table->height()));
    const int lift = qRound(kSettingsLiftTwips / kTwipsPerPixel * m_form.scaleX());
    const QSize outer = w->frameGeometry().size();
    w->move(corner.x() - outer.width(), corner.y() - lift - outer.height());
    // At that corner it would lie over the own clock and the hand's right end.
    m_form.keepOwnTurnFree(w);
    w->raise();
}

void TableSound::closeSettings() {
    if (m_settings)
        m_settings->hide();
}

void TableSound::swapTableBackground() {
    // Only the full-size table offers the swap, so the picture fills the background as it stands.
    const int next =
        m_background == picture::kTableBackground ? picture::kTableBackgroundAlt : picture::kTableBackground;
    const QPixmap pm = tablePicture(next);
    if (pm.isNull())
        return;
    QLabel* table = m_form.Pic1;
    table->setPixmap(pm.size() == table->size()
                         ? pm
                         : pm.scaled(table->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_background = next;
}

bool TableSound::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_form && event->type() == QEvent::WindowStateChange && m_form.isMinimized()) {
        // A minimised table is silent. Every way of putting the table out of sight (F1, 隐藏,
        // away mode, the minimise image) also takes its settings window along.
        m_sound.StopEffect();
        closeSettings();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vexal
