#pragma once
// TIdIOHandlerStack: one TCP connection over Winsock, with connect and read time-outs, and the
// connection's status reported as it changes (resolving, connecting, connected, disconnecting,
// disconnected).
//
//   TIdIOHandlerStack io;
//   io.OnStatus = [](TIdStatus s, const std::string& text) { ... };
//   io.Open("127.0.0.1", 8080, 30000);
//   io.Write("GET / HTTP/1.1\r\n...");
//   size_t n = io.ReadSome(buffer, sizeof buffer, 60000);   // 0: the peer closed
//   io.Close();
//
// Failures raise the EId... exceptions below. SOCKS proxies are not supported: with a SOCKS
// version set, Open refuses rather than connect around the proxy.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Object.h"
#include "base/Exception.h"

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

    // Resolves Host and connects to the first of its addresses that answers within
    // ConnectTimeout milliseconds (0 or less: the system's own limit).
    void Open(const std::string& Host, uint16_t Port, int ConnectTimeout);
    // Closes the connection; reports disconnecting/disconnected when one was open.
    void Close();
    bool Connected() const;

    // Sends all of Data.
    void Write(const std::string& Data);
    // Waits at most ReadTimeout milliseconds (0 or less: no limit) for data and reads up to Count
    // bytes of it; 0 when the peer has closed the connection.
    size_t ReadSome(char* Buffer, size_t Count, int ReadTimeout);

    TIdStatusEvent OnStatus;

private:
    void DoStatus(TIdStatus Status, const std::string& Text);
    void CheckConnected() const;

    uintptr_t FSocket;
    bool FStarted = false;
    TSocksVersion FSocksVersion = svNoSocks;
};
