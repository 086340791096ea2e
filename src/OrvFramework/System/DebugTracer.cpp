#include "OrvFramework/System/DebugTracer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "OrvFramework/Platform/DebugOutput.h"
#include "OrvFramework/Platform/UdpSocket.h"
#include "OrvFramework/Utilities/Storage/CommandLineOption.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

namespace {

std::mutex g_outputLock;
DebuggerOutputFn g_debuggerOutput;

void WriteStderr(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::size_t Length16(const char16_t* s) {
    std::size_t n = 0;
    while (s[n]) ++n;
    return n;
}

}  // namespace

void WriteDebuggerOutput(std::string_view text) {
    DebuggerOutputFn fn;
    {
        std::lock_guard lock(g_outputLock);
        fn = g_debuggerOutput;
    }
    if (fn)
        fn(text);
    else
        Platform::WriteDebuggerText(text);
}

DebuggerOutputFn SetDebuggerOutput(DebuggerOutputFn fn) {
    std::lock_guard lock(g_outputLock);
    std::swap(fn, g_debuggerOutput);
    return fn;
}

std::string FormatNarrow(const char* format, std::va_list args) {
    if (!format) return {};
    std::va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed <= 0) return {};
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

namespace {

// snprintf for one conversion whose directive is already narrow.
template <class T>
std::string FormatOne(const std::string& directive, T value) {
    const int needed = std::snprintf(nullptr, 0, directive.c_str(), value);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed) + 1, '\0');
    std::snprintf(out.data(), out.size(), directive.c_str(), value);
    out.resize(static_cast<std::size_t>(needed));
    return out;
}

}  // namespace

std::string FormatWide(const char16_t* format, std::va_list args) {
    if (!format) return {};
    std::va_list ap;
    va_copy(ap, args);
    std::string out;
    const std::u16string_view f(format, Length16(format));
    std::size_t i = 0;
    while (i < f.size()) {
        const std::size_t percent = f.find(u'%', i);
        out += Utf16ToUtf8(f.substr(i, percent == std::u16string_view::npos ? f.npos : percent - i));
        if (percent == std::u16string_view::npos) break;
        i = percent + 1;
        if (i < f.size() && f[i] == u'%') {
            out += '%';
            ++i;
            continue;
        }
        // flags, width, precision (each may be '*'), length, conversion
        std::string directive = "%";
        auto takeDigitsOrStar = [&] {
            if (i < f.size() && f[i] == u'*') {
                directive += std::to_string(va_arg(ap, int));
                ++i;
                return;
            }
            while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') directive += static_cast<char>(f[i++]);
        };
        while (i < f.size() && std::u16string_view(u"-+ #0").find(f[i]) != f.npos)
            directive += static_cast<char>(f[i++]);
        takeDigitsOrStar();
        if (i < f.size() && f[i] == u'.') {
            directive += '.';
            ++i;
            takeDigitsOrStar();
        }
        std::string length;
        while (i < f.size() && std::u16string_view(u"hlLqjzt").find(f[i]) != f.npos)
            length += static_cast<char>(f[i++]);
        if (i >= f.size()) break;  // a lone '%' at the end prints nothing
        const char16_t conv = f[i++];
        const bool longArg = length == "l",
                   longLong = length == "ll" || length == "q" || length == "j" || length == "z" || length == "t";
        switch (conv) {
        case u'd':
        case u'i':
            out += longLong  ? FormatOne(directive + "lld", va_arg(ap, long long))
                   : longArg ? FormatOne(directive + "ld", va_arg(ap, long))
                             : FormatOne(directive + "d", va_arg(ap, int));
            break;
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            const char c = static_cast<char>(conv);
            out += longLong  ? FormatOne(directive + "ll" + c, va_arg(ap, unsigned long long))
                   : longArg ? FormatOne(directive + "l" + c, va_arg(ap, unsigned long))
                             : FormatOne(directive + c, va_arg(ap, unsigned));
            break;
        }
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G':
        case u'a':
        case u'A': {
            const char c = static_cast<char>(conv);
            out += length == "L" ? FormatOne(directive + "L" + c, va_arg(ap, long double))
                                 : FormatOne(directive + c, va_arg(ap, double));
            break;
        }
        case u'p':
            out += FormatOne(directive + "p", va_arg(ap, void*));
            break;
        case u'c':
        case u'C': {
            const int c = va_arg(ap, int);
            const std::string text = (conv == u'C' || length == "h")
                                         ? std::string(1, static_cast<char>(c))
                                         : Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c)));
            out += FormatOne(directive + "s", text.c_str());
            break;
        }
        case u's':
        case u'S': {
            std::string text;
            if (conv == u'S' || length == "h") {
                const char* s = va_arg(ap, const char*);
                text = s ? s : "(null)";
            } else {
                const char16_t* s = va_arg(ap, const char16_t*);
                text = s ? Utf16ToUtf8(std::u16string_view(s, Length16(s))) : "(null)";
            }
            out += FormatOne(directive + "s", text.c_str());
            break;
        }
        default:
            // Unknown conversion: written as it stands, no argument taken.
            out += directive + length + Utf16ToUtf8(std::u16string(1, conv));
            break;
        }
    }
    va_end(ap);
    return out;
}

