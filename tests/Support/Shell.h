#pragma once
// A file read whole, and a shell command run with its output collected.
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

// The file's bytes; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A path of the build tree as this system's own calls take it (under Wine: with its drive letter).
inline std::string NativePath(const std::string& path) { return std::filesystem::absolute(path).string(); }

// Text as this system's programs write it, with plain line feeds (Windows ends lines in CR LF).
inline std::string WithLineFeeds(std::string text) {
#ifdef _WIN32
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
#endif
    return text;
}

struct ShellRun {
    int status = -1;  // -1 when the command did not end normally
    std::string output;
};

// One word for the command line, however many spaces it holds (no quotes inside).
inline std::string ShellQuote(const std::string& word) {
#ifdef _WIN32
    return "\"" + word + "\"";
#else
    return "'" + word + "'";
#endif
}

// Standard error is folded into the output.
inline ShellRun Shell(const std::string& command) {
    ShellRun run;
#ifdef _WIN32
    // cmd /c drops the first and the last quote of its line when there are more than two.
    FILE* pipe = ::_popen(("\"" + command + " 2>&1\"").c_str(), "rb");
#else
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
#endif
    if (pipe == nullptr) return run;
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) run.output.append(block, n);
#ifdef _WIN32
    run.status = ::_pclose(pipe);  // the command's own exit status
    run.output = WithLineFeeds(std::move(run.output));
#else
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    return run;
}
