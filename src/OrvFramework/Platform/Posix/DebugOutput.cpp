#include "OrvFramework/Platform/DebugOutput.h"

#include <cstdio>

namespace Orv::Platform {

void WriteDebuggerText(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool OpenTraceConsole() { return true; }

}  // namespace Orv::Platform
