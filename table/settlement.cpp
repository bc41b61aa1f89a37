// The round's end: collecting the four settlement records, the score sheet, the coins and
// levels, the session record, the statistics file and the ready countdown.
#include "table/round.h"

#include "media/anigif.h"
#include "media/inifile.h"
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

void RoundTable::OnRoundEnd(const CommandFrame& frame) {
    hideCountdown();
    m_services.armPlayCountdown(false);
    score->clearLists();
    const SettlementRecord rec = decodeSettlement(frame);
    const int r = m_session.relativeOf(rec.seatBit);
    trace("settlement-record", QStringLiteral("seat %1").arg(r));
    m_records[static_cast<size_t>(r)] = rec;
    m_coinUnit = rec.coinUnit;
    if (++m_recordCount < 4)
        return;
    m_recordCount = 0;
    ShowSettlement();
}

void RoundTable::ShowSettlement() {
    SettlementInput in;
    in.records = m_records;
    for (size_t r = 0; r < 4; ++r) {
        // A seat's own bit follows from the own seat: relative seat r sits r places after it.
        const int ownSeat = bitIndex(m_session.own.seatBit);
        in.seatBits[r] = static_cast<uint8_t>(1u << ((ownSeat + static_cast<int>(r)) & 3));
        in.bombs[r] = m_round.bombs[r];
        in.initialCoins[r] = m_round.initialCoins[r];
    }
    in.wealthOn = m_session.lastWealthMultiple != 0 && m_round.wealthText != "0" && !m_round.wealthText.empty();
    in.wealthText = m_round.wealthText;
    in.note = m_round.settlementNote;
    in.noteAlone = m_round.noteAlone;
    const SettlementSheet sheet = buildSettlementSheet(in);

    for (QLabel* s : shanImage)
        s->hide();
    for (QLabel* b : finishBadge)
        b->hide();
    for (int r = 0; r < 4; ++r)
        hidePassMark(r);
    // The opponents' remaining cards are revealed, sorted by strength.
    for (int r = 1; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        Hand& h = m_round.hands[rs];
        const auto& held = m_records[rs].heldCards;
        h.count = static_cast<int16_t>(std::min<size_t>(held.size(), kHandSlots));
        for (int i = 0; i < h.count; ++i)
            h.codes[static_cast<size_t>(i)] = held[static_cast<size_t>(i)];
        (void)SortbyBig(h, h.count);
        hideShown(r);
        const int w = otherCardWidth();
        for (int i = 0; i < h.count; ++i) {
            // The seat's unplayed images are exactly as many as its remaining cards.
            const int image = std::min(m_round.nextFreeImage[rs] + i, kCardImagesPerSeat - 1);
            QLabel* c = cardImage[rs][static_cast<size_t>(image)];
            if (!setCardImage(c, h.codes[static_cast<size_t>(i)]))
                return;
            c->setGeometry(qRound(handFanLeft(h.anchorX, h.count, i, sx(), w)), h.anchorY, w, otherCardHeight());
            c->show();
            c->raise();
        }
    }

    for (int j = 0; j < 8; ++j)
        score->setLines(j, sheet.lists[static_cast<size_t>(j)]);
    for (int r = 0; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        score->setListColour(r, sheet.colours[rs]);
        score->setListColour(r + 4, sheet.colours[rs]);
        score->ID[rs]->setStyleSheet(sheet.red[rs] ? QStringLiteral("color: rgb(255, 0, 0);")
                                                   : QStringLiteral("color: rgb(0, 0, 0);"));
        PlayerRecord& p = m_session.players[rs];
        p.coins = std::max<int64_t>(0, p.coins + sheet.coinChange[rs]);
        if (sheet.win[rs])
            ++p.wins;
        else
            ++p.losses;
        m_form.hero->Grade[rs]->addItem(QString::fromStdString(sheet.gradeLines[rs]));
        if (sheet.coinChange[rs] != 0 || sheet.win[rs]) {
            const int64_t sum = m_form.hero->sunScore[rs]->text().toLongLong() + sheet.coinChange[rs];
            m_form.hero->sunScore[rs]->setText(QString::number(sum));
        }
        const int level = m_records[rs].level;
        if (level >= 1 && level <= 40) {
            m_form.Level[rs]->setText(QString::fromStdString(levelTitle(level)));
            m_form.Level[rs]->raise();
        }
    }
    ++m_session.roundCounter;
    m_form.hero->Num->addItem(QStringLiteral("%1").arg(m_session.roundCounter, 12));
    for (int r = 0; r < 4; ++r)
        m_form.Cash[static_cast<size_t>(r)]->setText(
            QString::number(m_session.players[static_cast<size_t>(r)].coins) +
            (m_coinUnit == kCoinUnitCoins ? QStringLiteral("金币") : QStringLiteral("金条")));

    if (!m_session.awayMode && sheet.roar) {
        bombPlayer->LoadAnimatedGIF_Array(gifResourceBytes(sheet.roarerWon ? picture::kWin : picture::kLose));
        bombPlayer->setLoops(1);
        bombPlayer->resize(bombPlayer->ActualWidth(), bombPlayer->ActualHeight());
        const QRect centre = m_form.units(512, 370, 0, 0);
        bombPlayer->move(centre.left() - bombPlayer->width() / 2, centre.top() - bombPlayer->height() / 2);
        bombPlayer->show();
        bombPlayer->raise();
        bombPlayer->setAction(1);
        m_bombEnd.start(4000);
        UcDiZhu->hide();
        if (m_sound && m_sound->effectsOn())
            m_sound->playTableEffect(sheet.roarerWon ? SoundEffect::Win : SoundEffect::Lose);
    }
    m_form.setSysmsg(0, QStringLiteral("请点击【继续】按钮继续游戏！"));
    m_form.setSysmsg(1, QStringLiteral("游戏将在15秒内开始"));
    m_session.startDisarmed = false;
    m_form.showStartPicture(6);
    m_session.roundRunning = false;
    m_session.ready = false;
    if (sheet.roar)
        m_services.wait(2000);

    score->adjustSize();
    centreOver(score, &m_form);
    for (int r = 0; r < 4; ++r) {
        const size_t rs = static_cast<size_t>(r);
        score->ID[rs]->setText(QString::fromStdString(m_session.players[rs].nickname));
        score->Tou[rs]->setPixmap(tablePicture(kPortraitPicture + m_session.players[rs].portraitIndex));
    }
    score->show();
    score->raise();
    WriteRoundFile(m_session.roundCounter);
    if (!screenshotPrefix.isEmpty())
        screenshotScore();
    if (traceEnabled())
        for (int j = 0; j < 8; ++j)
            trace("score", QStringLiteral("%1: %2").arg(j).arg(score->lines(j).join(QLatin1Char('|'))));

    if (!m_session.launch.spectator) {
        const int seconds = m_session.awayMode ? 2 : 15;
        m_services.startReadyCountdown(seconds);
        showCountdownNumber(seconds, false);
        placeReadyClock();
    }
    if (effectsOn())
        m_sound->playTableEffect(SoundEffect::RoundEndSheet);
    // The round is over: the seats are counted afresh from the next seat information on, and a
    // departure that waited for the sheet goes through now.
    m_session.playersPresent = 0;
    m_services.scoreSheetHandled();
}

void RoundTable::WriteRoundFile(int round) {
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < 4; ++i) {
        const size_t is = static_cast<size_t>(i);
        keys.emplace_back("name" + num(i), m_session.players[is].nickname);
        keys.emplace_back("PicIndex" + num(i), std::to_string(m_session.players[is].portraitIndex));
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

void RoundTable::ShowPastRound(int round) {
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
}

void RoundTable::toggleScoreSheet() {
    if (score->isVisible()) {
        score->hide();
        return;
    }
    ShowPastRound(m_session.roundCounter);
    centreOver(score, &m_form);
    score->show();
    score->raise();
}

}  // namespace vexal
