// The seat-change animation shown while the server forms a table with random seats.
#include "table/mainform.h"

namespace vexal {

QString MainForm::shuffleText(int index) {
    return QStringLiteral("正在随机换座中") + QString(index + 2, QLatin1Char('.'));
}

void MainForm::layOutShuffle() {
    ImgShuffle->raise();
    LblShuffle->raise();
}

void MainForm::startShuffle() {
    ImgShuffle->show();
    LblShuffle->show();
    ImgShuffle->raise();
    LblShuffle->raise();
    LblShuffle->setText(shuffleText(0));
    TimerShuffle->start(300);
    if (!m_state.seatChangePage.empty()) {
        WebBrowser2->navigate(QUrl(QString::fromStdString(m_state.seatChangePage)));
        WebBrowser2->show();
        WebBrowser2->raise();
    }
}

void MainForm::stopShuffle() {
    TimerShuffle->stop();
    ImgShuffle->hide();
    LblShuffle->hide();
    WebBrowser2->hide();
}

void MainForm::shuffleTick() {
    LblShuffle->setText(shuffleText(m_state.shuffleTextIndex));
    if (++m_state.shuffleTextIndex > 3)
        m_state.shuffleTextIndex = 0;
}

bool MainForm::shuffleShown() const { return m_state.shuffleStarted || !ImgShuffle->isHidden(); }

}  // namespace vexal
