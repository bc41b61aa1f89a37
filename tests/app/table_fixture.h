// The table window with its main loop, driven by crafted server frames through the real dispatcher:
// the fixture the app tests share.
#pragma once

#include "app/mainloop.h"
#include "app/startup.h"
#include "net/frame.h"
#include "net/messages/login.h"
#include "net/messages/seating.h"
#include "net/messages/settlement.h"
#include "platform/windowbus.h"
#include "table/mainform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

namespace vexal::apptest {

class FixedClock : public Clock {
public:
    float secondsSinceMidnight() const override { return now; }
    float now = 1000;
};

template <typename Pred>
bool pumpUntil(Pred done, int passes = 400) {
    for (int i = 0; i < passes && !done(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

SeatInfo seat(const std::string& account, int seatNumber, int64_t coins, uint32_t wealth = 0) {
    SeatInfo s;
    s.nickname = "昵称" + account;
    s.account = account;
    s.title = "新手";
    s.level = "第一级";
    s.coins = coins;
    s.seatBit = seatBit(seatNumber);
    s.wealthMultiple = wealth;
    s.faceCode = "w2";
    return s;
}

class TableWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // Refused logins and spectator ends show boxes; here they answer themselves.
        qputenv("VEXAL_AUTO_ANSWER", "1");
        loop = std::make_unique<MainLoop>(state, form, WindowBus(busFolder(dir.path())), clock);
        loop->endProcessHook = [this] { ++ended; };
        loop->waitHook = [](int) {};
        loop->pauseHook = [](int) {};
        // No lobby title: restoring and minimising the lobby do nothing (a named lobby that is
        // missing would end the session).
        loop->setLobbyTitle(QString());
        state.launch.propSwitch = 0;
    }
    void dispatch(const CommandFrame& f) { loop->dispatcher().Dispatch(f); }

    // Frames as the socket hands them over: all in one go, into the ReceiveRing.
    void arrive(std::initializer_list<CommandFrame> frames) {
        std::vector<uint8_t> bytes;
        for (const CommandFrame& f : frames)
            bytes.insert(bytes.end(), f.begin(), f.end());
        ASSERT_TRUE(acceptGameBytes(loop->transport(), bytes));
    }
    // Receive-task runs until nothing more is taken; the commands dispatched, in order.
    std::vector<int> drain() {
        std::vector<int> taken;
        for (int run = 0; run < 64; ++run) {
            const size_t before = loop->transport().receiveRing.used();
            if (before < kFrameSize)
                break;
            const int command = loop->transport().receiveRing.peek(kCommandByte);
            loop->receiveStep();
            if (loop->transport().receiveRing.used() == before)
                break;  // held back
            taken.push_back(command);
        }
        return taken;
    }
    // The four settlement records of a plain round lost by the own side (own seat 2).
    std::vector<CommandFrame> settlement() {
        std::vector<CommandFrame> out;
        for (int seatNo : {2, 3, 0, 1}) {
            SettlementRecord rec;
            rec.seatBit = seatBit(seatNo);
            rec.stake = 100;
            rec.place = static_cast<uint8_t>(seatNo + 1);
            rec.subtotal = rec.finalAmount = 100;
            rec.subtotalGain = rec.finalGain = seatNo % 2 == 1;
            rec.callerBit = 8;
            rec.partnerBit = 2;
            rec.level = 1;
            out.push_back(encode(rec));
        }
        return out;
    }

    // Own seat 2 (bit 4): seats 2, 3, 0, 1 are relative 0, 1, 2, 3.
    void seatFour(uint32_t ownWealth = 0) {
        dispatch(encode(LoginAnswer{4, 20, 1, ""}));
        const std::pair<const char*, int> players[4] = {{"me", 2}, {"next", 3}, {"opp", 0}, {"last", 1}};
        uint32_t wealth[4] = {ownWealth, 3, 0, 2};
        for (int i = 0; i < 4; ++i) {
            SeatInfo s = seat(players[i].first, players[i].second, 10000 * (i + 1), wealth[i]);
            s.addresseeBit = 4;
            dispatch(encode(s));
        }
    }

    QTemporaryDir dir;
    SessionState state;
    MainForm form{state};
    FixedClock clock;
    std::unique_ptr<MainLoop> loop;
    int ended = 0;
};

}  // namespace vexal::apptest
