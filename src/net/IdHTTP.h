#pragma once
// TIdHTTP: a small HTTP/1.1 client. Get fetches one http:// address into a stream over a
// connection of its own (closed afterwards), firing the connection's status and the transfer's
// work events on the calling thread while it runs. It never waits long without firing OnIdle
// (every IdleSliceMs), where a caller on the GUI thread handles its messages and may Disconnect.
//
//   TIdHTTP http;
//   http.OnWork = [&](TObject*, TWorkMode mode, int32_t count) { if (cancel) http.Disconnect(); };
//   TFileStream file(name, fmCreate);
//   http.Get("http://host/autoupdate.ini", file);      // raises on any failure
//   http.Response().ResponseCode();                     // 200; -1 when no answer came
//
// What it speaks: GET with Host, asking for the body as it stands (Accept-Encoding: identity);
// basic authentication from the address's user:password@ part, and for a proxy (Connection) only
// in answer to the proxy's 407 that offers it (one more request); bodies sized by Content-Length,
// chunked or ended by the server's close. A status other than 2xx raises EIdHTTPProtocolException
// and writes nothing into the stream; so do differing Content-Length values, any transfer coding
// but a lone "chunked" and any Content-Encoding but identity (nothing here decodes them);
// redirections are not followed; nor is a head with a folded line (one that begins with a blank).
// A body cut short raises, saying how much came. https:// addresses are refused (no TLS).
// Texts taken from the server into a message or ResponseText are cut to a readable length.
// Disconnect, called from a work event, OnIdle or a message handled meanwhile, ends the running Get
// with EIdNotConnected. Limits: ConnectTimeout for the connection, ReadTimeout for any silence,
// HeadTimeout for the status line and headers together (interim 1xx answers included, at most
// MaxInterimAnswers of them), and, when set, TransferTimeout for the whole Get and MaxResponseSize
// for the body; each raises when passed.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/FileStream.h"
#include "net/Deadline.h"
#include "net/IdIOHandlerStack.h"

struct TIdURI;

enum TWorkMode : uint8_t { wmRead, wmWrite };

using TWorkBeginEvent =
    std::function<void(TObject* ASender, TWorkMode AWorkMode, int32_t AWorkCountMax)>;
using TWorkEvent = std::function<void(TObject* ASender, TWorkMode AWorkMode, int32_t AWorkCount)>;
using TWorkEndEvent = std::function<void(TObject* ASender, TWorkMode AWorkMode)>;

// The server answered with a status other than 2xx; the message is the status line.
class EIdHTTPProtocolException : public EIdException {
public:
    EIdHTTPProtocolException(int ErrorCode, const std::string& Message)
        : EIdException(Message), FErrorCode(ErrorCode) {}
    int ErrorCode() const { return FErrorCode; }

private:
    int FErrorCode;
};

class TIdHTTPResponse {
public:
    // The status code of the last answer; -1 when the last Get received none.
    int ResponseCode() const { return FResponseCode; }
    // The status line of the last answer ("HTTP/1.1 200 OK"), cut when long; empty when none
    // came.
    const std::string& ResponseText() const { return FResponseText; }
    // The announced body size; -1 when none was announced.
    int64_t ContentLength() const { return FContentLength; }

private:
    friend class TIdHTTP;
    int FResponseCode = -1;
    std::string FResponseText;
    int64_t FContentLength = -1;
};

// How the client reaches servers: straight, or through an HTTP proxy when HTTPProxy is set and
// HTTPHost named (a port outside 1 to 65535 means 8080), whose 407 that offers Basic is answered
// with the credentials when HTTPAuthentication is set. No SOCKS is spoken: with SocksProxy set a
// Get connects nowhere and raises EIdSocksError, whatever the version.
struct TIdConnectionSettings {
    bool HTTPProxy = false;
    std::string HTTPHost;
    int HTTPPort = 0;
    bool HTTPAuthentication = false;
    std::string HTTPUserName;
    std::string HTTPPassword;
    bool SocksProxy = false;
    std::string SocksHost;
    int SocksPort = 0;
    TSocksVersion SocksVersion = svNoSocks;
    bool SocksAuthentication = false;
    std::string SocksUserName;
    std::string SocksPassword;
};

