#pragma once
// The start-up error box: a modal message with the stop icon and no owner window. Without a
// display (a silent run on a server) the message goes to standard error instead, so it is never lost.
#include <string>

namespace Orv::Platform {

enum class MessageBoxResult { Shown, WrittenToStderr };

MessageBoxResult ShowStopMessageBox(const std::string& text, const std::string& caption);

}  // namespace Orv::Platform
