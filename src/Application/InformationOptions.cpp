#include "Application/InformationOptions.h"

#include <string_view>

#include "Application/Version.h"

namespace Orv {

InformationRequest FindInformationRequest(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) continue;
        const std::string_view argument(argv[i]);
        if (argument == "--help") return InformationRequest::Help;
        if (argument == "--version") return InformationRequest::Version;
    }
    return InformationRequest::None;
}

std::string InformationText(InformationRequest request) {
    const Version version;
    const std::string name = Utf16ToUtf8(version.GetProductName());
    const std::string number = Utf16ToUtf8(version.GetProductVersion());
    switch (request) {
    case InformationRequest::None:
        return {};
    case InformationRequest::Version:
        return "varnet-updater (" + name + ") " + number + "\n";
    case InformationRequest::Help:
        break;
    }
    return "Usage: varnet-updater [OPTION]...\n"
           "Finds the Varnet, compares its firmware with the image this program carries and\n"
           "updates it. Without options a window explains each step; the process ends with\n"
           "status 1 after a run.\n"
           "\n"
           "Options (names ignore case; values with blanks go in double quotes):\n"
           "  -FIRMWARE_UPDATE_VERSION=X.Y.Z      version the update installs (default 1.0.2)\n"
           "  -ALWAYS_UPDATE                      update even when the device is current or newer\n"
           "  -UPDATE_TIME_ESTIMATE=SECONDS       expected length of the upload (default 7;\n"
           "                                      0 shows no progress)\n"
           "  -ABSOLUTE_FIRMWARE_FILE_PATH=PATH   image at exactly that path\n"
           "  -FIRMWARE_IMAGE_NAME=NAME           image in the program's folder\n"
           "                                      (default Varnet1.0.2.cyacd)\n"
           "  -SILENT                             no window: update if needed, then end\n"
           "  -SILENT_IF_UPDATE_NOT_NEEDED        end at once when the device is current\n"
           "  -START_UPDATE_AUTOMATICALLY         start the upload without waiting for Next\n"
           "  -DEBUG_CONSOLE[:PORT[:HOST]]        trace to standard error, or as UDP datagrams\n"
           "                                      to PORT on HOST (default this machine)\n"
           "  --help                              print this text and end\n"
           "  --version                           print the version and end\n"
           "\n"
           "VARNET_DEVICE=simulated runs against the simulated Varnet instead of the hardware.\n";
}

}  // namespace Orv
