#pragma once
// TIdIOHandlerStack: one TCP connection over Winsock, with connect and read time-outs, and the
// connection's status reported as it changes (resolving, connecting, connected, disconnecting,
// disconnected).
//
//   TIdIOHandlerStack io;
//   io.OnStatus = [](TIdStatus s, const std::string& text) { ... };
//   io.OnIdle = [&](TObject*) { Application().ProcessMessages(); if (cancel) io.Close(); };
//   io.Open("127.0.0.1", 8080, 30000);
//   io.Write("GET / HTTP/1.1\r\n...");
//   size_t n = io.ReadSome(buffer, sizeof buffer, 60000);   // 0: the peer closed
//   io.Close();
//
// No call blocks for long: every wait goes in slices of IdleSliceMs, and OnIdle runs between
// them (and at least that often while data flows), so a caller on the GUI thread can keep its
// messages going. A Close from OnIdle ends the running call with EIdNotConnected.
// Failures raise the EId... exceptions below. SOCKS proxies are not supported: with a SOCKS
// version set, Open refuses rather than connect around the proxy.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/Object.h"
#include "base/Exception.h"

struct TWinsock;

// The SOCKS protocol versions a proxy may speak.
enum TSocksVersion : uint8_t { svNoSocks, svSocks4, svSocks4A, svSocks5 };

enum TIdStatus : uint8_t {
    hsResolving,
    hsConnecting,
    hsConnected,
    hsDisconnecting,
    hsDisconnected,
    hsStatusText
};

using TIdStatusEvent =
    std::function<void(TObject* ASender, TIdStatus AStatus, const std::string& AStatusText)>;
using TIdIdleEvent = std::function<void(TObject* ASender)>;

class EIdException : public Exception {
public:
    using Exception::Exception;
};
// A Winsock call failed: "Socket Error # %d" and the system's text.
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int LastError, const std::string& Message)
        : EIdException(Message), FLastError(LastError) {}
    int LastError() const { return FLastError; }

private:
    int FLastError;
};
class EIdConnectTimeout : public EIdException {
public:
    using EIdException::EIdException;
};
class EIdReadTimeout : public EIdException {
public:
    using EIdException::EIdException;
};
// The peer closed the connection while more was expected.
class EIdConnClosedGracefully : public EIdException {
public:
    using EIdException::EIdException;
};
// The connection was closed on this side (Disconnect) while in use.
class EIdNotConnected : public EIdException {
public:
    using EIdException::EIdException;
};
class EIdSocksError : public EIdException {
public:
    using EIdException::EIdException;
};

class TIdIOHandlerStack : public TObject {
public:
    TIdIOHandlerStack();
    ~TIdIOHandlerStack() override;

    TSocksVersion SocksVersion() const { return FSocksVersion; }
    void SetSocksVersion(TSocksVersion Value) { FSocksVersion = Value; }

    // Resolves Host and connects to the first of its addresses that answers, trying them all
    // within ConnectTimeout milliseconds in all (0 or less: no limit of its own).
    void Open(const std::string& Host, uint16_t Port, int ConnectTimeout);
    // Closes the connection; reports disconnecting/disconnected when one was open. Called from
    // OnIdle, it also ends a running Open, Write or ReadSome.
    void Close();
    bool Connected() const;

    // Sends all of Data; the peer must take each part within Timeout milliseconds (0 or less: no
    // limit).
    void Write(const std::string& Data, int Timeout = 0);
    // Waits at most ReadTimeout milliseconds (0 or less: no limit) for data and reads up to Count
    // bytes of it; 0 when the peer has closed the connection.
    size_t ReadSome(char* Buffer, size_t Count, int ReadTimeout);

    TIdStatusEvent OnStatus;
    // Between the slices of a wait.
    TIdIdleEvent OnIdle;

private:
    void DoStatus(TIdStatus Status, const std::string& Text);
    void DoIdle();
    bool WaitFor(uintptr_t Socket, bool ForWrite, int Timeout);
    void CheckConnected() const;

    std::shared_ptr<const TWinsock> FWinsock; // loaded at the first Open
    uintptr_t FSocket;
    bool FStarted = false;
    bool FClosed = false; // Close was called since the last Open began
    uint64_t FLastIdle = 0;
    TSocksVersion FSocksVersion = svNoSocks;
};

// The longest a wait of the connection goes without running OnIdle, in milliseconds.
inline constexpr int IdleSliceMs = 100;
