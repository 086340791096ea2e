#pragma once
// Small services over file-system paths.
#include <memory>
#include <vector>

#include "OrvFramework/ObjectBase/ResultCodes.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv::PathServices {

// The end of a directory listing (the "no more files" code, 18).
inline constexpr ORVRESULT E_NO_MORE_FILES = static_cast<ORVRESULT>(0x80070012u);

// Creates every folder along the path (failures along the way are ignored); answers whether the
// path exists afterwards.
bool CreateFolder(const String& path);
// Replaces each of \ / : * ? " < > | & ; , ^ ( ) with "_".
String CleanFileName(const String& name);
// True when the path can be examined and is not a directory.
bool FileExists(const String& path);
bool FolderExists(const String& path);
// The absolute, resolved form of an existing path; the path itself when it cannot be resolved.
String GetLongPath(const String& path);

// A directory listing: First, then Next until E_NO_MORE_FILES. "." and ".." are left out. Any
// other failure answers 0x80004005.
class DirectoryListing {
public:
    DirectoryListing();
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    ORVRESULT First(const String& folder, String& name);
    ORVRESULT Next(String& name);

private:
    struct Position;
    std::unique_ptr<Position> m_position;
};

// Every entry name of a folder, sorted; empty when it cannot be listed.
std::vector<String> ListFolder(const String& folder);

}  // namespace Orv::PathServices
