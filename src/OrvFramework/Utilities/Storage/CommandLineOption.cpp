#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

namespace Orv {

bool GetCommandLineOption(std::u16string_view commandLine, std::u16string_view name, String& value) {
    value.clear();
    if (name.size() < 2 || name.front() != u'-') return false;

    // Upper-casing maps one code unit to one, so positions in the copy are positions in the line.
    const std::u16string upper = ToUpper(commandLine);
    const std::size_t at = upper.find(name);
    if (at == std::u16string::npos) return false;
    const std::size_t end = at + name.size();

    if (name.back() != u'=') return end == commandLine.size() || commandLine[end] == u' ';

    if (end == commandLine.size()) return true;  // "NAME=" closing the line: present, empty
    if (commandLine[end] == u' ') return false;
    if (commandLine[end] == u'"') {
        const std::size_t close = commandLine.find(u'"', end + 1);
        if (close == std::u16string_view::npos) {
            value.assign(commandLine.substr(end));
        } else {
            value.assign(commandLine.substr(end + 1, close - end - 1));
        }
        return true;
    }
    const std::size_t blank = commandLine.find(u' ', end);
    value.assign(commandLine.substr(end, blank == std::u16string_view::npos ? std::u16string_view::npos
                                                                            : blank - end));
    return true;
}

DebugConsoleRequest ReadDebugConsoleOption(std::u16string_view commandLine) {
    DebugConsoleRequest request;
    const std::string text = ToUpper(Utf16ToUtf8(commandLine));
    if (text.find("-DEBUG_CONSOLE") == std::string::npos) return request;

    static constexpr std::string_view kWithPort = "-DEBUG_CONSOLE:";
    const std::size_t found = text.find(kWithPort);
    if (found == std::string::npos) {
        request.action = DebugConsoleRequest::Action::OpenConsole;
        return request;
    }
    const std::size_t start = found + kWithPort.size();
    std::size_t stop = text.find(' ', start);
    if (stop == std::string::npos) stop = text.size();
    std::size_t colon = text.find(':', start);
    if (colon == std::string::npos || colon > stop) colon = stop;
    if (colon < start + 2) return request;

    request.action = DebugConsoleRequest::Action::NetworkTarget;
    request.port = AToI(std::string_view(text).substr(start, colon - start));
    if (colon + 1 < stop) request.host = text.substr(colon + 1, stop - colon - 1);
    return request;
}

String BuildCommandLine(std::span<const char* const> argv) {
    String line;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (i > 0) line += u' ';
        const bool hasBlank = arg.find(' ') != std::string_view::npos;
        if (i == 0) {
            line += hasBlank ? u"\"" + Utf8ToUtf16(arg) + u"\"" : Utf8ToUtf16(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        // Only "-NAME=value" with a blank in the value and no quote of its own is quoted.
        const bool quote = hasBlank && arg.size() > 1 && arg.front() == '-' &&
                           equals != std::string_view::npos &&
                           arg.substr(0, equals).find(' ') == std::string_view::npos &&
                           arg.substr(equals + 1).find(' ') != std::string_view::npos &&
                           (equals + 1 == arg.size() || arg[equals + 1] != '"');
        if (quote) {
            line += Utf8ToUtf16(arg.substr(0, equals + 1));
            line += u'"';
            line += Utf8ToUtf16(arg.substr(equals + 1));
            line += u'"';
        } else {
            line += Utf8ToUtf16(arg);
        }
    }
    return line;
}

}  // namespace Orv
