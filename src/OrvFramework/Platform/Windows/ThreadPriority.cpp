#include "OrvFramework/Platform/ThreadPriority.h"

#include <windows.h>

namespace Orv::Platform {

NativeThreadId CurrentNativeThreadId() { return GetCurrentThreadId(); }

void SetNativeThreadPriority(NativeThreadId thread, int priority) {
    if (thread == 0 || thread > MAXDWORD) return;
    static constexpr int kLevels[] = {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                      THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST};
    if (priority < -2) priority = -2;
    if (priority > 2) priority = 2;
    // The limited right is enough on Windows; Wine wants the full one.
    HANDLE handle = OpenThread(THREAD_SET_INFORMATION, FALSE, static_cast<DWORD>(thread));
    if (!handle) handle = OpenThread(THREAD_SET_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(thread));
    if (!handle) return;
    (void)SetThreadPriority(handle, kLevels[priority + 2]);
    CloseHandle(handle);
}

}  // namespace Orv::Platform
