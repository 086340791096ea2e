// The real program, silent, against the simulated Varnet, tracing to a UDP listener on loopback
// ("-DEBUG_CONSOLE:PORT:127.0.0.1"): the datagrams of a whole update name the options, the device,
// the decision, every row of the image, Exit and the restart check; standard error holds the
// outcome line alone and standard output nothing. (One line per datagram: the tracer's own test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "Support/ChildProcess.h"
#include "Support/ScopedEnvironment.h"
#include "Support/Shell.h"
#include "Support/TempFolder.h"
#include "Support/UdpListener.h"

namespace fs = std::filesystem;

namespace {

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

}  // namespace

TEST(TraceOverUdp, DatagramsTellAWholeSilentUpdate) {
#ifndef VARNET_UPDATER_EXE
    GTEST_SKIP() << "the program is not part of this build";
#else
    const fs::path exe = NativePath(VARNET_UPDATER_EXE);
    const fs::path image = exe.parent_path() / "Varnet1.0.2.cyacd";
    ASSERT_TRUE(fs::exists(image)) << "build the VarnetSampleImage target";
    // Private, as a runtime folder must be for the program to keep its lock there: in a folder open
    // to others it falls back to the one lock folder shared by every run of this user, and a run
    // elsewhere on the machine at the same time would make this one a second instance.
    const VarnetTest::TempFolder folder("varnet-trace-udp");
    const fs::path& work = folder.Path();
    VarnetTest::UdpListener listener;
    ASSERT_NE(listener.port, 0);
    const std::string port = std::to_string(listener.port);

    ScopedEnvironment env;
    env.Set("VARNET_DEVICE", "simulated").Set("VARNET_SIM_VERSION", "1.0.1").Set("VARNET_SIM_LATENCY_MS", "0");
    env.Set("VARNET_REGISTRY_DIR", (work / "registry").string()).Set("XDG_RUNTIME_DIR", work.string());
    env.Set("HOME", work.string()).Set("XDG_DATA_HOME", nullptr).Set("XDG_CONFIG_HOME", nullptr);
    VarnetTest::ChildProcess program;
    ASSERT_TRUE(program.Start({exe.string(), "-SILENT", "-DEBUG_CONSOLE:" + port + ":127.0.0.1"}, work / "stdout.txt",
                              work / "stderr.txt"));

    // Datagrams are read while the program runs, so that none is dropped from a full queue; the
    // whole run is bounded.
    Orv::Platform::IClock& clock = Orv::Platform::GetRealClock();
    const std::int64_t deadline = clock.NowMs() + 90000;
    std::vector<std::string> datagrams;
    std::optional<int> status;
    for (bool ended = false;;) {
        if (auto datagram = listener.Next(100)) {
            datagrams.push_back(*datagram);
            continue;
        }
        if (ended) break;  // ended, and nothing more arrived
        ended = (status = program.Status()).has_value();
        if (!ended && clock.NowMs() > deadline) {
            program.Kill();
            FAIL() << "the silent update did not end within 90 s";
        }
    }

    std::string all;
    for (const auto& d : datagrams) all += d;
    SCOPED_TRACE(all);
    EXPECT_EQ(status, 1);  // the program's status after any run
    EXPECT_EQ(ReadWholeFile(work / "stdout.txt"), "");
    EXPECT_EQ(WithLineFeeds(ReadWholeFile(work / "stderr.txt")), "varnet-updater: updated to 1.0.2\n");
    ASSERT_FALSE(datagrams.empty());
    EXPECT_EQ(datagrams.front(), "*** APPLICATION Launched on ");
    EXPECT_EQ(datagrams.back(), "engine: outcome: updated to 1.0.2\n");
    for (const std::string& text :
         {"app: option -DEBUG_CONSOLE -> trace as UDP to 127.0.0.1:" + port,
          std::string("engine: option -SILENT given"), std::string("pid=0x2036 interface=4 version=1.0.1"),
          std::string("engine: decision: update needed: device 1.0.1, target 1.0.2 (older)"),
          std::string("engine: Enter Bootloader: silicon id=0x"), std::string("engine: Exit Bootloader sent"),
          std::string("engine: restart check: the device restarted with version 1.0.2 after ")})
        EXPECT_TRUE(Has(datagrams, text)) << text;
    // The sample beside the program (named as the program's own system names it).
    const std::string pathLine = "engine: image path=";
    const auto named = std::find_if(datagrams.begin(), datagrams.end(),
                                    [&](const std::string& d) { return d.rfind(pathLine, 0) == 0; });
    ASSERT_NE(named, datagrams.end());
    std::error_code error;
    EXPECT_TRUE(fs::equivalent(named->substr(pathLine.size(), named->find('\n') - pathLine.size()), image, error))
        << *named;
    // Every row of the image ("array A row R" from its row lines), in order.
    std::ifstream rows(image);
    auto at = datagrams.begin();
    for (std::string line; std::getline(rows, line);) {
        if (line.size() < 7 || line[0] != ':') continue;
        const std::string row = "engine: row array=" + std::to_string(std::stoul(line.substr(1, 2), nullptr, 16)) +
                                " row=" + std::to_string(std::stoul(line.substr(3, 4), nullptr, 16)) + " verify=ok\n";
        at = std::find(at, datagrams.end(), row);
        ASSERT_NE(at, datagrams.end()) << "no datagram for " << row;
    }
    EXPECT_NE(at, datagrams.begin()) << "no rows";
#endif
}
