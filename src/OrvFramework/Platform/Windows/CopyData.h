#pragma once
// The hand-over from a later start of the program on Windows: it finds the first instance's main
// window by its class (HostWindowParams::windowClass) and sends it a WM_COPYDATA. The host window's
// procedure passes every WM_COPYDATA it receives here, on the user-interface thread, and answers
// the message with the result. The single-instance backend (SingleInstance.cpp) takes it.
#include <cstddef>
#include <cstdint>

namespace Orv::Platform {

// True when the data was a hand-over this process listens for and its handlers are queued; false
// for anything else (another identifier, a size beyond the limit, nobody listening).
bool ReceiveCopyData(std::uintptr_t identifier, const void* data, std::size_t size);

}  // namespace Orv::Platform
