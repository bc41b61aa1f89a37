// Cost of the session core's per-tick and per-start work: a busy scheduler tick, reading the
// launch string, and one INI key read or write on a quick-phrase-sized file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "core/launchparams.h"
#include "core/scheduler.h"
#include "core/inifile.h"

namespace vexal {
namespace {

class StillClock : public Clock {
public:
    float secondsSinceMidnight() const override { return now += 0.05f; }
    mutable float now = 0;
};

// Every task has work; the host's own steps cost nothing, so the figure is the table's overhead.
class BusyHost : public SchedulerHost {
public:
    bool loggedIn() const override { return true; }
    bool roundRunning() const override { return true; }
    bool callingTurn() const override { return true; }
    bool socketConnected() const override { return true; }
    bool lobbyWindowExists() const override { return true; }
    bool sendStep() override { return true; }
    ReceiveOutcome receiveStep() override { return {true, true}; }
    void postToLobby(int) override {}
    void writeLoginFrame() override {}
    void notifyPluginConnection(bool) override {}
    void showChatButton(bool) override {}
    bool seatBubbleShown() const override { return true; }
    void hideSeatBubble() override {}
    void callCountdownTick() override {}
    void playCountdownTick() override {}
    int countdown() const override { return 10; }
    void setCountdown(int) override {}
    void showReadyCountdown(int, CountdownColour, bool) override {}
    void readyCountdownTimedOut(bool) override {}
    void startReconnect() override {}
    void lobbyMissing() override {}
    void connectionSilent() override {}
    void endProcess() override {}
    void propTask() override {}
    void chestCountdownTick() override {}
    void refreshOwnVideo() override {}
};

void BM_SchedulerTick(benchmark::State& state) {
    BusyHost host;
    StillClock clock;
    Scheduler scheduler(host, clock);
    for (auto _ : state) {
        scheduler.arm(Task::Send);
        scheduler.arm(Task::Receive, 1);
        scheduler.arm(Task::PlayCountdown);
        scheduler.arm(Task::ConnectionWatch, 1);
        scheduler.tick();
    }
}
BENCHMARK(BM_SchedulerTick);

void BM_ParseLaunchParameters(benchmark::State& state) {
    const std::string line =
        "张三$密码$game.example$6000$12345二号房间$5$127.0.0.1$1080$用户$pass$1$我的大厅$第一桌$1$7$";
    for (auto _ : state) benchmark::DoNotOptimize(parseLaunchParameters(line));
}
BENCHMARK(BM_ParseLaunchParameters);

// A file like the quick-phrase list: one section of 60 Chinese phrases.
struct IniFixture {
    std::filesystem::path dir;
    classIniFile ini;
    IniFixture() {
        dir = std::filesystem::temp_directory_path() / ("vexal-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(dir);
        ini.setINIFileName((dir / "chat.ini").string());
        for (int i = 0; i < 60; ++i)
            ini.WriteIniKey("chat", "phrase" + std::to_string(i), "大家好，很高兴见到各位！第" + std::to_string(i) + "句");
    }
    ~IniFixture() { std::filesystem::remove_all(dir); }
};

void BM_GetIniKey(benchmark::State& state) {
    IniFixture f;
    for (auto _ : state) benchmark::DoNotOptimize(f.ini.GetIniKey("chat", "phrase59"));
}
BENCHMARK(BM_GetIniKey);

void BM_WriteIniKey(benchmark::State& state) {
    IniFixture f;
    int i = 0;
    for (auto _ : state) f.ini.WriteIniKey("chat", "phrase30", std::to_string(++i));
}
BENCHMARK(BM_WriteIniKey);

}  // namespace
}  // namespace vexal
