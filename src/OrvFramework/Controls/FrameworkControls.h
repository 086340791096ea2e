#pragma once
// The framework's control class names and the classes they create.
#include <cstddef>
#include <utility>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {

struct FrameworkControlClass {
    const char* name;
    ControlCreateFunction create;
};

// The 35 framework classes in registration order.
const FrameworkControlClass* GetFrameworkControlClasses(std::size_t& count);

// Registers every framework class with factory in order; stops at the first failure and answers
// it with the failing entry's index in failedIndex.
ORVRESULT RegisterFrameworkControlClasses(LControlFactory& factory, std::size_t* failedIndex = nullptr);

}  // namespace Orv
