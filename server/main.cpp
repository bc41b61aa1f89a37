// vexal-server: the reference game server with bots, or in-process bot self-play.
#include <csignal>
#include <thread>
#include <iostream>
#include <random>
#include <string_view>

#include "server/netserver.h"
#include "server/options.h"
#include "server/selfplay.h"

using namespace vexal::server;

int main(int argc, char** argv) {
    std::string error;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    std::optional<Options> options = parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "vexal-server: " << error << '\n' << kUsage;
        return 2;
    }
    if (!options->seedGiven)
        options->hall.table.seed = std::random_device{}();
    Logger log(&std::cerr, options->logLevel);

    if (options->selfPlayRounds > 0) {
        auto started = Clock::now();
        SelfPlayTotals totals = runSelfPlay(options->selfPlayRounds, options->hall.table, log,
                                            [](const RoundSummary& s) { printRound(std::cout, s); });
        double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        printTotals(std::cout, totals);
        std::cout << "seed " << options->hall.table.seed << ", " << seconds << " s, "
                  << (seconds > 0 ? totals.rounds / seconds : 0.0) << " rounds/s\n";
        return totals.rounds == options->selfPlayRounds ? 0 : 1;
    }

    try {
        NetServer net(options->port, options->threads, options->hall, log);
        log.info("seed " + std::to_string(options->hall.table.seed) + ", " +
                 std::to_string(options->hall.tables) + " tables, " + std::to_string(net.threads()) +
                 (net.threads() == 1 ? " thread" : " threads"));
        std::cout << "listening on 127.0.0.1:" << net.port() << std::endl;
        net.run();
    } catch (const std::exception& e) {
        std::cerr << "vexal-server: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
