#pragma once
// The process-wide trace output. Trace text goes to the debugger output (standard error on this
// platform), or to a UDP listener once a network port is set, or straight to the console's error
// stream once the console is opened ("-DEBUG_CONSOLE").
//
// The tracer takes no lock: its streams belong to the thread that writes them, as they always have.
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Orv {

namespace Platform {
class UdpSocket;
}

// Where "debugger output" goes. Standard error unless replaced (tests, embedding hosts).
using DebuggerOutputFn = std::function<void(std::string_view)>;
void WriteDebuggerOutput(std::string_view text);
// Replaces the debugger output; an empty function restores standard error. Answers the old one.
DebuggerOutputFn SetDebuggerOutput(DebuggerOutputFn fn);

// printf-style formatting into a string of exactly the needed size.
std::string FormatNarrow(const char* format, std::va_list args);
// The same for a wide format: %s and %c take wide (char16_t) text as on the original platform,
// %S and %C narrow text; everything else as printf. The result is UTF-8.
std::string FormatWide(const char16_t* format, std::va_list args);

class DebugTracer {
public:
    DebugTracer();
    virtual ~DebugTracer();
    DebugTracer(const DebugTracer&) = delete;
    DebugTracer& operator=(const DebugTracer&) = delete;

    // The process's tracer.
    static DebugTracer& Instance();

    // Text whose level is not greater than the tracer's level is formatted, written to the current
    // stream (the Line variants add "\n") and flushed.
    virtual void Trace(int level, const char16_t* format, ...);
    virtual void Trace(int level, const char* format, ...);
    virtual void TraceLine(int level, const char16_t* format, ...);
    virtual void TraceLine(int level, const char* format, ...);

    // A port of 1 or more sends flushed text to host:port over UDP; an absent host keeps the stored
    // one. Ports above 65535 do not name a listener and leave the text on the debugger output.
    void SetNetworkTarget(const std::optional<std::string>& host, int port);
    // Trace text goes straight to standard error from now on.
    void OpenConsole();
    bool IsConsoleOpen() const { return m_consoleOpen; }

    int GetLevel() const { return m_level; }
    void SetLevel(int level) { m_level = level; }
    const std::string& GetHost() const { return m_host; }
    int GetPort() const { return m_port; }
    bool HasSocket() const;

    // Sends narrow text to the network target, making the socket (and sending the launch banner)
    // on first use. Answers the bytes sent, or a negative error code.
    int SendToNetwork(std::string_view text);

private:
    void Emit(int level, const std::string& text, bool line);
    void FlushDebugBuffer(std::string& buffer);

    std::string m_narrowBuffer;
    std::string m_wideBuffer;  // wide text, already converted to UTF-8
    bool m_consoleOpen = false;
    std::string m_host;
    int m_port = -1;
    int m_level = 1;

    std::unique_ptr<Platform::UdpSocket> m_socket;
    bool m_addressResolved = false;
    std::uint32_t m_address = 0;  // host order
};

// The debug-console option of a command line (matched without regard to case):
// "-DEBUG_CONSOLE:port[:host]" sets the network target when the port part has at least two
// characters; a plain "-DEBUG_CONSOLE" opens the console. Answers what it did.
enum class DebugConsoleOption { None, Console, Network, Ignored };
DebugConsoleOption ApplyDebugConsoleOption(std::string_view commandLine, DebugTracer& tracer);

}  // namespace Orv
