#include "net/IdIOHandlerStack.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "base/CutText.h"
#include "base/SystemError.h"
#include "net/Deadline.h"
#include "net/Winsock.h"

namespace {

[[noreturn]] void RaiseSocketError(int Code) {
    throw EIdSocketError(Code, Format("Socket Error # %d %s", Code,
                                      SysErrorMessage(static_cast<DWORD>(Code)).c_str()));
}

struct AddrInfoDeleter {
    std::shared_ptr<const TWinsock> Ws;
    void operator()(addrinfo* Info) const { Ws->freeaddrinfo(Info); }
};

struct SocketCloser {
    const TWinsock& Ws;
    SOCKET s;
    ~SocketCloser() {
        if (s != INVALID_SOCKET)
            Ws.closesocket(s);
    }
    SOCKET release() {
        const SOCKET r = s;
        s = INVALID_SOCKET;
        return r;
    }
};

// Whether s is readable (write false) or connected/writable (write true) within ms.
bool Ready(const TWinsock& Ws, SOCKET S, bool Write, int Ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(S, &set);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(S, &failed);
    timeval tv{Ms / 1000, (Ms % 1000) * 1000};
    const int r = Ws.select(0, Write ? nullptr : &set, Write ? &set : nullptr,
                            Write ? &failed : nullptr, &tv);
    if (r == SOCKET_ERROR)
        RaiseSocketError(Ws.WSAGetLastError());
    return r > 0;
}

// A host name lookup on a thread of its own, so that the caller can go on handling its
// messages; a lookup given up on finishes by itself, holding Winsock until it has left it.
class TLookup {
public:
    TLookup(std::shared_ptr<const TWinsock> Ws, const std::string& Host, uint16_t Port)
        : FShared(std::make_shared<TShared>(Ws)) {
        std::thread([shared = FShared, ws = std::move(Ws), Host, Port]() mutable {
            WSADATA data;
            const bool started = ws->WSAStartup(MAKEWORD(2, 2), &data) == 0;
            addrinfo hints{};
            hints.ai_family = AF_UNSPEC;
            hints.ai_socktype = SOCK_STREAM;
            hints.ai_protocol = IPPROTO_TCP;
            addrinfo* found = nullptr;
            const int r =
                ws->getaddrinfo(Host.c_str(), std::to_string(Port).c_str(), &hints, &found);
            {
                std::lock_guard<std::mutex> lock(shared->Mutex);
                shared->Result = r;
                shared->Found.reset(found);
                shared->Done = true;
            }
            shared->Finished.notify_all();
            shared.reset(); // an answer given up on is freed before Winsock is left
            if (started)
                ws->WSACleanup();
        }).detach();
    }
    // Waits up to ms for the answer; true when it came.
    bool Wait(int Ms) {
        std::unique_lock<std::mutex> lock(FShared->Mutex);
        return FShared->Finished.wait_for(lock, std::chrono::milliseconds(Ms),
                                          [&] { return FShared->Done; });
    }
    int Result() const { return FShared->Result; }
    addrinfo* Addresses() const { return FShared->Found.get(); }

private:
    struct TShared {
        explicit TShared(const std::shared_ptr<const TWinsock>& Ws) : Found(nullptr, {Ws}) {}
        std::mutex Mutex;
        std::condition_variable Finished;
        bool Done = false;
        int Result = 0;
        std::unique_ptr<addrinfo, AddrInfoDeleter> Found;
    };
    std::shared_ptr<TShared> FShared;
};

} // namespace

// Winsock is loaded and started with the first connection, not with the object: a handler that
// never connects (the update component while switched off) costs the program nothing.
TIdIOHandlerStack::TIdIOHandlerStack() : FSocket(INVALID_SOCKET) {}

