#pragma once
// The notification identifiers the updater's own code posts and listens for, in one place. Each
// is the text that is interned (NotificationID.h); a receiver compares the interned identifier.
// The framework's controls name their own ("NID_MOUSE_MOVE", the condition changes, ...) where
// they send them.

// The application's exit, asked for by the window, the Exit button or a signal; and the answer
// that the request was refused because an upload runs.
inline constexpr char16_t NID_APP_EXIT_REQ[] = u"NID_APP_EXIT_REQ";
inline constexpr char16_t NID_APP_EXIT_REFUSED[] = u"NID_APP_EXIT_REFUSED";

// A button was pressed and released with the pointer on it (or pressed with the keyboard).
inline constexpr char16_t NID_LEFT_CLICK[] = u"NID_LEFT_CLICK";

// The firmware family: posted by the engine and the processor into the "application" center and
// shown by the main control. Progress carries an LFirmwareUpdateProgressNotificationData.
inline constexpr char16_t NID_FIRMWARE_UPDATE_PROGRESS[] = u"NID_FIRMWARE_UPDATE_PROGRESS";
inline constexpr char16_t NID_FIRMWARE_UPDATE_COMPLETE[] = u"NID_FIRMWARE_UPDATE_COMPLETE";
inline constexpr char16_t NID_FIRMWARE_UPDATE_FAILED[] = u"NID_FIRMWARE_UPDATE_FAILED";
inline constexpr char16_t NID_READY_TO_UPDATE[] = u"NID_READY_TO_UPDATE";
inline constexpr char16_t NID_FIRMWARE_UPDATE_NOT_NEEDED[] = u"NID_FIRMWARE_UPDATE_NOT_NEEDED";
inline constexpr char16_t NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE[] = u"NID_FIRMWARE_IMAGE_UPLOAD_COMPLETE";
