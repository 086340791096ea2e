#pragma once
// The window the user sees while the updater looks for the Varnet: the main window's look (the
// device picture on its dark background), the searching text and a Cancel button, with the splash
// strip below them showing how far the search has gone. It takes the main window's size and place,
// so the main window simply replaces it once the search is over.
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/System/SplashWindow.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

inline constexpr int kSearchingSplashWidth = 432;
inline constexpr int kSearchingSplashHeight = 295;
// The strip's bar in the colour of the main window's progress bar (COLORREF 0x00BBGGRR).
inline constexpr std::uint32_t kSearchingStripColorRef = 0x00209ADB;

struct SearchingSplash {
    SplashPicture picture;
    SplashArea cancelButton;  // where a click cancels
    SplashArea text;          // where the searching text is drawn
};

// The picture with `text` and a button labelled `cancel`, drawn in the skin's font; the
// artwork comes from the program's own resources.
SearchingSplash ComposeSearchingSplash(const String& text, const String& cancel);

// "SEARCHING_FOR_DEVICE" and "CANCEL" of the application's string table in the user's language
// (English when the table lacks them).
void GetSearchingTexts(const LControlFactory* factory, String& text, String& cancel);

}  // namespace Orv
