#pragma once
// Run-time class names in the spelling the framework's messages use: "class Orv::LControl".
#include <string>
#include <type_traits>
#include <typeinfo>

namespace Orv {

// Demangled name of a type_info, with "class " in front of class types.
std::string ClassNameOf(const std::type_info& info, bool isClass = true);

template <class T>
std::string TypeName() {
    return ClassNameOf(typeid(T), std::is_class_v<T>);
}

}  // namespace Orv
