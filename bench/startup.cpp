// The real updater on a private X server with the simulated Varnet: time from fork to its first
// painted frame, and the processor time it takes while it sits idle on the welcome page.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "OrvFramework/Platform/Clock.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Orv::Platform::GetRealClock;

constexpr std::string_view kFirstFrameLine = "varnet-updater: first frame painted";
constexpr std::int64_t kServerStartTimeoutMs = 10000;
constexpr std::int64_t kFirstFrameTimeoutMs = 10000;
constexpr std::int64_t kStopTimeoutMs = 3000;
constexpr std::int64_t kIdleSettleMs = 1000;
constexpr std::int64_t kIdleWindowMs = 5000;

bool IsExecutableOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// Starts `argv` with exactly `environment`; stdin and stderr go to /dev/null, stdout to `stdoutFd`
// (or /dev/null when negative). `inheritFd` stays open in the child. -1 when fork fails.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int stdoutFd,
            int inheritFd) {
    // Everything the child needs is built before fork: only async-signal-safe calls after it.
    std::vector<char*> args, env;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : environment) env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);
    const bool searchPath = argv[0].find('/') == std::string::npos;

    const pid_t pid = fork();
    if (pid != 0) return pid;
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
        dup2(devNull, 0);
        dup2(devNull, 2);
        dup2(stdoutFd >= 0 ? stdoutFd : devNull, 1);
    }
    if (inheritFd >= 0) fcntl(inheritFd, F_SETFD, 0);
    if (searchPath)
        execvpe(args[0], args.data(), env.data());
    else
        execve(args[0], args.data(), env.data());
    _exit(127);
}

double CpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Ends a child and reaps it: SIGTERM first when `gently`, SIGKILL when it does not end in time.
// The processor time the child used in all (every thread), in seconds.
double Stop(pid_t pid, bool gently) {
    if (pid <= 0) return 0;
    auto& clock = GetRealClock();
    rusage usage{};
    if (gently) {
        kill(pid, SIGTERM);
        const std::int64_t deadline = clock.NowMs() + kStopTimeoutMs;
        while (clock.NowMs() < deadline) {
            if (wait4(pid, nullptr, WNOHANG, &usage) == pid) return CpuSeconds(usage);
            clock.SleepMs(5);
        }
    }
    kill(pid, SIGKILL);
    while (wait4(pid, nullptr, 0, &usage) < 0 && errno == EINTR) {
    }
    return CpuSeconds(usage);
}

// Reads `fd` until a whole line satisfies `accept` (true), the other end closes or the deadline
// passes (false). Lines before it are dropped.
template <class Accept>
bool WaitForLine(int fd, std::int64_t timeoutMs, Accept accept) {
    auto& clock = GetRealClock();
    const std::int64_t deadline = clock.NowMs() + timeoutMs;
    std::string pending;
    char buffer[512];
    for (;;) {
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            if (accept(std::string_view(pending).substr(0, end))) return true;
            pending.erase(0, end + 1);
        }
        const std::int64_t left = deadline - clock.NowMs();
        if (left <= 0) return false;
        pollfd readable{fd, POLLIN, 0};
        const int ready = poll(&readable, 1, static_cast<int>(std::min<std::int64_t>(left, 100)));
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) return false;
        if (n > 0) pending.append(buffer, static_cast<std::size_t>(n));
    }
}

// One Xvfb for the whole program, found on its -displayfd answer; ended at exit.
class XServer {
public:
    static XServer& Instance() {
        static XServer server;
        return server;
    }
    const std::string& Display() const { return m_display; }
    const std::string& Error() const { return m_error; }
    pid_t Pid() const { return m_pid; }

    ~XServer() { Stop(m_pid, true); }

private:
    XServer() {
        if (!IsExecutableOnPath("Xvfb")) {
            m_error = "Xvfb is not installed";
            return;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            m_error = "no pipe for Xvfb";
            return;
        }
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) environment.emplace_back(*e);
        m_pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                       "-noreset"},
                      environment, -1, fds[1]);
        close(fds[1]);
        std::string number;
        const bool answered = m_pid > 0 && WaitForLine(fds[0], kServerStartTimeoutMs, [&](std::string_view line) {
                                  number = std::string(line);
                                  return !number.empty();
                              });
        close(fds[0]);
        if (!answered || number.find_first_not_of("0123456789") != std::string::npos) {
            m_error = "Xvfb did not start";
            Stop(m_pid, false);
            m_pid = -1;
            return;
        }
        m_display = ":" + number;
    }

    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

