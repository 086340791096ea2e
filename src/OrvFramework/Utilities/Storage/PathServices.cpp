#include "OrvFramework/Utilities/Storage/PathServices.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Orv::PathServices {

namespace fs = std::filesystem;

namespace {

fs::path NativePath(const String& path) { return fs::path(Utf16ToUtf8(path)); }

fs::file_type TypeOf(const String& path) {
    std::error_code error;
    return path.empty() ? fs::file_type::none : fs::status(NativePath(path), error).type();
}

}  // namespace

bool CreateFolder(const String& path) {
    if (path.empty()) return false;
    std::error_code error;
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (path[i] == u'/' || path[i] == u'\\') fs::create_directory(NativePath(path.substr(0, i)), error);
    }
    fs::create_directory(NativePath(path), error);
    return FolderExists(path);
}

String CleanFileName(const String& name) {
    static constexpr std::u16string_view kUnsafe = u"\\/:*?\"<>|&;,^()";
    String out = name;
    for (char16_t& c : out)
        if (kUnsafe.find(c) != std::u16string_view::npos) c = u'_';
    return out;
}

bool FileExists(const String& path) {
    const fs::file_type type = TypeOf(path);
    return type != fs::file_type::none && type != fs::file_type::not_found && type != fs::file_type::directory;
}

bool FolderExists(const String& path) { return TypeOf(path) == fs::file_type::directory; }

String GetLongPath(const String& path) {
    std::error_code error;
    if (path.empty()) return path;
    const fs::path resolved = fs::canonical(NativePath(path), error);
    return error ? path : String(Utf8ToUtf16(resolved.string()));
}

struct DirectoryListing::Position {
    fs::directory_iterator at;
    bool started = false;
};

DirectoryListing::DirectoryListing() = default;
DirectoryListing::~DirectoryListing() = default;

ORVRESULT DirectoryListing::First(const String& folder, String& name) {
    m_position.reset();
    std::error_code error;
    fs::directory_iterator at(NativePath(folder), error);
    if (error) return E_FAIL;
    m_position = std::make_unique<Position>();
    m_position->at = std::move(at);
    return Next(name);
}

ORVRESULT DirectoryListing::Next(String& name) {
    if (!m_position) return E_FAIL;
    // The iterator skips "." and "..".
    if (m_position->started) {
        std::error_code error;
        m_position->at.increment(error);
        if (error) return E_FAIL;
    }
    m_position->started = true;
    if (m_position->at == fs::directory_iterator()) return E_NO_MORE_FILES;
    name = String(Utf8ToUtf16(m_position->at->path().filename().string()));
    return S_OK;
}

std::vector<String> ListFolder(const String& folder) {
    std::vector<String> names;
    DirectoryListing listing;
    String name;
    for (ORVRESULT r = listing.First(folder, name); r == S_OK; r = listing.Next(name)) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace Orv::PathServices
