#pragma once
// Result codes of the framework: 32-bit, negative values are failures.
#include <cstdint>

namespace Orv {

using ORVRESULT = std::int32_t;

inline constexpr ORVRESULT S_OK = 0;
inline constexpr ORVRESULT S_FALSE = 1;
inline constexpr ORVRESULT E_FAIL = static_cast<ORVRESULT>(0x80004005u);
inline constexpr ORVRESULT E_INVALIDARG = static_cast<ORVRESULT>(0x80070057u);
inline constexpr ORVRESULT E_OUTOFMEMORY = static_cast<ORVRESULT>(0x8007000Eu);

// Start-up answers that end the program without a window and without a message.
inline constexpr ORVRESULT E_QUIET_EXIT = static_cast<ORVRESULT>(0x8000A020u);
inline constexpr ORVRESULT E_QUIET_EXIT_A000 = static_cast<ORVRESULT>(0x8000A000u);
inline constexpr ORVRESULT E_QUIET_EXIT_A001 = static_cast<ORVRESULT>(0x8000A001u);
inline constexpr ORVRESULT E_QUIET_EXIT_A002 = static_cast<ORVRESULT>(0x8000A002u);
inline constexpr ORVRESULT E_QUIET_EXIT_A010 = static_cast<ORVRESULT>(0x8000A010u);
inline constexpr ORVRESULT E_QUIET_EXIT_A003 = static_cast<ORVRESULT>(0x8000A003u);

constexpr bool Succeeded(ORVRESULT r) { return r >= 0; }
constexpr bool Failed(ORVRESULT r) { return r < 0; }

constexpr bool IsQuietExitCode(ORVRESULT r) {
    return r == E_QUIET_EXIT || r == E_QUIET_EXIT_A000 || r == E_QUIET_EXIT_A001 || r == E_QUIET_EXIT_A002 ||
           r == E_QUIET_EXIT_A010 || r == E_QUIET_EXIT_A003;
}

}  // namespace Orv
