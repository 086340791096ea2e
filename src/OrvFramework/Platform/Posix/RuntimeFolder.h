#pragma once
// The private folder that holds the single-instance lock and socket.
#include <string>

namespace Orv::Platform {

// xdgRuntimeDir when it is a folder (not a link) owned by this user and closed to everyone else (no
// group or other permission bits); otherwise fallbackParent + "/varnet-updater-<uid>", created with
// mode 0700 when missing, and refused when it is a link, not a folder, another user's or open to
// others. Empty, with the reason in *error, when there is no such folder.
std::string ChoosePrivateRuntimeFolder(const char* xdgRuntimeDir, const std::string& fallbackParent,
                                       std::string* error = nullptr);

}  // namespace Orv::Platform
