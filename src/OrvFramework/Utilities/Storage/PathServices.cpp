#include "OrvFramework/Utilities/Storage/PathServices.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace Orv::PathServices {

bool CreateFolder(const String& path) {
    if (path.empty()) return false;
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (path[i] == u'/' || path[i] == u'\\') ::mkdir(Utf16ToUtf8(path.substr(0, i)).c_str(), 0777);
    }
    ::mkdir(Utf16ToUtf8(path).c_str(), 0777);
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
    struct stat st {};
    return !path.empty() && ::stat(Utf16ToUtf8(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const String& path) {
    struct stat st {};
    return !path.empty() && ::stat(Utf16ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

String GetLongPath(const String& path) {
    char resolved[PATH_MAX];
    if (path.empty() || ::realpath(Utf16ToUtf8(path).c_str(), resolved) == nullptr) return path;
    return String(Utf8ToUtf16(resolved));
}

DirectoryListing::~DirectoryListing() {
    if (m_dir) ::closedir(static_cast<DIR*>(m_dir));
}

ORVRESULT DirectoryListing::First(const String& folder, String& name) {
    if (m_dir) ::closedir(static_cast<DIR*>(m_dir));
    m_dir = ::opendir(Utf16ToUtf8(folder).c_str());
    if (m_dir == nullptr) return E_FAIL;
    return Next(name);
}

ORVRESULT DirectoryListing::Next(String& name) {
    if (m_dir == nullptr) return E_FAIL;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(static_cast<DIR*>(m_dir));
        if (entry == nullptr) return errno == 0 ? E_NO_MORE_FILES : E_FAIL;
        const std::string_view n = entry->d_name;
        if (n == "." || n == "..") continue;
        name = String(Utf8ToUtf16(n));
        return S_OK;
    }
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
