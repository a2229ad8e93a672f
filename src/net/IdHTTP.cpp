#include <windows.h>

#include "net/IdHTTP.h"

#include <algorithm>
#include <vector>

#include "base/ScopeExit.h"
#include "net/Deadline.h"

namespace {

const size_t MaxHeaderSize = 64 * 1024;
const size_t BufferSize = 32 * 1024;

std::string Lower(std::string S) {
    for (char& c : S)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return S;
}

std::string Trim(const std::string& S) {
    const size_t b = S.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const size_t e = S.find_last_not_of(" \t");
    return S.substr(b, e - b + 1);
}

int32_t Clamp32(int64_t V) {
    return V > INT32_MAX ? INT32_MAX : static_cast<int32_t>(V);
}

bool ParseDecimal(const std::string& Text, int64_t& Value) {
    if (Text.empty() || Text.size() > 18)
        return false;
    Value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9')
            return false;
        Value = Value * 10 + (c - '0');
    }
    return true;
}

std::string Duration(int Ms) {
    if (Ms == 1000)
        return "1 second";
    return Ms % 1000 == 0 ? Format("%d seconds", Ms / 1000) : Format("%d ms", Ms);
}

// A point in time (GetTickCount64) that ends a part of the transfer, with what to say then.
struct TDeadline {
    ULONGLONG End = 0; // 0: none
    std::string Text;

    static TDeadline After(int Ms, std::string Text) { return {EndOf(Ms), std::move(Text)}; }
    TDeadline Earlier(const TDeadline& Other) const {
        return !End || (Other.End && Other.End < End) ? Other : *this;
    }
    // Limits timeout (0 or less: none) to the time left; true when the deadline is the limit.
    // Raises once the deadline has passed.
    bool Limit(int& Timeout) const {
        if (!End)
            return false;
        const int left = Remaining(End);
        if (left == 0)
            throw EIdReadTimeout(Text);
        if (Timeout > 0 && left >= Timeout)
            return false;
        Timeout = left;
        return true;
    }
};

// Reads the answer through a buffer: lines for the head and the chunk sizes, then the body.
class TResponseReader {
public:
    TResponseReader(TIdIOHandlerStack& Io, int Timeout) : FIO(Io), FTimeout(Timeout) {}

    // No read waits past it.
    void SetDeadline(TDeadline Deadline) { FDeadline = std::move(Deadline); }

    // One line without its line end; raises when the connection ends first.
    std::string ReadLine() {
        for (;;) {
            const size_t eol = FBuffer.find('\n', FPos);
            if (eol != std::string::npos) {
                std::string line = FBuffer.substr(FPos, eol - FPos);
                FPos = eol + 1;
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                return line;
            }
            if (FBuffer.size() - FPos > MaxHeaderSize)
                throw EIdException("The server sent a line too long to be read.");
            if (!Fill())
                throw EIdConnClosedGracefully("Connection Closed Gracefully.");
        }
    }

    // Up to count bytes of what arrives; 0 when the server has closed the connection.
    size_t Read(char* Out, size_t Count) {
        if (FPos < FBuffer.size()) {
            const size_t n = std::min(Count, FBuffer.size() - FPos);
            std::copy_n(FBuffer.data() + FPos, n, Out);
            FPos += n;
            return n;
        }
        return ReadSome(Out, Count);
    }

private:
    bool Fill() {
        if (FPos > 0) {
            FBuffer.erase(0, FPos);
            FPos = 0;
        }
        char chunk[4096];
        const size_t n = ReadSome(chunk, sizeof chunk);
        FBuffer.append(chunk, n);
        return n > 0;
    }

    size_t ReadSome(char* Out, size_t Count) {
        int timeout = FTimeout;
        const bool byDeadline = FDeadline.Limit(timeout);
        try {
            return FIO.ReadSome(Out, Count, timeout);
        } catch (const EIdReadTimeout&) {
            if (byDeadline)
                throw EIdReadTimeout(FDeadline.Text);
            throw;
        }
    }

    TIdIOHandlerStack& FIO;
    int FTimeout;
    TDeadline FDeadline;
    std::string FBuffer;
    size_t FPos = 0;
};

bool IsUnreserved(unsigned char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') ||
           std::string_view("-._~!$&'()*+,;=:@/?%").find(static_cast<char>(C)) !=
               std::string_view::npos;
}

} // namespace

