#include "OrvFramework/Platform/UdpSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace Orv::Platform {

std::optional<std::uint32_t> ResolveIPv4(const std::string& name) {
    if (name.empty()) return std::nullopt;
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
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string FormatIPv4(std::uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = htonl(address);
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

UdpSocket::~UdpSocket() {
    if (IsOpen()) close(static_cast<int>(m_handle));
}

bool UdpSocket::Open(int* error) {
    if (IsOpen()) return true;
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error) *error = -errno;
        return false;
    }
    m_handle = fd;
    return true;
}

int UdpSocket::SendTo(std::uint32_t address, std::uint16_t port, std::string_view data) {
    if (!IsOpen()) return -EBADF;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(address);
    to.sin_port = htons(port);
    const ssize_t sent = sendto(static_cast<int>(m_handle), data.data(), data.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return sent < 0 ? -errno : static_cast<int>(sent);
}

}  // namespace Orv::Platform
