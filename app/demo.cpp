#include "app/demo.h"

#include "app/mainloop.h"
#include "table/mainform.h"
#include "table/round.h"
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

Demo::Demo(MainLoop& loop, MainForm& form, RoundView& view)
    : QObject(&loop), m_loop(loop), m_form(form), m_view(view) {}

void Demo::roundMessageApplied(const RoundMessage& message) {
    const RoundState& st = m_loop.round().state();
    if (std::holds_alternative<PlayReport>(message)) {
        ++m_playsShown;
        if (!screenshotPrefix.isEmpty() && st.ownPlayTurn)
            screenshotAfterPlay();
    }
    if (std::holds_alternative<SettlementRecord>(message) && !screenshotPrefix.isEmpty() && m_view.score->isVisible() &&
        st.handsRevealed)
        screenshotScore();
    const bool turnOpened = std::holds_alternative<PlayReport>(message) || std::holds_alternative<CallingTurn>(message);
    if (autoplay && turnOpened && st.ownPlayTurn)
        QTimer::singleShot(autoplayDelayMs, this, &Demo::takeTurn);
}

void Demo::takeTurn() {
    const RoundState& st = m_loop.round().state();
    const Hand& hand = st.hands[0];
    if (st.callingTurn && st.ownPlayTurn) {
        if (st.callOffer == kOfferCallOrRoar) {
            const int slot = automaticCallSlot(hand);
            if (slot >= 0)
                m_loop.act(intent::ClickCard{hand.images[static_cast<size_t>(slot)]});
            m_loop.act(intent::PressCall{});
        } else if (st.callOffer == kOfferRoarOrPass) {
            m_loop.act(intent::PressCallPass{});
        }
        return;
    }
    if (!st.ownPlayTurn || !st.handInputEnabled)
        return;
    if (st.playControls[2]) {
        m_loop.act(intent::PressControl{1});
        if (st.ownPlayTurn && st.raisedCount > 0)
            m_loop.act(intent::PressControl{0});
        return;
    }
    m_loop.act(intent::PressControl{5});
    if (hand.count > 0)
        m_loop.act(intent::ClickCard{hand.images[static_cast<size_t>(hand.count - 1)]});
    m_loop.act(intent::PressControl{0});
}

void Demo::screenshotAfterPlay() {
    if (m_playShot || m_playsShown < 12 || m_loop.round().state().hands[0].count < 6)
        return;
    m_playShot = true;
    // A moment later, so the turn's buttons and clock are drawn.
    QTimer::singleShot(300, this, [this] { save(m_form.grab(), screenshotPrefix + QStringLiteral("-play.png")); });
}

void Demo::screenshotScore() {
    QTimer::singleShot(600, this, [this] {
        QPixmap table = m_form.grab();
        QPainter p(&table);
        p.drawPixmap(m_form.mapFromGlobal(m_view.score->frameGeometry().topLeft()), m_view.score->grab());
        p.end();
        save(table, screenshotPrefix + QStringLiteral("-score.png"));
    });
}

void installDemo(MainLoop& loop, MainForm& form, RoundView& view) {
    const bool autoplay = qEnvironmentVariableIntValue("VEXAL_AUTOPLAY") == 1;
    const QString prefix = qEnvironmentVariable("VEXAL_SCREENSHOT_ROUND");
    if (!autoplay && prefix.isEmpty())
        return;
    auto* demo = new Demo(loop, form, view);
    demo->autoplay = autoplay;
    demo->screenshotPrefix = prefix;
    if (!prefix.isEmpty())
        demo->autoplayDelayMs = 1500;  // the turn stays open long enough to be pictured
    loop.afterRoundMessage = [demo](const RoundMessage& m) { demo->roundMessageApplied(m); };
}

}  // namespace vexal
