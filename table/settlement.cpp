// The round's end on the table: the score sheet, the coins and levels on the panels, the session
// record, and the statistics file of past rounds.
#include "table/round.h"

#include "media/anigif.h"
#include "core/inifile.h"
#include "media/resources.h"
#include "media/sound.h"
#include "platform/trace.h"
#include "rules/sort.h"
#include "table/mainform.h"
#include "table/pictures.h"
#include "table/score.h"
#include "model/session.h"
#include "table/widgets.h"
#include "table/windows.h"

namespace vexal {

namespace {
std::string section(int round) { return "juNum:" + std::to_string(round); }
std::string num(int i) { return "( " + std::to_string(i) + " )"; }
// The file keeps colours with red in the low byte (red is 255); swapping is its own inverse.
uint32_t storedColour(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }
}  // namespace

void RoundView::showScoreSheet(const SettlementSheet& sheet) {
    const SessionState& session = m_model.session();
    const auto& records = m_model.records();
    score->clearLists();
    for (int j = 0; j < 8; ++j)
        score->setLines(j, sheet.lists[static_cast<size_t>(j)]);
    for (int r = 0; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        score->setListColour(r, sheet.colours[rs]);
        score->setListColour(r + 4, sheet.colours[rs]);
        score->ID[rs]->setStyleSheet(sheet.red[rs] ? QStringLiteral("color: rgb(255, 0, 0);")
                                                   : QStringLiteral("color: rgb(0, 0, 0);"));
        // The session record: each round's result line and the running sum of coins won.
        m_form.hero->Grade[rs]->addItem(QString::fromStdString(sheet.gradeLines[rs]));
        if (sheet.coinChange[rs] != 0 || sheet.win[rs]) {
            const int64_t sum = m_form.hero->sunScore[rs]->text().toLongLong() + sheet.coinChange[rs];
            m_form.hero->sunScore[rs]->setText(QString::number(sum));
        }
        const int level = records[rs].level;
        if (level >= 1 && level <= 40) {
            m_form.Level[rs]->setText(QString::fromStdString(levelTitle(level)));
            m_form.Level[rs]->raise();
        }
    }
    m_form.hero->Num->addItem(QStringLiteral("%1").arg(session.roundCounter, 12));
    for (int r = 0; r < 4; ++r)
        m_form.Cash[static_cast<size_t>(r)]->setText(
            QString::fromStdString(cashText(session.players[static_cast<size_t>(r)].coins, m_model.coinUnit())));
    m_form.showStartPicture(6);

    for (int r = 0; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        score->ID[rs]->setText(QString::fromStdString(session.players[rs].nickname));
        score->Tou[rs]->setPixmap(tablePicture(kPortraitPicture + session.players[rs].portraitIndex));
    }
    score->fitLines(m_form.size());
    centreOver(score, &m_form);
    score->show();
    score->raise();
    writeRoundFile(session.roundCounter);
    if (traceEnabled())
        for (int j = 0; j < 8; ++j)
            trace("score", QStringLiteral("%1: %2").arg(j).arg(score->lines(j).join(QLatin1Char('|'))));
}

void RoundView::writeRoundFile(int round) {
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < 4; ++i) {
        const size_t is = static_cast<size_t>(i);
        keys.emplace_back("name" + num(i), m_model.session().players[is].nickname);
        keys.emplace_back("PicIndex" + num(i), std::to_string(m_model.session().players[is].portraitIndex));
    }
    for (int j = 0; j < 8; ++j) {
        const QStringList lines = score->lines(j);
        keys.emplace_back("count" + num(j), std::to_string(lines.size()));
        for (int k = 0; k < lines.size(); ++k)
            keys.emplace_back("count" + num(j) + num(k), lines[k].toStdString());
    }
    for (int i = 0; i < 4; ++i)
        keys.emplace_back("count" + num(i) + " ForeColor", std::to_string(storedColour(score->listColour(i))));
    // The whole round in one rewrite of the file rather than one per key.
    classIniFile ini((programDir + QStringLiteral("/info.vx")).toStdString());
    if (!ini.WriteIniKeys(section(round), keys))
        trace("round-file", QStringLiteral("round %1 not wholly written").arg(round));
}

void RoundView::showPastRound(int round) {
    if (round == 0)
        return;
    classIniFile ini((programDir + QStringLiteral("/info.vx")).toStdString());
    const std::string s = section(round);
    for (int i = 0; i < 4; ++i) {
        const size_t is = static_cast<size_t>(i);
        score->ID[is]->setText(QString::fromStdString(ini.GetIniKey(s, "name" + num(i))));
        const int portrait = QString::fromStdString(ini.GetIniKey(s, "PicIndex" + num(i))).toInt();
        if (portrait >= 0 && portrait < 20)
            score->Tou[is]->setPixmap(tablePicture(kPortraitPicture + portrait));
    }
    for (int j = 0; j < 8; ++j) {
        const std::string count = ini.GetIniKey(s, "count" + num(j));
        if (count.empty())
            continue;
        const int n = std::max(0, std::atoi(count.c_str()));
        std::vector<std::string> lines;
        for (int k = 0; k < n; ++k) {
            std::string line = ini.GetIniKey(s, "count" + num(j) + num(k));
            lines.push_back(line.empty() ? " " : line);
        }
        score->setLines(j, lines);
    }
    for (int i = 0; i < 4; ++i) {
        const std::string colour = ini.GetIniKey(s, "count" + num(i) + " ForeColor");
        if (!colour.empty()) {
            const uint32_t rgb = storedColour(static_cast<uint32_t>(std::strtoul(colour.c_str(), nullptr, 10)));
            score->setListColour(i, rgb);
            score->setListColour(i + 4, rgb);
        }
    }
    score->fitLines(m_form.size());
}

void RoundView::showScoreBoard() {
    centreOver(score, &m_form);
    m_form.keepOwnTurnFree(score);
    score->show();
    score->raise();
}

void RoundView::toggleScoreSheet() {
    if (score->isVisible()) {
        score->hide();
        return;
    }
    showPastRound(m_model.session().roundCounter);
    centreOver(score, &m_form);
    m_form.keepOwnTurnFree(score);
    score->show();
    score->raise();
}

}  // namespace vexal
