#include "OrvFramework/Platform/Folders.h"

#include <filesystem>
#include <system_error>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Utilities/Storage/PathServices.h"

namespace Orv::Platform {

namespace fs = std::filesystem;

bool CreateFolderLevels(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    fs::create_directories(Utf8Path(path), ec);
    return fs::is_directory(Utf8Path(path), ec);
}

namespace {

template <class RootOf>
Orv::String ApplicationFolder(int pathId, std::u16string_view companyName, std::u16string_view productName,
                              RootOf rootOf) {
    auto underData = [&](const std::string& base) {
        const std::string folder =
            base + "/" + Utf16ToUtf8(PathServices::CleanFileName(Orv::String(std::u16string(companyName)))) + "/" +
            Utf16ToUtf8(PathServices::CleanFileName(Orv::String(std::u16string(productName))));
        CreateFolderLevels(folder);
        return folder;
    };
    switch (pathId) {
    case 0:
        return W(rootOf(0));
    case 1:
        return W("::");
    case 2:
    case 3:
        return W(underData(rootOf(pathId)));
    case 4: {
        const std::string folder = rootOf(4);
        CreateFolderLevels(folder);
        return W(folder);
    }
    default:
        ORV_THROW(OutOfRange, "Unknown Path ID.", "Orv::MFCFrameworkApp<class LApplication>::GetFolder", __LINE__);
    }
}

}  // namespace

Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName, std::u16string_view productName) {
    // Only the root the ID needs is looked up: each lookup may create a folder.
    return ApplicationFolder(pathId, companyName, productName, [](int id) {
        switch (id) {
        case 0:
            return GetModuleFolder();
        case 2:
            return GetAllUsersDataFolder();
        case 3:
            return GetLocalDataFolder();
        default:
            return GetDocumentsFolder();
        }
    });
}

Orv::String GetApplicationFolder(int pathId, std::u16string_view companyName, std::u16string_view productName,
                                 const FolderRoots& roots) {
    return ApplicationFolder(pathId, companyName, productName, [&roots](int id) {
        switch (id) {
        case 0:
            return roots.module;
        case 2:
            return roots.allUsersData;
        case 3:
            return roots.localData;
        default:
            return roots.documents;
        }
    });
}

}  // namespace Orv::Platform
