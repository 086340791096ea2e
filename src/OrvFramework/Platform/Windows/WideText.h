#pragma once
// Text between the program's UTF-8 and the wide (UTF-16) Win32 API, and the system's error texts.
#include <windows.h>

#include <string>
#include <string_view>

namespace Orv::Platform::Windows {

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);
// A path for the program: UTF-8 with '/' between levels, without a trailing '/'.
std::string PathFromWide(std::wstring_view wide);
// "message (code N)" for a Win32 error code.
std::string ErrorText(DWORD code);

}  // namespace Orv::Platform::Windows