TIdIOHandlerStack::~TIdIOHandlerStack() {
    if (FSocket != INVALID_SOCKET)
        FWinsock->closesocket(FSocket);
    if (FStarted)
        FWinsock->WSACleanup();
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

void TIdIOHandlerStack::DoIdle() {
    FLastIdle = GetTickCount64();
    if (OnIdle)
        OnIdle(this);
    if (FClosed)
        throw EIdNotConnected("Not Connected");
}

bool TIdIOHandlerStack::WaitFor(uintptr_t Socket, bool ForWrite, int Timeout) {
    const ULONGLONG end = EndOf(Timeout);
    for (;;) {
        if (GetTickCount64() - FLastIdle >= static_cast<ULONGLONG>(IdleSliceMs))
            DoIdle();
        const int left = Remaining(end);
        if (left == 0)
            return false;
        if (Ready(*FWinsock, Socket, ForWrite, std::min(left, IdleSliceMs)))
            return true;
    }
}

void TIdIOHandlerStack::Open(const std::string& Host, uint16_t Port, int ConnectTimeout) {
    Close();
    FClosed = false;
    FLastIdle = GetTickCount64();
    if (FSocksVersion != svNoSocks)
        throw EIdSocksError("SOCKS proxies are not supported; no connection was made to " +
                            CutText(Host) + ".");
    if (!FWinsock && !(FWinsock = LoadWinsock()))
        RaiseSocketError(WSASYSNOTREADY);
    const TWinsock& ws = *FWinsock;
    if (!FStarted) {
        WSADATA data;
        FStarted = ws.WSAStartup(MAKEWORD(2, 2), &data) == 0;
        if (!FStarted)
            RaiseSocketError(WSASYSNOTREADY);
    }
    const ULONGLONG end = EndOf(ConnectTimeout);

    DoStatus(hsResolving, "Resolving hostname " + CutText(Host) + ".");
    TLookup lookup(FWinsock, Host, Port);
    for (;;) {
        const int left = Remaining(end);
        if (left == 0)
            throw EIdConnectTimeout("Connect timed out.");
        if (lookup.Wait(std::min(left, IdleSliceMs)))
            break;
        DoIdle();
    }
    if (const int r = lookup.Result())
        throw EIdSocketError(
            r, Format("Socket Error # %d Host not found: %s", r, CutText(Host).c_str()));

    int lastError = 0;
    bool timedOut = false;
    for (addrinfo* a = lookup.Addresses(); a; a = a->ai_next) {
        char text[NI_MAXHOST] = {};
        ws.getnameinfo(a->ai_addr, static_cast<int>(a->ai_addrlen), text, sizeof text, nullptr, 0,
                       NI_NUMERICHOST);
        DoStatus(hsConnecting, std::string("Connecting to ") + text + ".");
        SocketCloser s{ws, ws.socket(a->ai_family, a->ai_socktype, a->ai_protocol)};
        if (s.s == INVALID_SOCKET) {
            lastError = ws.WSAGetLastError();
            continue;
        }
        // The socket never blocks: every wait on it is ours, in slices.
        u_long nonBlocking = 1;
        ws.ioctlsocket(s.s, FIONBIO, &nonBlocking);
        if (ws.connect(s.s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == SOCKET_ERROR) {
            const int e = ws.WSAGetLastError();
            if (e != WSAEWOULDBLOCK) {
                lastError = e;
                continue;
            }
            if (!WaitFor(s.s, true, end ? std::max(Remaining(end), 1) : 0)) {
                timedOut = true;
                break; // the time for all addresses is spent
            }
            int soError = 0;
            int len = sizeof soError;
            ws.getsockopt(s.s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
            if (soError) {
                lastError = soError;
                continue;
            }
        }
        FSocket = s.release();
        DoStatus(hsConnected, "Connected.");
        return;
    }
    if (timedOut)
        throw EIdConnectTimeout("Connect timed out.");
    RaiseSocketError(lastError ? lastError : WSAEHOSTUNREACH);
}

void TIdIOHandlerStack::Close() {
    FClosed = true;
    if (FSocket == INVALID_SOCKET)
        return;
    DoStatus(hsDisconnecting, "Disconnecting.");
    const SOCKET s = FSocket;
    FSocket = INVALID_SOCKET;
    FWinsock->shutdown(s, SD_BOTH);
    FWinsock->closesocket(s);
    DoStatus(hsDisconnected, "Disconnected.");
}

void TIdIOHandlerStack::Write(const std::string& Data, int Timeout) {
    size_t done = 0;
    while (done < Data.size()) {
        CheckConnected();
        const int part =
            Data.size() - done > 0x10000 ? 0x10000 : static_cast<int>(Data.size() - done);
        const int n = FWinsock->send(FSocket, Data.data() + done, part, 0);
        if (n == SOCKET_ERROR) {
            const int e = FWinsock->WSAGetLastError();
            if (e != WSAEWOULDBLOCK)
                RaiseSocketError(e);
            if (!WaitFor(FSocket, true, Timeout))
                throw EIdReadTimeout("Write timed out.");
            continue;
        }
        done += static_cast<size_t>(n);
    }
}

size_t TIdIOHandlerStack::ReadSome(char* Buffer, size_t Count, int ReadTimeout) {
    CheckConnected();
    for (;;) {
        if (!WaitFor(FSocket, false, ReadTimeout))
            throw EIdReadTimeout("Read timed out.");
        const int part = Count > 0x10000 ? 0x10000 : static_cast<int>(Count);
        const int n = FWinsock->recv(FSocket, Buffer, part, 0);
        if (n != SOCKET_ERROR)
            return static_cast<size_t>(n);
        // Readable yet nothing to take (it happens): wait again.
        if (const int e = FWinsock->WSAGetLastError(); e != WSAEWOULDBLOCK)
            RaiseSocketError(e);
    }
}