std::string EncodeBase64(const std::string& Text) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < Text.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(Text[i]) << 16 |
                           static_cast<unsigned char>(Text[i + 1]) << 8 |
                           static_cast<unsigned char>(Text[i + 2]);
        out += alphabet[v >> 18 & 63];
        out += alphabet[v >> 12 & 63];
        out += alphabet[v >> 6 & 63];
        out += alphabet[v & 63];
    }
    if (i + 1 == Text.size()) {
        const unsigned v = static_cast<unsigned char>(Text[i]) << 16;
        out += alphabet[v >> 18 & 63];
        out += alphabet[v >> 12 & 63];
        out += "==";
    } else if (i + 2 == Text.size()) {
        const unsigned v = static_cast<unsigned char>(Text[i]) << 16 |
                           static_cast<unsigned char>(Text[i + 1]) << 8;
        out += alphabet[v >> 18 & 63];
        out += alphabet[v >> 12 & 63];
        out += alphabet[v >> 6 & 63];
        out += '=';
    }
    return out;
}

std::string TIdURI::HostHeader() const {
    std::string host = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    if (Port != 80)
        host += ":" + std::to_string(Port);
    return host;
}

TIdURI ParseURI(const std::string& URL) {
    for (unsigned char c : URL)
        if (c < 0x20 || c == 0x7F)
            throw EIdException("Invalid URL: it holds control characters.");
    const size_t sep = URL.find("://");
    if (sep == std::string::npos)
        throw EIdException("Invalid URL \"" + URL + "\": only http:// addresses can be fetched.");
    const std::string scheme = Lower(URL.substr(0, sep));
    if (scheme == "https")
        throw EIdException("HTTPS is not supported: \"" + URL +
                           "\" cannot be fetched; use an http:// address.");
    if (scheme != "http")
        throw EIdException("Unsupported protocol \"" + scheme + "\" in \"" + URL +
                           "\": only http:// addresses can be fetched.");
    TIdURI uri;
    const size_t start = sep + 3;
    const size_t end = URL.find_first_of("/?#", start);
    std::string authority =
        URL.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string rest = end == std::string::npos ? std::string() : URL.substr(end);
    if (const size_t hash = rest.find('#'); hash != std::string::npos)
        rest.resize(hash);
    if (const size_t at = authority.rfind('@'); at != std::string::npos) {
        const std::string info = authority.substr(0, at);
        authority.erase(0, at + 1);
        uri.HasUserInfo = true;
        const size_t colon = info.find(':');
        uri.Username = info.substr(0, colon);
        if (colon != std::string::npos)
            uri.Password = info.substr(colon + 1);
    }
    std::string port;
    if (!authority.empty() && authority[0] == '[') {
        const size_t close = authority.find(']');
        if (close == std::string::npos)
            throw EIdException("Invalid URL \"" + URL + "\": bad host.");
        uri.Host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                throw EIdException("Invalid URL \"" + URL + "\": bad host.");
            port = after.substr(1);
        }
    } else {
        const size_t colon = authority.rfind(':');
        uri.Host = authority.substr(0, colon);
        if (colon != std::string::npos)
            port = authority.substr(colon + 1);
    }
    if (uri.Host.empty())
        throw EIdException("Invalid URL \"" + URL + "\": no host.");
    if (!port.empty()) {
        int64_t value = 0;
        if (!ParseDecimal(port, value) || value < 1 || value > 65535)
            throw EIdException("Invalid URL \"" + URL + "\": bad port.");
        uri.Port = static_cast<uint16_t>(value);
    }
    if (rest.empty() || rest[0] != '/')
        rest.insert(0, "/");
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : rest) {
        if (IsUnreserved(c)) {
            uri.Path += static_cast<char>(c);
        } else {
            uri.Path += '%';
            uri.Path += hex[c >> 4];
            uri.Path += hex[c & 15];
        }
    }
    return uri;
}

TIdHTTP::TIdHTTP() = default;
TIdHTTP::~TIdHTTP() {
    SetIOHandler(nullptr);
}

