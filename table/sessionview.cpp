#include "table/sessionview.h"
#include "core/overloaded.h"

#include "model/players.h"
#include "platform/messagebox.h"
#include "table/mainform.h"
#include "table/widgets.h"
#include "table/windows.h"

#include <QApplication>

namespace vexal {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

SessionView::SessionView(const SessionModel& model, MainForm& form) : QObject(&form), m_model(model), m_form(form) {
    connect(form.exitConfirm, &ExitConfirm::confirmed, this, [this] { intend(intent::ConfirmExit{}); });
    connect(form.exitConfirm, &ExitConfirm::cancelled, form.exitConfirm, &QWidget::hide);
    connect(form.notice, &NoticeWindow::accepted, this, [this] { intend(intent::AcceptNotice{}); });
    connect(form.notice, &NoticeWindow::cancelled, this, [this] { intend(intent::CancelNotice{}); });
    connect(&form, &MainForm::closeImageClicked, this, &SessionView::toggleExitConfirmation);
    connect(&form, &MainForm::escapePressed, this, &SessionView::toggleExitConfirmation);
    connect(&form, &MainForm::buttonClicked, this, [this](int i) {
        switch (i) {
        case kStart: intend(intent::PressStart{}); break;
        case kHistory: toggleSessionRecord(); break;
        case kExit: toggleExitConfirmation(); break;
        default: break;
        }
    });
}

void SessionView::intend(const SessionIntent& i) {
    if (onIntent)
        onIntent(i);
}

bool SessionView::draw(const SessionStep& s) {
    const SessionState& state = m_model.state();
    return std::visit(
        Overloaded{
            [&](const step::StatusLine& l) {
                if (l.text.empty())
                    m_form.clearSysmsg(l.line);
                else
                    m_form.setSysmsg(l.line, q(l.text));
                return true;
            },
            [&](const step::MessageBox& m) {
                messageBox(&m_form, q(m.text), QStringLiteral("警告"));
                return true;
            },
            [&](const step::SeatPanel& p) {
                m_form.drawSeatPanel(p.seat);
                return true;
            },
            [&](const step::SeatPanelCleared& p) {
                m_form.clearSeatPanel(p.seat);
                return true;
            },
            [&](const step::Coins& c) {
                m_form.showCoins(c.seat);
                return true;
            },
            [&](const step::ReadyMarks&) {
                for (int r = 0; r < 4; ++r)
                    m_form.showReadyMark(r, state.readyMarks[static_cast<size_t>(r)]);
                return true;
            },
            [&](const step::Wealth& w) {
                if (!w.hidden && state.lastWealthMultiple != 0)
                    m_form.showWealth(smallestPositiveWealth(state.wealthMultiples));
                else
                    m_form.hideWealth();
                return true;
            },
            [&](const step::RoomRules& r) {
                m_form.showRoomRules(r.shown);
                return true;
            },
            [&](const step::StartPicture& p) {
                m_form.showStartPicture(p.entry);
                return true;
            },
            [&](const step::PointsTakenCleared&) {
                for (QLabel* l : m_form.lbl_currDefen)
                    l->clear();
                return true;
            },
            [&](const step::Advertisement& a) {
                if (a.address.empty()) {
                    m_form.WebBrowser1->hide();
                } else {
                    m_form.WebBrowser1->navigate(QUrl(q(a.address)));
                    if (!m_form.WebBrowser1->pageFailed())
                        m_form.WebBrowser1->show();
                }
                return true;
            },
            [&](const step::Shuffle& sh) {
                if (sh.kind == step::Shuffle::LaidOut)
                    m_form.layOutShuffle();
                else if (sh.kind == step::Shuffle::Started)
                    m_form.startShuffle();
                else
                    m_form.stopShuffle();
                return true;
            },
            [&](const step::Notice& n) {
                showNotice(n);
                return true;
            },
            [&](const step::NoticeHidden&) {
                m_form.notice->hide();
                return true;
            },
            [&](const step::ExitConfirmHidden&) {
                m_form.exitConfirm->hide();
                return true;
            },
            [&](const step::ExitWarning& w) {
                if (m_form.exitConfirm->isVisible()) {
                    m_form.exitConfirm->setWarning(q(w.text));
                    m_form.exitConfirm->adjustSize();
                }
                return true;
            },
            [&](const step::StatusLineWithdrawn& l) {
                if (m_form.sysmsg(l.line) == q(l.text))
                    m_form.clearSysmsg(l.line);
                return true;
            },
            [&](const step::SessionRecordCleared&) {
                m_form.hero->clearRecord();
                m_form.hero->hide();
                return true;
            },
            [&](const step::SessionRecordSeatCleared& c) {
                m_form.hero->ID[c.seat]->clear();
                m_form.hero->Tou[c.seat]->clear();
                return true;
            },
            [&](const step::SessionRecordShown&) {
                centreOver(m_form.hero, &m_form);
                m_form.keepOwnTurnFree(m_form.hero);
                m_form.hero->show();
                return true;
            },
            [&](const step::SessionRecordHidden&) {
                m_form.hero->hide();
                return true;
            },
            [&](const step::ChatLineCleared&) {
                m_form.Chat->clear();
                return true;
            },
            [&](const step::TableMinimised&) {
                m_form.showMinimized();
                return true;
            },
            [&](const step::TableBroughtUp&) {
                if (m_form.isMinimized())
                    m_form.showNormal();
                m_form.raise();
                m_form.activateWindow();
                return true;
            },
            [&](const auto&) { return false; },
        },
        s);
}

void SessionView::showNotice(const step::Notice& n) {
    if (!n.text.empty())
        m_form.notice->setText(q(n.text));
    if (n.onlyInSight && m_form.isMinimized())
        return;
    centreOver(m_form.notice, &m_form);
    if (n.topmost)
        setTopmost(m_form.notice, true);
    m_form.notice->show();
    m_form.notice->raise();
}

void SessionView::toggleExitConfirmation() {
    ExitConfirm* w = m_form.exitConfirm;
    if (w->isVisible()) {
        w->hide();
        return;
    }
    w->setWarning(q(m_model.exitWarning()));
    centreOver(w, &m_form);
    setTopmost(w, true);
    if (hideScoreSheet)
        hideScoreSheet();
    m_form.hero->hide();
    w->show();
    w->raise();
}

void SessionView::toggleSessionRecord() {
    centreOver(m_form.hero, &m_form);
    m_form.keepOwnTurnFree(m_form.hero);
    if (m_form.hero->isVisible()) {
        m_form.hero->hide();
    } else {
        m_form.hero->show();
        m_form.hero->raise();
    }
}

void closeTableWindows(MainForm& form) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &form && w->isWindow())
            w->close();
}

}  // namespace vexal
