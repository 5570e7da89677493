#pragma once
// A local port that never answers a connection attempt.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <vector>

// A local port whose accept queue is full: new connection attempts get no
// answer at all, like a host behind a firewall that drops packets.
class CSilentPort {
public:
    CSilentPort() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || listen(listener_, 1) != 0)
            return;
        int len = sizeof(addr);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        // Fill the queue; never accept.
        for (int i = 0; i < 8; ++i) {
            SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
            fillers_.push_back(s);
        }
        Sleep(500);
    }
    ~CSilentPort() {
        for (SOCKET s : fillers_) closesocket(s);
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        if (started_) WSACleanup();
    }
    uint16_t Port() const { return port_; }

private:
    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    std::vector<SOCKET> fillers_;
    uint16_t port_ = 0;
};
