#pragma once
// The start-up error box: a modal message with the stop icon and no owner window.
//
// Contract: any thread may call it, before or without a host application; it returns when the user
// has dismissed the box. A backend that cannot show a box (no display: a silent run on a server)
// writes "caption: text" and a line feed to standard error instead and answers WrittenToStderr, so
// the message is never lost.
#include <string>

namespace Orv::Platform {

enum class MessageBoxResult { Shown, WrittenToStderr };

MessageBoxResult ShowStopMessageBox(const std::string& text, const std::string& caption);

}  // namespace Orv::Platform
