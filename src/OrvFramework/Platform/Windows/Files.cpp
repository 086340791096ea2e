// rand_s: the C runtime's generator backed by the system's cryptographic one.
#define _CRT_RAND_S
#include <stdlib.h>

#include "OrvFramework/Platform/Files.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>

#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform {

namespace {

using Windows::SystemErrorText;
using Windows::ToWide;

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

std::string TooLarge(std::uint64_t size, std::uint64_t maxBytes, const char* what) {
    return "the file is " + std::to_string(size) + " bytes; " + what + " is at most " + std::to_string(maxBytes) +
           " bytes";
}

// What an opened handle is when it is not a file on a disk.
const char* HandleKind(DWORD type) {
    switch (type) {
    case FILE_TYPE_CHAR:
        return "a character device";
    case FILE_TYPE_PIPE:
        return "a pipe";
    default:
        return nullptr;
    }
}

// A name for a temporary file that nobody can guess beforehand.
std::wstring RandomSuffix() {
    static const wchar_t digits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring suffix;
    for (int i = 0; i < 12; ++i) {
        unsigned value = 0;
        if (rand_s(&value) != 0) value = GetTickCount() * 2654435761u + static_cast<unsigned>(i);
        suffix += digits[value % 36];
    }
    return suffix;
}

}  // namespace

std::FILE* OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes, const char* what,
                                     std::string& reason) {
    reason.clear();
    const std::wstring wide = ToWide(path);
    // Look before opening: opening a device (a HID device's path, a serial port, CON) can have
    // effects of its own, so only what the file system calls a plain file is opened at all.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &attributes)) {
        const DWORD error = GetLastError();
        reason = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                     ? "the file does not exist"
                     : "cannot open the file: " + SystemErrorText(error);
        return nullptr;
    }
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = "not a regular file but a directory";
        return nullptr;
    }
    if (attributes.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) {
        reason = "not a regular file but a device";
        return nullptr;
    }
    const HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = "cannot open the file: " + SystemErrorText(GetLastError());
        return nullptr;
    }
    // The opened object is checked again: something else may have been put in its place.
    LARGE_INTEGER size{};
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        const char* kind = HandleKind(type);
        reason = kind ? std::string("not a regular file but ") + kind : std::string("not a regular file");
    } else if (!GetFileSizeEx(handle, &size)) {
        reason = "cannot examine the file: " + SystemErrorText(GetLastError());
    } else if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        reason = TooLarge(static_cast<std::uint64_t>(size.QuadPart), maxBytes, what);
    }
    if (!reason.empty()) {
        CloseHandle(handle);
        return nullptr;
    }
    // Binary: the readers take CR LF themselves, and a text stream would end at a Ctrl+Z byte.
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        reason = "cannot read the file";
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file) {
        reason = "cannot read the file";
        _close(fd);
    }
    return file;
}

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
    const std::wstring target = ToWide(path);
    const std::wstring temp = target + L".tmp-" + RandomSuffix();
    // CREATE_NEW: a file planted under the name is never written through.
    const HANDLE handle =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < contents.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(handle, contents.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    ok = ok && FlushFileBuffers(handle);
    ok = CloseHandle(handle) && ok;
    if (ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temp.c_str());
    return false;
}

FileHandle FileOpen(const std::string& path, FileOpenMode mode) {
    const DWORD access = GENERIC_READ | (mode.readWrite ? GENERIC_WRITE : 0);
    const DWORD disposition = !mode.create ? OPEN_EXISTING : (mode.exclusive ? CREATE_NEW : OPEN_ALWAYS);
    const HANDLE handle =
        CreateFileW(ToWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

void FileClose(FileHandle file) {
    if (file != kNoFile) CloseHandle(ToHandle(file));
}

bool FileRemove(const std::string& path) { return DeleteFileW(ToWide(path).c_str()) != 0; }

std::int64_t FileLength(FileHandle file) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(ToHandle(file), &size) ? static_cast<std::int64_t>(size.QuadPart) : -1;
}

bool FileSeek(FileHandle file, std::int64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = position;
    return position >= 0 && SetFilePointerEx(ToHandle(file), to, nullptr, FILE_BEGIN) != 0;
}

std::int64_t FileRead(FileHandle file, void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(ToHandle(file), static_cast<char*>(buffer) + done, chunk, &read, nullptr)) return -1;
        if (read == 0) break;
        done += read;
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t FileWrite(FileHandle file, const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(ToHandle(file), static_cast<const char*>(buffer) + done, chunk, &written, nullptr) ||
            written == 0)
            return -1;
        done += written;
    }
    return static_cast<std::int64_t>(done);
}

bool StandardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace Orv::Platform
