#include "app/demo.h"

#include "app/mainloop.h"
#include "platform/trace.h"
#include "table/chatview.h"
#include "table/mainform.h"
#include "table/round.h"
#include "table/score.h"
#include "table/windows.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
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
        if (m_playsShown == exitAfterPlays)
            QTimer::singleShot(0, this, &Demo::leaveTheRound);
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
            // Only a hand whose every callable card is held twice gets here: the countdown would
            // make that hidden call too.
            if (st.hiddenCallAsked)
                m_loop.act(intent::AnswerHiddenCall{true});
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

namespace {
void key(QWidget* target, int code, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void click(QWidget* target, QPoint at, bool twice = false) {
    const QPointF local(at), global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
    if (twice) {
        QMouseEvent dbl(QEvent::MouseButtonDblClick, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &dbl);
        QCoreApplication::sendEvent(target, &release);
    }
}
}  // namespace

// 退出, then 确定 in the confirmation it opens.
void Demo::leaveTheRound() {
    trace("demo", QStringLiteral("退出 during the round"));
    click(m_form.AnNiu[kExit], m_form.AnNiu[kExit]->rect().center());
    if (m_form.exitConfirm->isVisible())
        m_form.exitConfirm->confirm->click();
    else
        trace("demo", QStringLiteral("退出 opened no confirmation"));
}

ChatScript::ChatScript(MainLoop& loop, MainForm& form, const QString& script)
    : QObject(&loop), m_loop(loop), m_form(form), m_steps(script.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
    waitForSeats();
}

void ChatScript::waitForSeats() {
    const SessionState& st = m_form.state();
    bool seated = st.loggedIn;
    for (const PlayerRecord& p : st.players)
        seated = seated && !p.nickname.empty();
    if (seated)
        next();
    else
        QTimer::singleShot(200, this, &ChatScript::waitForSeats);
}

void ChatScript::next() {
    if (m_steps.isEmpty())
        return;
    const QString step = m_steps.takeFirst();
    trace("chat-script", step);
    if (step.startsWith(QStringLiteral("wait:"))) {
        QTimer::singleShot(step.mid(5).toInt(), this, &ChatScript::next);
        return;
    }
    runStep(step);
    // Each step gets a moment for the window to answer, as a person's next key would.
    QTimer::singleShot(50, this, &ChatScript::next);
}

void ChatScript::runStep(const QString& step) {
    QLineEdit* box = m_form.Chat;
    ChatView* chat = m_loop.chatView();
    if (step.startsWith(QStringLiteral("type:"))) {
        box->setFocus();
        for (const QChar c : step.mid(5))
            key(box, c.isLetterOrNumber() ? c.toUpper().unicode() : Qt::Key_unknown, QString(c));
    } else if (step == QStringLiteral("enter")) {
        key(box, Qt::Key_Return, QStringLiteral("\r"));
    } else if (step == QStringLiteral("backspace")) {
        key(box, Qt::Key_Backspace, QStringLiteral("\b"));
    } else if (step == QStringLiteral("send")) {
        click(m_form.AnNiu[kSend], m_form.AnNiu[kSend]->rect().center());
    } else if (step.startsWith(QStringLiteral("portrait:"))) {
        QLabel* face = m_form.Tou[static_cast<size_t>(std::clamp(step.mid(9).toInt(), 0, 3))];
        click(face, face->rect().center());
    } else if (step.startsWith(QStringLiteral("phrase:")) && chat) {
        const QStringList parts = step.split(QLatin1Char(':'));
        const int list = std::clamp(parts.value(1).toInt(), 1, 2);
        const int row = parts.value(2).toInt() - 1;
        PictureButton* button = chat->imgword[static_cast<size_t>(list - 1)];
        click(button, button->rect().center());
        // The list is laid out once its window is up.
        QTimer::singleShot(20, this, [chat, list, row] {
            QListWidget* entries = chat->huifu()->lists[static_cast<size_t>(list - 1)];
            if (QListWidgetItem* item = entries->item(row))
                click(entries->viewport(), entries->visualItemRect(item).center(), true);
        });
    }
}

void installDemo(MainLoop& loop, MainForm& form, RoundView& view) {
    const QString chatScript = qEnvironmentVariable("VEXAL_CHAT_SCRIPT");
    if (!chatScript.isEmpty())
        new ChatScript(loop, form, chatScript);
    const bool autoplay = qEnvironmentVariableIntValue("VEXAL_AUTOPLAY") == 1;
    const QString prefix = qEnvironmentVariable("VEXAL_SCREENSHOT_ROUND");
    const int exitAfterPlays = qEnvironmentVariableIntValue("VEXAL_EXIT_AFTER_PLAYS");
    if (!autoplay && prefix.isEmpty() && exitAfterPlays <= 0)
        return;
    auto* demo = new Demo(loop, form, view);
    demo->autoplay = autoplay;
    demo->exitAfterPlays = exitAfterPlays;
    demo->screenshotPrefix = prefix;
    // The turn stays open long enough to be pictured; in away mode the clock answers after a
    // second, so the demo takes the turn at once or the clock passes for it.
    if (!prefix.isEmpty() && qEnvironmentVariableIntValue("VEXAL_AWAY") != 1)
        demo->autoplayDelayMs = 1500;
    loop.afterRoundMessage = [demo](const RoundMessage& m) { demo->roundMessageApplied(m); };
}

}  // namespace vexal
