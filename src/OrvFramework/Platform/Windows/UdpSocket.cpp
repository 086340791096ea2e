#include "OrvFramework/Platform/UdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>

namespace Orv::Platform {

namespace {

// WinSock is started once for the process and never cleaned up: the tracer may send until exit.
bool EnsureWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace

std::optional<std::uint32_t> ResolveIPv4(const std::string& name) {
    if (name.empty() || !EnsureWinsock()) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || !result) return std::nullopt;
    const auto address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(result);
    return ntohl(address);
}

std::string LocalHostName() {
    if (!EnsureWinsock()) return {};
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string FormatIPv4(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

UdpSocket::~UdpSocket() {
    if (IsOpen()) closesocket(static_cast<SOCKET>(m_handle));
}

bool UdpSocket::Open(int* error) {
    if (IsOpen()) return true;
    if (!EnsureWinsock()) {
        if (error) *error = -WSANOTINITIALISED;
        return false;
    }
    const SOCKET s = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        if (error) *error = -WSAGetLastError();
        return false;
    }
    m_handle = static_cast<std::intptr_t>(s);
    return true;
}

int UdpSocket::SendTo(std::uint32_t address, std::uint16_t port, std::string_view data) {
    if (!IsOpen()) return -WSAENOTSOCK;
    if (data.size() > INT_MAX) return -WSAEMSGSIZE;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    const int sent = sendto(static_cast<SOCKET>(m_handle), data.data(), static_cast<int>(data.size()), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent == SOCKET_ERROR ? -WSAGetLastError() : sent;
}

}  // namespace Orv::Platform
