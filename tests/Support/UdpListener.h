#pragma once
// A real UDP listener on the loopback address, on a port the system picks.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <optional>
#include <string>

namespace VarnetTest {

class UdpListener {
public:
    UdpListener() {
#ifdef _WIN32
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
        m_socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return;
        socklen_t length = sizeof address;
        if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
    }
    ~UdpListener() {
#ifdef _WIN32
        ::closesocket(m_socket);
        if (m_started) ::WSACleanup();
#else
        ::close(m_socket);
#endif
    }
    UdpListener(const UdpListener&) = delete;
    UdpListener& operator=(const UdpListener&) = delete;

    // The next datagram, or nothing when none comes within waitMs (a bounded wait of the system's).
    std::optional<std::string> Next(int waitMs) {
#ifdef _WIN32
        WSAPOLLFD fd{m_socket, POLLRDNORM, 0};
        if (::WSAPoll(&fd, 1, waitMs) != 1) return std::nullopt;
#else
        pollfd fd{m_socket, POLLIN, 0};
        if (::poll(&fd, 1, waitMs) != 1) return std::nullopt;
#endif
        char buffer[65536];
        const int n = static_cast<int>(::recv(m_socket, buffer, sizeof buffer, 0));
        if (n < 0) return std::nullopt;
        return std::string(buffer, static_cast<std::size_t>(n));
    }
    // The next datagram, "<none>" when none comes within the wait.
    std::string Receive(int waitMs = 2000) { return Next(waitMs).value_or("<none>"); }
    bool Pending() { return Next(0).has_value(); }

    std::uint16_t port = 0;  // 0 when the listener could not be set up

private:
#ifdef _WIN32
    using socklen_t = int;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_started = false;
#else
    int m_socket = -1;
#endif
};

}  // namespace VarnetTest
