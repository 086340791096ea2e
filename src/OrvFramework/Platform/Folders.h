#pragma once
// Where the program finds itself and keeps its data.
//
// Contract: called from any thread, usually once at start-up; nothing here throws except
// GetApplicationFolder for an unknown ID. Answers are absolute paths with '/' between levels and
// without a trailing '/'. A folder that cannot be found answers a sensible fallback (the home
// folder, /tmp) rather than nothing, except GetModuleFolder, which answers empty when the program
// cannot find itself. The Get*DataFolder and GetDocumentsFolder functions create the folder when it
// is missing and answer it even when that fails. A new backend provides GetModuleFolder,
// GetHomeFolder, GetAllUsersDataFolder, GetLocalDataFolder and GetDocumentsFolder (its platform's
// shell folders); the folder table and CreateFolderLevels are shared (Folders.cpp).
//
// The Linux backend (Linux/Folders.cpp) follows the XDG layout:
//   module folder      the folder of /proc/self/exe
//   all-users data     /var/lib when this user may write there, else the local data folder
//   local data         $XDG_DATA_HOME, else ~/.local/share
//   documents          `xdg-user-dir DOCUMENTS`, else ~/Documents
#include <string>
#include <string_view>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv::Platform {

// Creates every missing level of path; true when it exists as a folder afterwards.
bool CreateFolderLevels(const std::string& path);

std::string GetModuleFolder();
std::string GetHomeFolder();
// These three create the folder when it is missing (answer it even when that fails).
std::string GetAllUsersDataFolder();
std::string GetLocalDataFolder();
std::string GetDocumentsFolder();

// The application's folder table, path IDs 0 to 4:
//   0 module folder, 1 "::" (the resource folder), 2 all-users data + "/" + company + "/" + product,
//   3 the same under local data, 4 documents. Company and product are cleaned first; missing levels
//   of 2 and 3 are created. Another ID throws Out of Range "Unknown Path ID.".
Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName, std::u16string_view productName);

// The same table over given base folders (tests, or a program that keeps its data elsewhere).
struct FolderRoots {
    std::string module;
    std::string allUsersData;
    std::string localData;
    std::string documents;
};
Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName, std::u16string_view productName,
                                 const FolderRoots& roots);

}  // namespace Orv::Platform