DebugTracer::DebugTracer() : m_socket(std::make_unique<Platform::UdpSocket>()) {}

DebugTracer::~DebugTracer() = default;

bool DebugTracer::HasSocket() const { return m_socket->IsOpen(); }

DebugTracer& DebugTracer::Instance() {
    static DebugTracer tracer;
    return tracer;
}

void DebugTracer::FlushDebugBuffer(std::string& buffer) {
    if (buffer.empty()) return;
    if (m_port >= 1 && m_port <= 65535) {
        SendToNetwork(buffer);
    } else {
        WriteDebuggerOutput(buffer);
    }
    buffer.clear();
}

void DebugTracer::Emit(int level, const std::string& text, bool wide) {
    if (m_consoleOpen) {
        WriteStderr(text);
        return;
    }
    std::string& buffer = wide ? m_wideBuffer : m_narrowBuffer;
    buffer += text;
    FlushDebugBuffer(buffer);
}

void DebugTracer::Trace(int level, const char16_t* format, ...) {
    if (level > m_level) return;
    std::va_list args;
    va_start(args, format);
    std::string text = FormatWide(format, args);
    va_end(args);
    Emit(level, text, true);
}

void DebugTracer::Trace(int level, const char* format, ...) {
    if (level > m_level) return;
    std::va_list args;
    va_start(args, format);
    std::string text = FormatNarrow(format, args);
    va_end(args);
    Emit(level, text, false);
}

void DebugTracer::TraceLine(int level, const char16_t* format, ...) {
    if (level > m_level) return;
    std::va_list args;
    va_start(args, format);
    std::string text = FormatWide(format, args);
    va_end(args);
    Emit(level, text + "\n", true);
}

void DebugTracer::TraceLine(int level, const char* format, ...) {
    if (level > m_level) return;
    std::va_list args;
    va_start(args, format);
    std::string text = FormatNarrow(format, args);
    va_end(args);
    Emit(level, text + "\n", false);
}

void DebugTracer::SetNetworkTarget(const std::optional<std::string>& host, int port) {
    if (host && *host != m_host) {
        m_host = *host;
        m_addressResolved = false;
    }
    if (port != m_port) m_addressResolved = false;
    m_port = port;
}

void DebugTracer::OpenConsole() {
    // Whatever sat in the debug buffers goes out first so no text is lost. Without a console (a
    // window program on Windows) the trace stays with the debugger.
    if (!Platform::OpenTraceConsole()) return;
    FlushDebugBuffer(m_narrowBuffer);
    FlushDebugBuffer(m_wideBuffer);
    m_consoleOpen = true;
}

int DebugTracer::SendToNetwork(std::string_view text) {
    if (!m_addressResolved) {
        std::optional<std::uint32_t> address = Platform::ResolveIPv4(m_host);
        if (!address) address = Platform::ResolveIPv4(Platform::LocalHostName());
        m_address = address ? *address : Platform::kIPv4Loopback;
        m_addressResolved = true;
        int error = 0;
        if (!m_socket->Open(&error)) return error;
        // A new listener learns first who is talking.
        const std::string addressText = Platform::FormatIPv4(m_address);
        for (const char* part : {"*** APPLICATION Launched on ", addressText.c_str(), "***\n"}) SendToNetwork(part);
    }
    if (text.empty()) return m_socket->IsOpen() ? 0 : -EBADF;
    return m_socket->SendTo(m_address, static_cast<std::uint16_t>(m_port), text);
}

DebugConsoleOption ApplyDebugConsoleOption(std::string_view commandLine, DebugTracer& tracer) {
    // The same reader as every other option, so that "-DEBUG_CONSOLE" inside a path or a value is
    // never taken for the option.
    const DebugConsoleRequest request = ReadDebugConsoleOption(Utf8ToUtf16(commandLine));
    switch (request.action) {
    case DebugConsoleRequest::Action::OpenConsole:
        tracer.OpenConsole();
        return DebugConsoleOption::Console;
    case DebugConsoleRequest::Action::NetworkTarget:
        tracer.SetNetworkTarget(request.host, request.port);
        return DebugConsoleOption::Network;
    case DebugConsoleRequest::Action::Ignored:
        return DebugConsoleOption::Ignored;
    case DebugConsoleRequest::Action::None:
        break;
    }
    return DebugConsoleOption::None;
}

}  // namespace Orv
