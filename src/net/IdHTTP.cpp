#include <windows.h>

#include "net/IdHTTP.h"

#include <algorithm>
#include <vector>

#include "base/CutText.h"
#include "base/ScopeExit.h"

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

// The items of a comma-separated header value, trimmed; empty items left out.
std::vector<std::string> ListItems(const std::string& Value) {
    std::vector<std::string> items;
    size_t from = 0;
    for (;;) {
        const size_t comma = Value.find(',', from);
        std::string item =
            Trim(Value.substr(from, comma == std::string::npos ? comma : comma - from));
        if (!item.empty())
            items.push_back(std::move(item));
        if (comma == std::string::npos)
            return items;
        from = comma + 1;
    }
}

std::string Joined(const std::vector<std::string>& Items) {
    std::string text;
    for (const std::string& item : Items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// A Proxy-Authenticate value offers Basic among its challenges: as the first token of a
// comma-separated element outside quoted strings, not followed by "=" (a parameter's name).
bool OffersBasic(const std::string& Value) {
    std::vector<std::string> elements(1);
    bool quoted = false;
    for (size_t i = 0; i < Value.size(); ++i) {
        const char c = Value[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            elements.emplace_back();
        } else {
            elements.back() += c;
        }
    }
    for (const std::string& element : elements) {
        const std::string e = Trim(element);
        const size_t end = e.find_first_of(" \t=");
        const size_t next = end == std::string::npos ? end : e.find_first_not_of(" \t", end);
        if (Lower(e.substr(0, end)) == "basic" && (next == std::string::npos || e[next] != '='))
            return true;
    }
    return false;
}

// The connection ended within the body: Expected bytes announced, or -1 for a chunked body.
EIdConnClosedGracefully CutShort(int64_t Received, int64_t Expected) {
    const auto received = static_cast<long long>(Received);
    return EIdConnClosedGracefully(
        Expected >= 0
            ? Format("Connection closed before the whole answer arrived (%lld of %lld bytes "
                     "received).",
                     received, static_cast<long long>(Expected))
            : Format("Connection closed before the whole answer arrived (%lld bytes received; "
                     "the chunked answer had not ended).",
                     received));
}

// The status code of "HTTP/1.1 200 OK"; raises for anything else.
int StatusCode(const std::string& Line) {
    int64_t value = 0;
    if (Line.compare(0, 5, "HTTP/") != 0 || Line.size() < 12 || Line[8] != ' ' ||
        !ParseDecimal(Line.substr(9, 3), value) || (Line.size() > 12 && Line[12] != ' '))
        throw EIdException("Invalid response from the server: \"" + CutText(Line) + "\"");
    return static_cast<int>(value);
}

bool IsUnreserved(unsigned char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') ||
           std::string_view("-._~!$&'()*+,;=:@/?%").find(static_cast<char>(C)) !=
               std::string_view::npos;
}

} // namespace

// Reads the answer through a buffer: lines for the head and the chunk sizes, then the body.
class TIdHTTP::TReader {
public:
    TReader(TIdIOHandlerStack& Io, int Timeout) : FIO(Io), FTimeout(Timeout) {}

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

    // Header lines up to the empty line that ends them, each given to Field (name in lower case,
    // value trimmed); lines without a colon are passed over, a folded line raises. Raises past
    // MaxHeaderSize in all.
    template <class TField> void ReadFields(TField Field) {
        size_t bytes = 0;
        for (;;) {
            const std::string line = ReadLine();
            if (line.empty())
                return;
            bytes += line.size() + 2;
            if (bytes > MaxHeaderSize)
                throw EIdException("The server's answer has too many headers.");
            // A folded line would continue the field before it: which field a server meant by it
            // cannot be trusted, so the answer is refused rather than guessed at.
            if (line[0] == ' ' || line[0] == '\t')
                throw EIdException("The server's answer has a folded header line (\"" +
                                   CutText(line) + "\"), which is not supported.");
            const size_t colon = line.find(':');
            if (colon != std::string::npos)
                Field(Lower(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1)));
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

// What the client acts on in the head of one answer.
struct TIdHTTP::THead {
    int Code = 0;
    std::string StatusLine; // cut when long
    int64_t ContentLength = -1;
    std::string ContentLengthText;
    std::vector<std::string> TransferCodings; // lower case, in order
    std::vector<std::string> ContentCodings;  // lower case, identity left out
    bool OffersBasicProxyAuth = false;

    void Take(const std::string& Name, const std::string& Value) {
        if (Name == "content-length")
            TakeLength(Value);
        else if (Name == "transfer-encoding")
            for (std::string& c : ListItems(Value))
                TransferCodings.push_back(Lower(std::move(c)));
        else if (Name == "content-encoding")
            for (std::string& c : ListItems(Value)) {
                if (Lower(c) != "identity")
                    ContentCodings.push_back(Lower(std::move(c)));
            }
        else if (Name == "proxy-authenticate")
            OffersBasicProxyAuth = OffersBasicProxyAuth || OffersBasic(Value);
    }
    // A transfer coding overrides Content-Length; once CheckCodings has passed it is "chunked".
    bool HasTransferCoding() const { return !TransferCodings.empty(); }
    // A body taken as it comes can only be trusted when nothing was done to it but chunking.
    void CheckCodings() const {
        if (!TransferCodings.empty() && Joined(TransferCodings) != "chunked")
            throw EIdException("The server sent the answer with the transfer coding \"" +
                               CutText(Joined(TransferCodings)) + "\", which is not supported.");
        if (!ContentCodings.empty())
            throw EIdException("The server sent the answer with Content-Encoding \"" +
                               CutText(Joined(ContentCodings)) + "\", which is not supported.");
    }

private:
    // Every value must agree, repeated headers and comma lists alike: which one the server meant
    // cannot be known otherwise.
    void TakeLength(const std::string& Value) {
        const std::vector<std::string> items = ListItems(Value);
        if (items.empty())
            throw EIdException("Invalid Content-Length from the server: \"" + CutText(Value) +
                               "\"");
        for (const std::string& item : items) {
            int64_t length = 0;
            if (!ParseDecimal(item, length))
                throw EIdException("Invalid Content-Length from the server: \"" + CutText(Value) +
                                   "\"");
            if (ContentLength >= 0 && length != ContentLength)
                throw EIdException("The server sent conflicting Content-Length values (\"" +
                                   CutText(ContentLengthText) + "\" and \"" + CutText(item) +
                                   "\").");
            ContentLength = length;
            ContentLengthText = item;
        }
    }
};

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
        throw EIdException("Invalid URL \"" + CutText(URL) +
                           "\": only http:// addresses can be fetched.");
    const std::string scheme = Lower(URL.substr(0, sep));
    if (scheme == "https")
        throw EIdException("HTTPS is not supported: \"" + CutText(URL) +
                           "\" cannot be fetched; use an http:// address.");
    if (scheme != "http")
        throw EIdException("Unsupported protocol \"" + CutText(scheme) + "\" in \"" + CutText(URL) +
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
            throw EIdException("Invalid URL \"" + CutText(URL) + "\": bad host.");
        uri.Host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':')
                throw EIdException("Invalid URL \"" + CutText(URL) + "\": bad host.");
            port = after.substr(1);
        }
    } else {
        const size_t colon = authority.rfind(':');
        uri.Host = authority.substr(0, colon);
        if (colon != std::string::npos)
            port = authority.substr(colon + 1);
    }
    if (uri.Host.empty())
        throw EIdException("Invalid URL \"" + CutText(URL) + "\": no host.");
    if (!port.empty()) {
        int64_t value = 0;
        if (!ParseDecimal(port, value) || value < 1 || value > 65535)
            throw EIdException("Invalid URL \"" + CutText(URL) + "\": bad port.");
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
        throw EIdException("A transfer is already running; the request for \"" + CutText(URL) +
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
    const TDeadline transfer = TDeadline::After(
        FTransferTimeout, "The transfer took longer than " + Duration(FTransferTimeout) + ".");
    // Rather no connection than one that goes around the proxy the user switched on.
    if (FConnection.SocksProxy)
        throw EIdSocksError("A SOCKS proxy is switched on, and SOCKS proxies are not supported; no "
                            "connection was made.");
    // The proxy's credentials go only to a proxy that asks for them, and only once.
    const bool mayAuthenticate = ViaProxy() && FConnection.HTTPAuthentication;
    for (bool proxyCredentials = false;; proxyCredentials = true) {
        SendRequest(uri, RequestText(uri, proxyCredentials), transfer);
        TReader reader(IO(), FReadTimeout);
        reader.SetDeadline(HeadDeadline("to answer").Earlier(transfer));
        const THead head = ReadHead(reader);
        FResponse.FResponseCode = head.Code;
        FResponse.FResponseText = head.StatusLine;
        FResponse.FContentLength = head.HasTransferCoding() ? -1 : head.ContentLength;
        if (head.Code == 407 && mayAuthenticate && !proxyCredentials && head.OffersBasicProxyAuth)
            continue;
        if (head.Code < 200 || head.Code > 299)
            throw EIdHTTPProtocolException(head.Code, head.StatusLine);
        if (head.Code == 204 || head.Code == 205)
            return;
        head.CheckCodings();
        ReadBody(reader, head, AResponseContent, transfer);
        return;
    }
}

std::string TIdHTTP::RequestText(const TIdURI& URI, bool ProxyCredentials) const {
    std::string request = "GET ";
    request += ViaProxy() ? "http://" + URI.HostHeader() + URI.Path : URI.Path;
    request += " HTTP/1.1\r\nHost: " + URI.HostHeader() + "\r\n";
    // Nothing here decodes a compressed body: it must come as it stands.
    request += "Accept: */*\r\nAccept-Encoding: identity\r\nUser-Agent: Sundown\r\n"
               "Connection: close\r\n";
    if (URI.HasUserInfo)
        request +=
            "Authorization: Basic " + EncodeBase64(URI.Username + ":" + URI.Password) + "\r\n";
    if (ProxyCredentials)
        request += "Proxy-Authorization: Basic " +
                   EncodeBase64(FConnection.HTTPUserName + ":" + FConnection.HTTPPassword) + "\r\n";
    request += "\r\n";
    if (request.find('\0') != std::string::npos)
        throw EIdException("Invalid request: it holds a NUL character.");
    return request;
}

bool TIdHTTP::ViaProxy() const {
    return FConnection.HTTPProxy && !FConnection.HTTPHost.empty();
}

// Opens a connection (closing one left from an earlier answer) and sends the request.
void TIdHTTP::SendRequest(const TIdURI& URI, const std::string& Request,
                          const TDeadline& Transfer) {
    TIdIOHandlerStack& io = IO();
    int connectTimeout = FConnectTimeout;
    const bool connectByTransfer = Transfer.Limit(connectTimeout);
    try {
        if (ViaProxy()) {
            const int port = FConnection.HTTPPort;
            io.Open(FConnection.HTTPHost,
                    port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : uint16_t{8080},
                    connectTimeout);
        } else
            io.Open(URI.Host, URI.Port, connectTimeout);
    } catch (const EIdConnectTimeout&) {
        if (connectByTransfer)
            throw EIdConnectTimeout(Transfer.Text);
        throw;
    }

    DoWorkBegin(wmWrite, static_cast<int64_t>(Request.size()));
    try {
        io.Write(Request, FReadTimeout);
        DoWork(wmWrite, static_cast<int64_t>(Request.size()));
    } catch (...) {
        DoWorkEnd(wmWrite);
        throw;
    }
    DoWorkEnd(wmWrite);
}

// A head, or the trailer lines after a chunked body, has one time limit whatever the server's
// pace.
TDeadline TIdHTTP::HeadDeadline(const std::string& What) const {
    return TDeadline::After(FHeadTimeout, "The server took longer than " + Duration(FHeadTimeout) +
                                              " " + What + ".");
}

// The status line and headers of the real answer, after the interim ones.
TIdHTTP::THead TIdHTTP::ReadHead(TReader& Reader) const {
    for (int interim = 0;; ++interim) {
        if (interim > MaxInterimAnswers)
            throw EIdException(
                Format("The server sent more than %d interim answers.", MaxInterimAnswers));
        THead head;
        try {
            const std::string statusLine = Reader.ReadLine();
            head.Code = StatusCode(statusLine);
            head.StatusLine = CutText(statusLine);
            Reader.ReadFields(
                [&](const std::string& Name, const std::string& Value) { head.Take(Name, Value); });
        } catch (const EIdConnClosedGracefully&) {
            throw EIdConnClosedGracefully(
                "Connection closed before the head of the server's answer had arrived.");
        }
        // Interim answers (100 Continue and the like) are followed by the real one.
        if (head.Code >= 200 || head.Code < 100)
            return head;
    }
}

void TIdHTTP::ReadBody(TReader& Reader, const THead& Head, TStream& AResponseContent,
                       const TDeadline& Transfer) {
    Reader.SetDeadline(Transfer);
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
            const size_t n = Reader.Read(buffer.data(), want);
            if (n == 0) {
                if (Count < 0)
                    return;
                throw CutShort(received, Head.HasTransferCoding() ? -1 : Head.ContentLength);
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

    DoWorkBegin(wmRead, FResponse.FContentLength);
    try {
        if (Head.HasTransferCoding()) {
            try {
                for (;;) {
                    const std::string line = Reader.ReadLine();
                    const std::string digits = Trim(line.substr(0, line.find(';')));
                    if (digits.empty() || digits.size() > 15 ||
                        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
                        throw EIdException("Invalid chunk size from the server: \"" +
                                           CutText(line) + "\"");
                    const int64_t size = std::stoll(digits, nullptr, 16);
                    if (size == 0)
                        break;
                    copy(size);
                    if (!Reader.ReadLine().empty())
                        throw EIdException("Invalid chunk end from the server.");
                }
                // Trailer lines are a head of their own, held to the same limits.
                Reader.SetDeadline(HeadDeadline("to end the answer").Earlier(Transfer));
                Reader.ReadFields([](const std::string&, const std::string&) {});
            } catch (const EIdConnClosedGracefully&) {
                // Between chunks or within one: how much of the whole came is all that is known.
                throw CutShort(received, -1);
            }
        } else {
            copy(Head.ContentLength);
        }
    } catch (...) {
        DoWorkEnd(wmRead);
        throw;
    }
    DoWorkEnd(wmRead);
}
