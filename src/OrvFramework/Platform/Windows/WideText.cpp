#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform::Windows {

std::wstring ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::string FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string PathFromWide(std::wstring_view wide) {
    std::string path = FromWide(wide);
    for (char& c : path)
        if (c == '\\') c = '/';
    // "C:/" keeps its slash: without it the path would name the current folder of drive C.
    while (path.size() > 1 && path.back() == '/' && !(path.size() == 3 && path[1] == ':')) path.pop_back();
    return path;
}

std::string ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? FromWide(std::wstring_view(buffer, length)) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return (text.empty() ? "error" : text) + " (code " + std::to_string(code) + ")";
}

}  // namespace Orv::Platform::Windows
