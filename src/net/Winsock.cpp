#include "net/Winsock.h"

namespace {

template <class F> bool Take(HMODULE Library, const char* Name, F& Function) {
    Function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
    return Function != nullptr;
}

} // namespace

std::shared_ptr<const TWinsock> LoadWinsock() {
    auto ws = std::make_shared<TWinsock>();
    ws->Library.reset(LoadLibraryA("ws2_32.dll"));
    const HMODULE m = ws->Library.get();
    if (!m)
        return nullptr;
    const bool all =
        Take(m, "WSAStartup", ws->WSAStartup) && Take(m, "WSACleanup", ws->WSACleanup) &&
        Take(m, "WSAGetLastError", ws->WSAGetLastError) &&
        Take(m, "getaddrinfo", ws->getaddrinfo) && Take(m, "freeaddrinfo", ws->freeaddrinfo) &&
        Take(m, "getnameinfo", ws->getnameinfo) && Take(m, "socket", ws->socket) &&
        Take(m, "ioctlsocket", ws->ioctlsocket) && Take(m, "connect", ws->connect) &&
        Take(m, "getsockopt", ws->getsockopt) && Take(m, "select", ws->select) &&
        Take(m, "send", ws->send) && Take(m, "recv", ws->recv) &&
        Take(m, "shutdown", ws->shutdown) && Take(m, "closesocket", ws->closesocket);
    if (!all)
        return nullptr;
    return ws;
}
