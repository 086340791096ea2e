// The real program, silent, against the simulated Varnet, tracing to a UDP listener on loopback
// ("-DEBUG_CONSOLE:PORT:127.0.0.1"): the datagrams of a whole update name the options, the device,
// the decision, every row of the image, Exit and the restart check; standard error holds the
// outcome line alone and standard output nothing. (One line per datagram: the tracer's own test.)
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "Support/Shell.h"

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
    const fs::path exe = VARNET_UPDATER_EXE;
    const fs::path image = exe.parent_path() / "Varnet1.0.2.cyacd";
    ASSERT_TRUE(fs::exists(image)) << "build the VarnetSampleImage target";
    // Private, as a runtime folder must be for the program to keep its lock there: in a folder open
    // to others it falls back to the one lock folder shared by every run of this user, and a run
    // elsewhere on the machine at the same time would make this one a second instance.
    std::string pattern = (fs::temp_directory_path() / "varnet-trace-udp-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path work = pattern;

    const int listener = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));

    std::vector<std::string> args = {exe.string(), "-SILENT", "-DEBUG_CONSOLE:" + port + ":127.0.0.1"};
    std::vector<std::string> env = {"VARNET_DEVICE=simulated",
                                    "VARNET_SIM_VERSION=1.0.1",
                                    "VARNET_SIM_LATENCY_MS=0",
                                    "VARNET_REGISTRY_DIR=" + (work / "registry").string(),
                                    "XDG_RUNTIME_DIR=" + work.string(),
                                    "HOME=" + work.string(),
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& e : env) envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (work / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (work / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Datagrams are read while the program runs, so that none is dropped from a full queue; the
    // whole run is bounded.
    Orv::Platform::IClock& clock = Orv::Platform::GetRealClock();
    const std::int64_t deadline = clock.NowMs() + 90000;
    std::vector<std::string> datagrams;
    int status = -1;
    for (bool ended = false;;) {
        pollfd fd{listener, POLLIN, 0};
        if (::poll(&fd, 1, 100) > 0) {
            char buffer[65536];
            const ssize_t n = ::recv(listener, buffer, sizeof buffer, 0);
            if (n > 0) datagrams.emplace_back(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (ended) break;  // ended, and nothing more arrived
        ended = ::waitpid(pid, &status, WNOHANG) == pid;
        if (!ended && clock.NowMs() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the silent update did not end within 90 s";
        }
    }
    ::close(listener);

    std::string all;
    for (const auto& d : datagrams) all += d;
    SCOPED_TRACE(all);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);  // the program's status after any run
    EXPECT_EQ(ReadWholeFile(work / "stdout.txt"), "");
    EXPECT_EQ(ReadWholeFile(work / "stderr.txt"), "varnet-updater: updated to 1.0.2\n");
    ASSERT_FALSE(datagrams.empty());
    EXPECT_EQ(datagrams.front(), "*** APPLICATION Launched on ");
    EXPECT_EQ(datagrams.back(), "engine: outcome: updated to 1.0.2\n");
    for (const std::string& text :
         {"app: option -DEBUG_CONSOLE -> trace as UDP to 127.0.0.1:" + port,
          std::string("engine: option -SILENT given"), "engine: image path=" + image.string(),
          std::string("pid=0x2036 interface=4 version=1.0.1"),
          std::string("engine: decision: update needed: device 1.0.1, target 1.0.2 (older)"),
          std::string("engine: Enter Bootloader: silicon id=0x"), std::string("engine: Exit Bootloader sent"),
          std::string("engine: restart check: the device restarted with version 1.0.2 after ")})
        EXPECT_TRUE(Has(datagrams, text)) << text;
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
    fs::remove_all(work);
#endif
}
