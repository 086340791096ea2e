// The two string-table documents the way the updater loads them: the first byte picks the requested
// language, the rest is the application document, then, after a line "--FRAMEWORK--", the
// framework document. The loader reads files, so both are written to this process's temporary
// files. The load must neither crash nor leak, and every table it yields must answer consistently.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "ScratchFile.h"

namespace {

// The languages the fallback rules treat differently: exact, primary-language, Chinese variants.
constexpr std::uint32_t kLanguages[] = {0x0009, 0x0409, 0x0407, 0x0411, 0x0404, 0x0C04,
                                        0x1404, 0x0804, 0x7C04, 0x0004, 0x040C, 0x0000};

void CheckTable(const Orv::ConstRCPtr<Orv::LStringTable>& table) {
    if (!table) return;
    for (const auto& [id, text] : table->strings) {
        Orv::String found = Orv::W("unchanged");
        if (!table->HasString(id) || !table->GetString(id, found) || found != text) __builtin_trap();
    }
    Orv::String missing = Orv::W("unchanged");
    const Orv::String absentId = Orv::W("\x01no such id");
    if (!table->HasString(absentId) && (table->GetString(absentId, missing) || missing != Orv::W("unchanged")))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint32_t language = kLanguages[data[0] % std::size(kLanguages)];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    constexpr std::string_view kSeparator = "\n--FRAMEWORK--\n";
    std::string_view application = rest, framework;
    if (const auto at = rest.find(kSeparator); at != std::string_view::npos) {
        application = rest.substr(0, at);
        framework = rest.substr(at + kSeparator.size());
    }

    static const ScratchFile applicationFile("string_tables_fuzz_application", ".xml");
    static const ScratchFile frameworkFile("string_tables_fuzz_framework", ".xml");
    const std::string& applicationPath = applicationFile.Path();
    const std::string& frameworkPath = frameworkFile.Path();
    applicationFile.Write(application);
    frameworkFile.Write(framework);

    auto factory = Orv::MakeRC<Orv::LControlFactory>();
    const Orv::ORVRESULT result =
        factory->LoadStringTables(Orv::Utf8ToUtf16(applicationPath), Orv::Utf8ToUtf16(frameworkPath), language);
    // Parse errors are kept, never returned; only an allocation failure is.
    if (result != Orv::S_OK) __builtin_trap();

    CheckTable(factory->GetFrameworkStringTable());
    CheckTable(factory->GetApplicationStringTable());
    CheckTable(factory->FindStringTable(Orv::W("FirmwareUpdater.MainControl|buttonExit")));
    CheckTable(factory->GetStringTable(nullptr, Orv::W("mainControl")));
    return 0;
}
