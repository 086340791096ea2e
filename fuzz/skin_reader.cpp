// libFuzzer target: any bytes as a skin document and as a string-table document. The reader must
// neither crash nor leak, whatever the document holds.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"
#include "ScratchFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char* bytes = reinterpret_cast<const char*>(data);

    auto skins = Orv::MakeRC<Orv::LControlFactory>();
    skins->ParseXML(bytes, size);
    skins->FindControlDescriptor(Orv::W("mainControl"));

    // String mode goes through the loader, which reads files: one per process is enough.
    static const ScratchFile scratch("skin_reader_fuzz", ".xml");
    const std::string& path = scratch.Path();
    scratch.Write(std::string_view(bytes, size));
    auto strings = Orv::MakeRC<Orv::LControlFactory>();
    const Orv::String file(Orv::Utf8ToUtf16(path));
    strings->LoadStringTables(file, file, static_cast<std::uint32_t>(data[0]) * 0x101u);
    strings->GetFrameworkStringTable();
    return 0;
}
