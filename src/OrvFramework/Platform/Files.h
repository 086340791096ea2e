#pragma once
// File and terminal services that need the operating system's own calls; the backend lives in
// Platform/Posix/.
#include <cstdint>
#include <cstdio>
#include <string>

namespace Orv::Platform {

// Opens a regular file of at most maxBytes for reading as a text stream. Anything else (a
// missing file, a directory, a FIFO, a device node, a larger file) is refused without blocking and
// without opening a device node; `reason` then says why ("the file does not exist", "not a regular
// file but a FIFO", "the file is N bytes; <what> is at most M bytes", ...).
std::FILE* OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes, const char* what,
                                     std::string& reason);

// Whether standard error is a terminal (a status line that rewrites itself belongs only there).
bool StandardErrorIsTerminal();

}  // namespace Orv::Platform
