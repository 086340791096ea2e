#pragma once
// The message of whatever a call throws, or "no error", for checking error texts in one line.
#include <exception>
#include <functional>
#include <string>

namespace Orv::Testing {

inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace Orv::Testing
