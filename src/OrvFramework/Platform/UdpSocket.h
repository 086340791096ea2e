#pragma once
// A UDP sender for the trace output, IPv4 only.
//
// Contract: used by the thread that owns the object (the tracer's writer); nothing blocks longer
// than a name lookup, and nothing throws. Addresses are IPv4 in host byte order. Failures answer an
// empty optional, false, or a negative number: the backend's error code negated (errno on Linux),
// so a caller can tell failure from the bytes sent. Send never raises a signal (a broken pipe) and
// never waits for a receiver; a datagram nobody takes is simply lost. The socket is the object's
// and is closed when it ends. A new backend implements the class (WSAStartup once, sendto) and
// the three address helpers; the Linux backend is Posix/UdpSocket.cpp.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Orv::Platform {

inline constexpr std::uint32_t kIPv4Loopback = 0x7F000001;

// The first IPv4 address of a host name or dotted address; nothing for an empty or unknown name.
std::optional<std::uint32_t> ResolveIPv4(const std::string& name);
// This machine's own host name (empty when it has none).
std::string LocalHostName();
// "a.b.c.d".
std::string FormatIPv4(std::uint32_t address);

class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Makes the socket; true when it exists afterwards. `error` (when given) gets the negated
    // error code on failure.
    bool Open(int* error = nullptr);
    bool IsOpen() const { return m_handle != kNoHandle; }
    // Answers the bytes sent or a negative error code (not open: the code for a bad handle).
    int SendTo(std::uint32_t address, std::uint16_t port, std::string_view data);

private:
    // Wide enough for any platform's socket handle; the value no socket has.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t m_handle = kNoHandle;
};

}  // namespace Orv::Platform