void TIdHTTP::SetIOHandler(TIdIOHandlerStack* Value) {
    if (FIOHandler) {
        FIOHandler->OnStatus = nullptr;
        FIOHandler->OnIdle = nullptr;
    }
    FIOHandler = Value;
    if (!FIOHandler)
        return;
    FIOHandler->OnStatus = [this](TObject*, TIdStatus Status, const std::string& Text) {
        if (OnStatus)
            OnStatus(this, Status, Text);
    };
    FIOHandler->OnIdle = [this](TObject*) {
        if (OnIdle)
            OnIdle(this);
    };
}

TIdIOHandlerStack& TIdHTTP::IO() {
    if (!FIOHandler) {
        FOwnIOHandler = std::make_unique<TIdIOHandlerStack>();
        SetIOHandler(FOwnIOHandler.get());
    }
    return *FIOHandler;
}

void TIdHTTP::Disconnect() {
    if (FIOHandler)
        FIOHandler->Close();
}

void TIdHTTP::DoWorkBegin(TWorkMode Mode, int64_t CountMax) {
    if (OnWorkBegin)
        OnWorkBegin(this, Mode, CountMax > INT32_MAX ? -1 : static_cast<int32_t>(CountMax));
}

void TIdHTTP::DoWork(TWorkMode Mode, int64_t Count) {
    if (OnWork)
        OnWork(this, Mode, Clamp32(Count));
}

void TIdHTTP::DoWorkEnd(TWorkMode Mode) {
    if (OnWorkEnd)
        OnWorkEnd(this, Mode);
}

void TIdHTTP::Get(const std::string& URL, TStream& AResponseContent) {
    // A message handled while this one waits may ask for another: one at a time.
    if (FBusy)
        throw EIdException("A transfer is already running; the request for \"" + URL +
                           "\" was not made.");
    FBusy = true;
    const TScopeExit busyEnd([this] { FBusy = false; });
    FResponse = TIdHTTPResponse();
    try {
        DoGet(URL, AResponseContent);
    } catch (...) {
        Disconnect();
        throw;
    }
    Disconnect();
}

