#pragma once
// The registry as files: one directory per key, one file per value holding the value's exact bytes
// ("<name>.sz" for a string value, "<name>.bin" for a binary one). A value is replaced atomically
// (temporary file, fsync, rename) under an flock on the key's directory.
#include <string>

#include "OrvFramework/Platform/RegistryStore.h"

namespace Orv::Platform {

// The directory that holds a root: "$VARNET_REGISTRY_DIR/<ROOT NAME>" when that variable is set;
// otherwise the machine-wide roots use /var/lib/varnet-updater/registry when it is (or can be made)
// writable, and the per-user root and the fallback use "$XDG_DATA_HOME/varnet-updater/registry"
// (~/.local/share when XDG_DATA_HOME is unset). Empty for an unknown root.
std::string RegistryRootDirectory(int root);
// The directory of a key (empty for an unknown root).
std::string RegistryKeyDirectory(int root, const std::u16string& subKey);

}  // namespace Orv::Platform