// A private folder for the runs of one benchmark: HOME (and with it the font cache) is shared by
// its runs, the runtime folder and the registry are fresh for every start, as on a first start.
class PrivateRoot {
public:
    PrivateRoot() {
        std::string pattern = (fs::temp_directory_path() / "varnet-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) m_root = pattern;
    }
    ~PrivateRoot() {
        std::error_code ignored;
        if (!m_root.empty()) fs::remove_all(m_root, ignored);
    }
    bool Ok() const { return !m_root.empty(); }

    // The environment of one start: the caller's, without anything that would reach the user's own
    // session, display, settings or simulator choices.
    std::vector<std::string> Environment(const std::string& display) {
        const fs::path run = m_root / ("run" + std::to_string(++m_runs));
        std::error_code ignored;
        fs::create_directories(m_root / "home", ignored);
        fs::create_directories(run / "registry", ignored);
        fs::permissions(run, fs::perms::owner_all, ignored);
        std::vector<std::string> environment;
        for (char** e = environ; *e; ++e) {
            const std::string_view entry(*e);
            const std::string_view name = entry.substr(0, entry.find('='));
            if (name.starts_with("VARNET_") || name.starts_with("XDG_") || name.starts_with("SDL_") ||
                name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "XAUTHORITY" || name == "HOME")
                continue;
            environment.emplace_back(entry);
        }
        environment.push_back("DISPLAY=" + display);
        environment.push_back("SDL_VIDEODRIVER=x11");
        environment.push_back("HOME=" + (m_root / "home").string());
        environment.push_back("XDG_RUNTIME_DIR=" + run.string());
        environment.push_back("VARNET_REGISTRY_DIR=" + (run / "registry").string());
        environment.push_back("VARNET_DEVICE=simulated");
        environment.push_back("VARNET_REPORT_FIRST_FRAME=1");
        return environment;
    }

private:
    fs::path m_root;
    int m_runs = 0;
};

// The updater, started and waited for until its first frame is painted.
class Updater {
public:
    // Starts it; the time from fork to the first frame, or nothing (and `error`) when there was none.
    std::optional<double> Start(const std::vector<std::string>& environment, std::string& error) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            error = "no pipe for the updater";
            return std::nullopt;
        }
        m_output = fds[0];
        auto& clock = GetRealClock();
        const auto started = clock.Now();
        m_pid = Spawn({VARNET_UPDATER_EXE}, environment, fds[1], -1);
        close(fds[1]);
        if (m_pid <= 0) {
            error = "fork failed";
            return std::nullopt;
        }
        const bool painted =
            WaitForLine(m_output, kFirstFrameTimeoutMs, [](std::string_view line) { return line == kFirstFrameLine; });
        const auto elapsed = clock.Now() - started;
        if (!painted) {
            error = "no first frame within 10 s (or the updater ended)";
            return std::nullopt;
        }
        return std::chrono::duration<double>(elapsed).count();
    }
    pid_t Pid() const { return m_pid; }

    // Killed rather than asked: nothing of a start-up measurement needs saving. Answers the
    // processor time it used, start-up included.
    double Finish() {
        const double cpu = Stop(m_pid, false);
        m_pid = -1;
        // Open until the updater is gone, so that a late line never meets a closed pipe.
        if (m_output >= 0) close(m_output);
        m_output = -1;
        return cpu;
    }
    ~Updater() { Finish(); }

private:
    pid_t m_pid = -1;
    int m_output = -1;
};

bool CheckPrerequisites(benchmark::State& state, PrivateRoot& root) {
    if (!XServer::Instance().Error().empty()) {
        state.SkipWithError(XServer::Instance().Error().c_str());
        return false;
    }
    if (access(VARNET_UPDATER_EXE, X_OK) != 0) {
        state.SkipWithError("the updater executable is missing");
        return false;
    }
    if (!root.Ok()) {
        state.SkipWithError("no private folder");
        return false;
    }
    return true;
}