void TIdHTTP::DoGet(const std::string& URL, TStream& AResponseContent) {
    const TIdURI uri = ParseURI(URL);
    const bool viaProxy = !FProxyParams.ProxyServer.empty();

    std::string request = "GET ";
    request += viaProxy ? "http://" + uri.HostHeader() + uri.Path : uri.Path;
    request += " HTTP/1.1\r\nHost: " + uri.HostHeader() + "\r\n";
    request += "Accept: */*\r\nUser-Agent: Sundown\r\nConnection: close\r\n";
    if (uri.HasUserInfo)
        request +=
            "Authorization: Basic " + EncodeBase64(uri.Username + ":" + uri.Password) + "\r\n";
    if (viaProxy && FProxyParams.BasicAuthentication)
        request += "Proxy-Authorization: Basic " +
                   EncodeBase64(FProxyParams.ProxyUsername + ":" + FProxyParams.ProxyPassword) +
                   "\r\n";
    request += "\r\n";
    for (char c : request)
        if (c == '\0')
            throw EIdException("Invalid request: it holds a NUL character.");

    const TDeadline transfer = TDeadline::After(
        FTransferTimeout, "The transfer took longer than " + Duration(FTransferTimeout) + ".");
    TIdIOHandlerStack& io = IO();
    int connectTimeout = FConnectTimeout;
    const bool connectByTransfer = transfer.Limit(connectTimeout);
    try {
        if (viaProxy)
            io.Open(FProxyParams.ProxyServer,
                    FProxyParams.ProxyPort ? FProxyParams.ProxyPort : 8080, connectTimeout);
        else
            io.Open(uri.Host, uri.Port, connectTimeout);
    } catch (const EIdConnectTimeout&) {
        if (connectByTransfer)
            throw EIdConnectTimeout(transfer.Text);
        throw;
    }

    DoWorkBegin(wmWrite, static_cast<int64_t>(request.size()));
    try {
        io.Write(request, FReadTimeout);
        DoWork(wmWrite, static_cast<int64_t>(request.size()));
    } catch (...) {
        DoWorkEnd(wmWrite);
        throw;
    }
    DoWorkEnd(wmWrite);

    TResponseReader reader(io, FReadTimeout);
    // The head, interim answers included, has one time limit, whatever the server's pace.
    reader.SetDeadline(TDeadline::After(FHeadTimeout, "The server took longer than " +
                                                          Duration(FHeadTimeout) + " to answer.")
                           .Earlier(transfer));
    int code = 0;
    std::string statusLine;
    int64_t contentLength = -1;
    bool chunked = false;
    for (int interim = 0;; ++interim) {
        if (interim > MaxInterimAnswers)
            throw EIdException(
                Format("The server sent more than %d interim answers.", MaxInterimAnswers));
        statusLine = reader.ReadLine();
        // "HTTP/1.1 200 OK"
        if (statusLine.compare(0, 5, "HTTP/") != 0 || statusLine.size() < 12 ||
            statusLine[8] != ' ')
            throw EIdException("Invalid response from the server: \"" + statusLine.substr(0, 80) +
                               "\"");
        int64_t value = 0;
        if (!ParseDecimal(statusLine.substr(9, 3), value) ||
            (statusLine.size() > 12 && statusLine[12] != ' '))
            throw EIdException("Invalid response from the server: \"" + statusLine.substr(0, 80) +
                               "\"");
        code = static_cast<int>(value);
        size_t headerBytes = 0;
        contentLength = -1;
        chunked = false;
        for (;;) {
            const std::string line = reader.ReadLine();
            if (line.empty())
                break;
            headerBytes += line.size();
            if (headerBytes > MaxHeaderSize)
                throw EIdException("The server's answer has too many headers.");
            const size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            const std::string name = Lower(Trim(line.substr(0, colon)));
            const std::string content = Trim(line.substr(colon + 1));
            if (name == "content-length") {
                if (!ParseDecimal(content, contentLength))
                    throw EIdException("Invalid Content-Length from the server: \"" + content +
                                       "\"");
            } else if (name == "transfer-encoding") {
                chunked = Lower(content).find("chunked") != std::string::npos;
            }
        }
        // Interim answers (100 Continue and the like) are followed by the real one.
        if (code >= 100 && code < 200)
            continue;
        break;
    }
    FResponse.FResponseCode = code;
    FResponse.FResponseText = statusLine;
    FResponse.FContentLength = chunked ? -1 : contentLength;
    if (code < 200 || code > 299)
        throw EIdHTTPProtocolException(code, statusLine);
    if (code == 204 || code == 205)
        return;
    reader.SetDeadline(transfer);
    const std::string tooLarge =
        Format("The answer is larger than %lld bytes.", static_cast<long long>(FMaxResponseSize));
    if (FMaxResponseSize > 0 && FResponse.FContentLength > FMaxResponseSize)
        throw EIdException(tooLarge);

    std::vector<char> buffer(BufferSize);
    int64_t received = 0;
    // Copies count bytes (or, with count -1, everything until the server closes).
    auto copy = [&](int64_t Count) {
        while (Count != 0) {
            const size_t want = Count < 0 ? buffer.size()
                                          : static_cast<size_t>(std::min<int64_t>(
                                                Count, static_cast<int64_t>(buffer.size())));
            const size_t n = reader.Read(buffer.data(), want);
            if (n == 0) {
                if (Count < 0)
                    return;
                throw EIdConnClosedGracefully(Format(
                    "Connection closed before the whole answer arrived (%lld bytes received).",
                    static_cast<long long>(received)));
            }
            if (FMaxResponseSize > 0 && received + static_cast<int64_t>(n) > FMaxResponseSize)
                throw EIdException(tooLarge);
            AResponseContent.WriteBuffer(buffer.data(), n);
            received += static_cast<int64_t>(n);
            if (Count > 0)
                Count -= static_cast<int64_t>(n);
            DoWork(wmRead, received);
        }
    };

    DoWorkBegin(wmRead, chunked ? -1 : contentLength);
    try {
        if (chunked) {
            for (;;) {
                const std::string line = reader.ReadLine();
                const std::string digits = Trim(line.substr(0, line.find(';')));
                if (digits.empty() || digits.size() > 15 ||
                    digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                    throw EIdException("Invalid chunk size from the server: \"" +
                                       line.substr(0, 40) + "\"");
                const int64_t size = std::stoll(digits, nullptr, 16);
                if (size == 0) {
                    while (!reader.ReadLine().empty()) {
                    } // trailers
                    break;
                }
                copy(size);
                if (!reader.ReadLine().empty())
                    throw EIdException("Invalid chunk end from the server.");
            }
        } else {
            copy(contentLength);
        }
    } catch (...) {
        DoWorkEnd(wmRead);
        throw;
    }
    DoWorkEnd(wmRead);
}
