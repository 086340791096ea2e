#pragma once
// A program started with this process's environment and its standard output and error in files,
// looked at without blocking, so that the caller bounds the wait on its own clock.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifndef _WIN32
extern char** environ;
#endif

namespace VarnetTest {

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child still running is killed: a failed test leaves nothing behind.
    ~ChildProcess() {
        if (!m_status) Kill();
#ifdef _WIN32
        if (m_process) ::CloseHandle(m_process);
#endif
    }

    // False when the program could not be started. Arguments hold no quotes.
    bool Start(const std::vector<std::string>& args, const std::filesystem::path& out,
               const std::filesystem::path& err) {
#ifdef _WIN32
        std::wstring line;
        // Quoted only where a blank would split it, as a driver package writes its options.
        for (const std::string& a : args) {
            const std::wstring word = Wide(a);
            if (!line.empty()) line += L' ';
            line += a.empty() || a.find(' ') != std::string::npos ? L"\"" + word + L"\"" : word;
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        auto create = [&](const std::filesystem::path& path) {
            return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        };
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = create(out);
        startup.hStdError = create(err);
        PROCESS_INFORMATION info{};
        const bool started =
            startup.hStdOutput != INVALID_HANDLE_VALUE && startup.hStdError != INVALID_HANDLE_VALUE &&
            ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
        for (HANDLE h : {startup.hStdOutput, startup.hStdError})
            if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
        if (!started) return false;
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        return true;
#else
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const bool started = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        return started;
#endif
    }

    // The exit status once the program has ended (-1 when it did not end by itself); nothing while
    // it runs.
    std::optional<int> Status() {
        if (m_status) return m_status;
#ifdef _WIN32
        DWORD code = 0;
        if (m_process && ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0 && ::GetExitCodeProcess(m_process, &code))
            m_status = static_cast<int>(code);
#else
        int raw = 0;
        if (m_pid > 0 && ::waitpid(m_pid, &raw, WNOHANG) == m_pid) m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
        return m_status;
    }

    void Kill() {
#ifdef _WIN32
        if (!m_process) return;
        ::TerminateProcess(m_process, 255);
        ::WaitForSingleObject(m_process, 10000);
#else
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
#endif
        m_status = -1;
    }

private:
#ifdef _WIN32
    static std::wstring Wide(const std::string& text) {
        std::wstring wide(text.size() + 1, L'\0');
        const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
        wide.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);
        return wide;
    }
    HANDLE m_process = nullptr;
#else
    pid_t m_pid = -1;
#endif
    std::optional<int> m_status;
};

}  // namespace VarnetTest
