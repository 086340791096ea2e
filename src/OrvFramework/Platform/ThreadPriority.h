#pragma once
// The scheduling priority of a worker thread.
//
// Contract: CurrentNativeThreadId is called by the thread itself (at its start) and answers the
// operating system's identifier of it, never 0. SetNativeThreadPriority may be called from any
// thread with such an identifier; 0 is ignored. The priority is relative: -2 lowest, 0 normal,
// 2 highest; values outside are clamped. A change the process may not make (raising a priority
// without the privilege) is quietly left undone: priority is a wish, never an error. A thread that
// has ended must not be named. A new backend maps the five steps onto its scheduler (for example
// THREAD_PRIORITY_LOWEST .. HIGHEST). The Linux backend (Linux/ThreadPriority.cpp) maps them onto
// nice steps of the thread.
#include <cstdint>

namespace Orv::Platform {

using NativeThreadId = std::uint64_t;

NativeThreadId CurrentNativeThreadId();
void SetNativeThreadPriority(NativeThreadId thread, int priority);

}  // namespace Orv::Platform
