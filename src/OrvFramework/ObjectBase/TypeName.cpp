#include "OrvFramework/ObjectBase/TypeName.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace Orv {

std::string ClassNameOf(const std::type_info& info, bool isClass) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(info.name(), nullptr, nullptr, &status),
                                                     std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : info.name();
    return isClass ? "class " + name : name;
}

}  // namespace Orv
