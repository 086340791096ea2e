#pragma once
// File and terminal services that need the operating system's own calls.
//
// Contract: callable from any thread; nothing throws and nothing blocks on a device or a FIFO.
// Paths are UTF-8. Failures answer null or false with the reason where one is asked for; a file
// that is refused is left as it was. A new backend implements every function here; the Linux one
// is Posix/Files.cpp, built as a small library of its own (the settings plug-in links it too).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace Orv::Platform {

// A UTF-8 path for the standard library's files: on Windows a plain narrow string would be read in
// the ANSI code page, and a user's folder named in another script would not open.
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Opens a regular file of at most maxBytes for reading as a text stream. Anything else (a
// missing file, a directory, a FIFO, a device node, a larger file) is refused without blocking and
// without opening a device node; `reason` then says why ("the file does not exist", "not a regular
// file but a FIFO", "the file is N bytes; <what> is at most M bytes", ...).
std::FILE* OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes, const char* what,
                                     std::string& reason);

// Replaces the file at path with `contents` as a whole or not at all: the text goes to a new
// temporary file beside it under a name nobody can guess (made exclusively, so that nothing planted
// there is written through), reaches the disk, and is renamed over the file. False when any step
// fails; the old file is then untouched and no temporary file is left behind.
bool ReplaceFileContents(const std::string& path, std::string_view contents);

// Plain file access for OrvFile (the names keep clear of the Win32 API and its macros). A handle
// is the backend's own (a descriptor, a HANDLE); kNoFile is the value no open file has.
// Interrupted calls are retried inside.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;
struct FileOpenMode {
    bool readWrite = false;  // otherwise read only
    bool create = false;     // make the file when missing (never truncates)
    bool exclusive = false;  // with create: fail when it exists
};
FileHandle FileOpen(const std::string& path, FileOpenMode mode);
void FileClose(FileHandle file);
bool FileRemove(const std::string& path);
// -1 on failure.
std::int64_t FileLength(FileHandle file);
bool FileSeek(FileHandle file, std::int64_t position);
// Up to count bytes (fewer only at the end of the file); -1 on failure.
std::int64_t FileRead(FileHandle file, void* buffer, std::size_t count);
// All count bytes, or -1 on failure.
std::int64_t FileWrite(FileHandle file, const void* buffer, std::size_t count);

// Whether standard error is a terminal (a status line that rewrites itself belongs only there).
bool StandardErrorIsTerminal();

}  // namespace Orv::Platform