class TIdHTTP : public TObject {
public:
    TIdHTTP();
    ~TIdHTTP() override;

    // The connection used; borrowed. Without one the client makes its own.
    TIdIOHandlerStack* IOHandler() const { return FIOHandler; }
    void SetIOHandler(TIdIOHandlerStack* Value);

    const TIdConnectionSettings& Connection() const { return FConnection; }
    void SetConnection(TIdConnectionSettings Value) { FConnection = std::move(Value); }
    // Milliseconds; 0 or less waits as long as the system lets it.
    int ConnectTimeout() const { return FConnectTimeout; }
    void SetConnectTimeout(int Value) { FConnectTimeout = Value; }
    // Longest silence of the server while an answer is awaited or read, in milliseconds.
    int ReadTimeout() const { return FReadTimeout; }
    void SetReadTimeout(int Value) { FReadTimeout = Value; }
    // Longest time from the request to the end of the answer's head, in milliseconds; 0 or less:
    // no limit.
    int HeadTimeout() const { return FHeadTimeout; }
    void SetHeadTimeout(int Value) { FHeadTimeout = Value; }
    // Longest time for a whole Get, connection included, in milliseconds; 0 or less: no limit.
    int TransferTimeout() const { return FTransferTimeout; }
    void SetTransferTimeout(int Value) { FTransferTimeout = Value; }
    // Largest body taken, in bytes; 0 or less: no limit.
    int64_t MaxResponseSize() const { return FMaxResponseSize; }
    void SetMaxResponseSize(int64_t Value) { FMaxResponseSize = Value; }

    // Fetches URL; the body goes into AResponseContent as it arrives.
    void Get(const std::string& URL, TStream& AResponseContent);
    // Closes the connection (a running Get then ends with an exception).
    void Disconnect();
    // A Get is running.
    bool Busy() const { return FBusy; }

    const TIdHTTPResponse& Response() const { return FResponse; }

    TIdStatusEvent OnStatus;
    TWorkBeginEvent OnWorkBegin;
    TWorkEvent OnWork;
    TWorkEndEvent OnWorkEnd;
    // Between the slices of a wait, and at least every IdleSliceMs while data flows; a handler
    // may Disconnect.
    TIdIdleEvent OnIdle;

private:
    class TReader;
    struct THead;

    TIdIOHandlerStack& IO();
    void DoWorkBegin(TWorkMode Mode, int64_t CountMax);
    void DoWork(TWorkMode Mode, int64_t Count);
    void DoWorkEnd(TWorkMode Mode);
    void DoGet(const std::string& URL, TStream& AResponseContent);
    // The steps of one Get.
    std::string RequestText(const TIdURI& URI, bool ProxyCredentials) const;
    void SendRequest(const TIdURI& URI, const std::string& Request, const TDeadline& Transfer);
    bool ViaProxy() const;
    TDeadline HeadDeadline(const std::string& What) const;
    THead ReadHead(TReader& Reader) const;
    void ReadBody(TReader& Reader, const THead& Head, TStream& AResponseContent,
                  const TDeadline& Transfer);

    TIdIOHandlerStack* FIOHandler = nullptr;
    std::unique_ptr<TIdIOHandlerStack> FOwnIOHandler;
    TIdConnectionSettings FConnection;
    int FConnectTimeout = 30000;
    int FReadTimeout = 60000;
    int FHeadTimeout = 30000;
    int FTransferTimeout = 0;
    int64_t FMaxResponseSize = 0;
    bool FBusy = false;
    TIdHTTPResponse FResponse;
};

// Interim answers (100 Continue and the like) taken before the real one; one more raises.
inline constexpr int MaxInterimAnswers = 5;

// The parts of an http:// address; raises EIdException for anything else (https:// included).
struct TIdURI {
    std::string Host;     // without brackets
    uint16_t Port = 80;   //
    std::string Path;     // path and query, "/" at least; percent-encoded where needed
    std::string Username; // from user:password@
    std::string Password;
    bool HasUserInfo = false;
    // host, or host:port when the port is not 80 (IPv6 addresses in brackets)
    std::string HostHeader() const;
};
TIdURI ParseURI(const std::string& URL);

// Base64 of Text (for basic authentication).
std::string EncodeBase64(const std::string& Text);
