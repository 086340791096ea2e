#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

namespace Orv {

namespace {

// Where an option name may begin: the start of the line, or just after a blank that is not inside
// a double-quoted value. A name inside a value or a path ("/x/a -SILENT b") is never an option.
template <class Text>
bool IsArgumentStart(const Text& line, std::size_t at, bool quoted) {
    return at == 0 || (line[at - 1] == ' ' && !quoted);
}

// The first place where `name` begins an argument and ends where a name may end: at a blank, an
// '=', the end of the line or one of `alsoEnds`; npos when there is none. `upper` is the line
// upper-cased (one code unit per code unit, so positions match).
template <class Text, class Name>
std::size_t FindOptionName(const Text& upper, const Name& name, std::string_view alsoEnds = {}) {
    bool quoted = false;
    for (std::size_t at = 0; at + name.size() <= upper.size(); ++at) {
        if (at > 0 && upper[at - 1] == '"') quoted = !quoted;
        if (!IsArgumentStart(upper, at, quoted) || upper.compare(at, name.size(), name) != 0) continue;
        if (name.back() == '=') return at;
        const std::size_t end = at + name.size();
        if (end == upper.size() || upper[end] == ' ' || upper[end] == '=' ||
            (upper[end] < 0x80 && alsoEnds.find(static_cast<char>(upper[end])) != std::string_view::npos))
            return at;
    }
    return Text::npos;
}

}  // namespace

bool GetCommandLineOption(std::u16string_view commandLine, std::u16string_view name, String& value) {
    value.clear();
    if (name.size() < 2 || name.front() != u'-') return false;

    // Upper-casing maps one code unit to one, so positions in the copy are positions in the line.
    const std::u16string upper = ToUpper(commandLine);
    const std::size_t at = FindOptionName(upper, std::u16string(name));
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
    value.assign(commandLine.substr(end, blank == std::u16string_view::npos ? std::u16string_view::npos : blank - end));
    return true;
}

DebugConsoleRequest ReadDebugConsoleOption(std::u16string_view commandLine) {
    DebugConsoleRequest request;
    const std::string text = ToUpper(Utf16ToUtf8(commandLine));
    static constexpr std::string_view kName = "-DEBUG_CONSOLE";
    const std::size_t found = FindOptionName(text, std::string(kName), ":");
    if (found == std::string::npos) return request;
    if (found + kName.size() == text.size() || text[found + kName.size()] != ':') {
        request.action = DebugConsoleRequest::Action::OpenConsole;
        return request;
    }
    const std::size_t start = found + kName.size() + 1;
    std::size_t stop = text.find(' ', start);
    if (stop == std::string::npos) stop = text.size();
    std::size_t colon = text.find(':', start);
    if (colon == std::string::npos || colon > stop) colon = stop;
    if (colon < start + 2) {
        request.action = DebugConsoleRequest::Action::Ignored;
        return request;
    }

    request.action = DebugConsoleRequest::Action::NetworkTarget;
    request.port = AToI(std::string_view(text).substr(start, colon - start));
    if (colon + 1 < stop) request.host = text.substr(colon + 1, stop - colon - 1);
    return request;
}

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (!argv || !argv[i]) continue;
        const std::string_view arg = argv[i];
        if (!line.empty()) line += ' ';
        if (arg.find(' ') == std::string_view::npos || arg.find('"') != std::string_view::npos) {
            line += arg;
            continue;
        }
        // Every argument with a blank is quoted, so that nothing inside it can begin an option.
        const std::size_t equals = arg.find('=');
        if (arg.size() > 1 && arg[0] == '-' && equals != std::string_view::npos && arg.find(' ') > equals) {
            line += arg.substr(0, equals + 1);
            line += '"';
            line += arg.substr(equals + 1);
            line += '"';
        } else {
            line += '"';
            line += arg;
            line += '"';
        }
    }
    return line;
}

}  // namespace Orv
