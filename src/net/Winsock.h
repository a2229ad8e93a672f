#pragma once
// The Winsock functions a connection uses, taken from ws2_32.dll when a connection is first
// opened instead of imported: a program whose update check never runs never loads the library.
//
//   std::shared_ptr<const TWinsock> ws = LoadWinsock();   // null when it cannot be had
//   SOCKET s = ws->socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
//
// Every holder keeps the library loaded (a host-name lookup left running holds it too); it is
// freed when the last one goes.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <memory>

#include "base/Handles.h"

struct TWinsock {
    decltype(&::WSAStartup) WSAStartup = nullptr;
    decltype(&::WSACleanup) WSACleanup = nullptr;
    decltype(&::WSAGetLastError) WSAGetLastError = nullptr;
    decltype(&::getaddrinfo) getaddrinfo = nullptr;
    decltype(&::freeaddrinfo) freeaddrinfo = nullptr;
    decltype(&::getnameinfo) getnameinfo = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::getsockopt) getsockopt = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::shutdown) shutdown = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    ModuleHandle Library;
};

// The library and all of its functions above, or null when any is missing.
std::shared_ptr<const TWinsock> LoadWinsock();
