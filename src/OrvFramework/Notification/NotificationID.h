#pragma once
// Notification identifiers are interned: each distinct text is stored once in a process-wide table
// and the identifier is the address of that stored text, so identifiers compare as pointers.
#include <string_view>

namespace Orv {

using NotificationID = const char16_t*;

// The identifier of a text; null for a null or empty text. The table never shrinks, so an
// identifier stays valid for the life of the process.
NotificationID InternNotificationID(std::u16string_view text);
NotificationID InternNotificationID(const char16_t* text);

// The identifier that the notification queues send after processing.
NotificationID IdleNotificationID();

}  // namespace Orv