void BM_StartupToFirstFrame(benchmark::State& state) {
    PrivateRoot root;
    if (!CheckPrerequisites(state, root)) return;
    const std::string& display = XServer::Instance().Display();
    std::string error;
    // The first start fills the caches a user's machine already has warm (fonts, pages of the
    // executable): reported apart, not mixed into the mean.
    std::optional<double> cold;
    {
        Updater first;
        cold = first.Start(root.Environment(display), error);
    }
    if (!cold) {
        state.SkipWithError(error.c_str());
        return;
    }
    // Besides the wall time, the processor time of each start: on a busy machine the wall time
    // waits for other programs, the processor time does not.
    double fastest = 1e9, slowest = 0, cpu = 0;
    for (auto _ : state) {
        Updater updater;
        const std::optional<double> seconds = updater.Start(root.Environment(display), error);
        cpu += updater.Finish();
        if (!seconds) {
            state.SkipWithError(error.c_str());
            return;
        }
        state.SetIterationTime(*seconds);
        fastest = std::min(fastest, *seconds);
        slowest = std::max(slowest, *seconds);
    }
    state.counters["cold_ms"] = *cold * 1e3;
    state.counters["min_ms"] = fastest * 1e3;
    state.counters["max_ms"] = slowest * 1e3;
    state.counters["cpu_ms"] = cpu * 1e3 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Processor time of the whole process (every thread), in clock ticks; nothing when it is gone.
std::optional<long long> ProcessCpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return std::nullopt;
    // The command name may hold blanks and parentheses: the fields start after the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    long long utime = 0, stime = 0;
    // Field 3 (state) is the first after the name; utime and stime are fields 14 and 15.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) utime = std::atoll(field.c_str());
        if (number == 15) stime = std::atoll(field.c_str());
    }
    if (!fields) return std::nullopt;
    return utime + stime;
}

// Nanoseconds on a processor of every thread (finer than the clock ticks of /proc/PID/stat).
long long ProcessRunNanoseconds(pid_t pid) {
    long long total = 0;
    std::error_code ignored;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long ns = 0;
        if (schedstat >> ns) total += ns;
    }
    return total;
}

// Context switches of every thread: how often the process woke up.
long long ProcessContextSwitches(pid_t pid) {
    long long total = 0;
    std::error_code ignored;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored)) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.starts_with("voluntary_ctxt_switches:") || line.starts_with("nonvoluntary_ctxt_switches:"))
                total += std::atoll(line.c_str() + line.find(':') + 1);
        }
    }
    return total;
}

// The welcome page, left alone: share of one core over a 5 s window after a 1 s settling time.
void BM_IdleOnWelcomePage(benchmark::State& state) {
    PrivateRoot root;
    if (!CheckPrerequisites(state, root)) return;
    auto& clock = GetRealClock();
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    double percent = 0, exact = 0, wakeups = 0, server = 0;
    const pid_t xserver = XServer::Instance().Pid();
    for (auto _ : state) {
        Updater updater;
        std::string error;
        if (!updater.Start(root.Environment(XServer::Instance().Display()), error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        clock.SleepMs(kIdleSettleMs);
        const auto from = clock.Now();
        const auto ticksBefore = ProcessCpuTicks(updater.Pid());
        const long long switchesBefore = ProcessContextSwitches(updater.Pid());
        const long long runBefore = ProcessRunNanoseconds(updater.Pid());
        const long long serverBefore = ProcessRunNanoseconds(xserver);
        clock.SleepMs(kIdleWindowMs);
        const auto ticksAfter = ProcessCpuTicks(updater.Pid());
        const long long switchesAfter = ProcessContextSwitches(updater.Pid());
        const long long runAfter = ProcessRunNanoseconds(updater.Pid());
        const long long serverAfter = ProcessRunNanoseconds(xserver);
        const double wall = std::chrono::duration<double>(clock.Now() - from).count();
        if (!ticksBefore || !ticksAfter) {
            state.SkipWithError("the updater ended while idle");
            return;
        }
        state.SetIterationTime(wall);
        percent = 100.0 * static_cast<double>(*ticksAfter - *ticksBefore) / static_cast<double>(ticksPerSecond) / wall;
        wakeups = static_cast<double>(switchesAfter - switchesBefore) / wall;
        exact = 100.0 * static_cast<double>(runAfter - runBefore) * 1e-9 / wall;
        server = 100.0 * static_cast<double>(serverAfter - serverBefore) * 1e-9 / wall;
    }
    // cpu_percent: utime + stime; run_percent: the same from the scheduler's nanoseconds; the X
    // server's share is what the updater's drawing and wake-ups make it do.
    state.counters["cpu_percent"] = percent;
    state.counters["run_percent"] = exact;
    state.counters["xserver_percent"] = server;
    state.counters["switches_per_s"] = wakeups;
}
BENCHMARK(BM_IdleOnWelcomePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
