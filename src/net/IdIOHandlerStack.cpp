#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/IdIOHandlerStack.h"

#include <memory>

#include "base/SystemError.h"

namespace {

[[noreturn]] void RaiseSocketError(int code) {
    throw EIdSocketError(code, Format("Socket Error # %d %s", code,
                                      SysErrorMessage(static_cast<DWORD>(code)).c_str()));
}

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { freeaddrinfo(info); }
};

struct SocketCloser {
    SOCKET s;
    ~SocketCloser() {
        if (s != INVALID_SOCKET)
            closesocket(s);
    }
    SOCKET release() {
        const SOCKET r = s;
        s = INVALID_SOCKET;
        return r;
    }
};

// Waits until s is readable (write false) or connected (write true); false on time-out.
bool WaitFor(SOCKET s, bool write, int timeout) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    timeval tv{timeout / 1000, (timeout % 1000) * 1000};
    const int r = select(0, write ? nullptr : &set, write ? &set : nullptr,
                         write ? &failed : nullptr, timeout > 0 ? &tv : nullptr);
    if (r == SOCKET_ERROR)
        RaiseSocketError(WSAGetLastError());
    return r > 0;
}

} // namespace

// Winsock starts with the first connection, not with the object: a handler that never connects
// (the update component while switched off) costs the program nothing.
TIdIOHandlerStack::TIdIOHandlerStack() : FSocket(INVALID_SOCKET) {}

TIdIOHandlerStack::~TIdIOHandlerStack() {
    if (FSocket != INVALID_SOCKET)
        closesocket(FSocket);
    if (FStarted)
        WSACleanup();
}

bool TIdIOHandlerStack::Connected() const {
    return FSocket != INVALID_SOCKET;
}

void TIdIOHandlerStack::DoStatus(TIdStatus Status, const std::string& Text) {
    if (OnStatus)
        OnStatus(this, Status, Text);
}

void TIdIOHandlerStack::CheckConnected() const {
    if (!Connected())
        throw EIdNotConnected("Not Connected");
}

void TIdIOHandlerStack::Open(const std::string& Host, uint16_t Port, int ConnectTimeout) {
    Close();
    if (FSocksVersion != svNoSocks)
        throw EIdSocksError("SOCKS proxies are not supported; no connection was made to " + Host +
                            ".");
    if (!FStarted) {
        WSADATA data;
        FStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!FStarted)
            RaiseSocketError(WSASYSNOTREADY);
    }

    DoStatus(hsResolving, "Resolving hostname " + Host + ".");
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int r = getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &hints, &found))
        throw EIdSocketError(r, Format("Socket Error # %d Host not found: %s", r, Host.c_str()));
    std::unique_ptr<addrinfo, AddrInfoDeleter> addresses(found);

    int lastError = 0;
    bool timedOut = false;
    for (addrinfo* a = addresses.get(); a; a = a->ai_next) {
        char text[NI_MAXHOST] = {};
        getnameinfo(a->ai_addr, static_cast<int>(a->ai_addrlen), text, sizeof text, nullptr, 0,
                    NI_NUMERICHOST);
        DoStatus(hsConnecting, std::string("Connecting to ") + text + ".");
        SocketCloser s{socket(a->ai_family, a->ai_socktype, a->ai_protocol)};
        if (s.s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            continue;
        }
        // Connect without blocking so that the time-out is ours.
        u_long nonBlocking = 1;
        ioctlsocket(s.s, FIONBIO, &nonBlocking);
        if (connect(s.s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR) {
            const int e = WSAGetLastError();
            if (e != WSAEWOULDBLOCK) {
                lastError = e;
                continue;
            }
            if (!WaitFor(s.s, true, ConnectTimeout)) {
                timedOut = true;
                continue;
            }
            int soError = 0;
            int len = sizeof soError;
            getsockopt(s.s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
            if (soError) {
                lastError = soError;
                continue;
            }
        }
        nonBlocking = 0;
        ioctlsocket(s.s, FIONBIO, &nonBlocking);
        FSocket = s.release();
        DoStatus(hsConnected, "Connected.");
        return;
    }
    if (timedOut && !lastError)
        throw EIdConnectTimeout("Connect timed out.");
    RaiseSocketError(lastError ? lastError : WSAEHOSTUNREACH);
}

void TIdIOHandlerStack::Close() {
    if (FSocket == INVALID_SOCKET)
        return;
    DoStatus(hsDisconnecting, "Disconnecting.");
    const SOCKET s = FSocket;
    FSocket = INVALID_SOCKET;
    shutdown(s, SD_BOTH);
    closesocket(s);
    DoStatus(hsDisconnected, "Disconnected.");
}

void TIdIOHandlerStack::Write(const std::string& Data) {
    size_t done = 0;
    while (done < Data.size()) {
        CheckConnected();
        const int part =
            Data.size() - done > 0x10000 ? 0x10000 : static_cast<int>(Data.size() - done);
        const int n = send(FSocket, Data.data() + done, part, 0);
        if (n == SOCKET_ERROR)
            RaiseSocketError(WSAGetLastError());
        done += static_cast<size_t>(n);
    }
}

size_t TIdIOHandlerStack::ReadSome(char* Buffer, size_t Count, int ReadTimeout) {
    CheckConnected();
    if (!WaitFor(FSocket, false, ReadTimeout))
        throw EIdReadTimeout("Read timed out.");
    const int part = Count > 0x10000 ? 0x10000 : static_cast<int>(Count);
    const int n = recv(FSocket, Buffer, part, 0);
    if (n == SOCKET_ERROR)
        RaiseSocketError(WSAGetLastError());
    return static_cast<size_t>(n);
}
