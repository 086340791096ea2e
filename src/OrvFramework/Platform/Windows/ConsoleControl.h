#pragma once
// The console control routine behind SignalThread on Windows, for the backend's own tests: the
// system calls it on a thread of its own for each event (CTRL_C_EVENT, CTRL_CLOSE_EVENT, ...).
// TRUE: the program took the event; FALSE: the next routine, the system's, ends the process.
#include <windows.h>

namespace Orv::Platform::Windows {

BOOL WINAPI ConsoleControlRoutine(DWORD event);

}  // namespace Orv::Platform::Windows
