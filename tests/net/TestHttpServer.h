#pragma once
// A small HTTP server for tests: listens on 127.0.0.1 at a port the system picks, serves one
// connection at a time from its own thread, and answers each path with a reply set by the test
// (unknown paths: 404). Replies can be sized, chunked or ended by closing, sent in slow pieces,
// cut short, or given as raw bytes. It records the head of every request it reads.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TTestReply {
    enum TFraming { ContentLength, Chunked, UntilClose };
    int Code = 200;
    std::string Reason = "OK";
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;
    TFraming Framing = ContentLength;
    size_t Piece = 0;                    // body sent in pieces of this size (0: at once)
    int DelayMs = 0;                     // pause before each piece
    size_t CutAfter = std::string::npos; // close after this many body bytes
    std::string
        Raw; // when set: sent as it stands (in pieces, when set), then the connection closes
    size_t RawAtOnce = 0; // with Raw: this many bytes go at once, before the pieces

    static TTestReply Ok(std::string body) {
        TTestReply r;
        r.Body = std::move(body);
        return r;
    }
    // The body in pieces of piece bytes, each after a pause of delayMs.
    static TTestReply Slow(std::string body, size_t piece, int delayMs) {
        TTestReply r = Ok(std::move(body));
        r.Piece = piece;
        r.DelayMs = delayMs;
        return r;
    }
    static TTestReply Status(int code, std::string reason) {
        TTestReply r;
        r.Code = code;
        r.Reason = std::move(reason);
        r.Body = r.Reason;
        return r;
    }
};

// A socket listening on 127.0.0.1 at a port the system picks (Winsock started).
inline SOCKET ListenOnLoopback(int backlog, uint16_t& port) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(s, backlog);
    int len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return s;
}

class TTestHttpServer {
public:
    TTestHttpServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        FListen = ListenOnLoopback(8, FPort);
        FThread = std::thread([this] { Serve(); });
    }
    ~TTestHttpServer() {
        FStop = true;
        FThread.join();
        closesocket(FListen);
        WSACleanup();
    }
    TTestHttpServer(const TTestHttpServer&) = delete;
    TTestHttpServer& operator=(const TTestHttpServer&) = delete;

    uint16_t Port() const { return FPort; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(FPort) + path;
    }
    void Set(const std::string& path, TTestReply reply) {
        std::lock_guard<std::mutex> lock(FMutex);
        FReplies[path] = std::move(reply);
    }
    // Answers path with reply, instead of the one Set gave, when the request's head holds text.
    void SetWhen(const std::string& path, const std::string& text, TTestReply reply) {
        std::lock_guard<std::mutex> lock(FMutex);
        FRepliesWhen[path] = {text, std::move(reply)};
    }
    // Heads of the requests read so far, in order.
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(FMutex);
        return FRequests;
    }
    int Connections() const { return FConnections; }
    // Requests whose target ends with path.
    int Count(const std::string& path) const {
        int n = 0;
        for (const std::string& r : Requests()) {
            const std::string line = r.substr(0, r.find("\r\n"));
            const size_t a = line.find(' ');
            const size_t b = line.rfind(' ');
            const std::string target = line.substr(a + 1, b - a - 1);
            if (target.size() >= path.size() &&
                target.compare(target.size() - path.size(), path.size(), path) == 0)
                ++n;
        }
        return n;
    }

private:
    void Serve() {
        while (!FStop) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(FListen, &set);
            timeval tv{0, 20000};
            if (select(0, &set, nullptr, nullptr, &tv) <= 0)
                continue;
            SOCKET s = accept(FListen, nullptr, nullptr);
            if (s == INVALID_SOCKET)
                continue;
            ++FConnections;
            u_long nonBlocking = 1;
            ioctlsocket(s, FIONBIO, &nonBlocking);
            Handle(s);
            closesocket(s);
        }
    }

    bool Pause(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            if (FStop)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Gives up when the server stops: a client that reads no more must not hold it.
    bool SendAll(SOCKET s, const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            const int n = send(s, data.data() + done, static_cast<int>(data.size() - done), 0);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK || FStop)
                return false;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval tv{0, 20000};
            select(0, nullptr, &set, nullptr, &tv);
        }
        return true;
    }

    void Handle(SOCKET s) {
        std::string head;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (head.find("\r\n\r\n") == std::string::npos) {
            if (FStop || std::chrono::steady_clock::now() > deadline || head.size() > 65536)
                return;
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval tv{0, 20000};
            if (select(0, &set, nullptr, nullptr, &tv) <= 0)
                continue;
            char buf[4096];
            const int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            head.append(buf, static_cast<size_t>(n));
        }
        head.resize(head.find("\r\n\r\n") + 4);
        std::string target;
        {
            const std::string line = head.substr(0, head.find("\r\n"));
            const size_t a = line.find(' ');
            const size_t b = line.rfind(' ');
            if (a != std::string::npos && b > a)
                target = line.substr(a + 1, b - a - 1);
        }
        // A proxy's request names the whole address: serve by its path.
        if (target.compare(0, 7, "http://") == 0) {
            const size_t slash = target.find('/', 7);
            target = slash == std::string::npos ? "/" : target.substr(slash);
        }
        TTestReply reply;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            FRequests.push_back(head);
            auto it = FReplies.find(target);
            reply = it != FReplies.end() ? it->second : TTestReply::Status(404, "Not Found");
            auto when = FRepliesWhen.find(target);
            if (when != FRepliesWhen.end() && head.find(when->second.first) != std::string::npos)
                reply = when->second.second;
        }
        if (!reply.Raw.empty()) {
            const size_t piece = reply.Piece ? reply.Piece : reply.Raw.size();
            if (reply.RawAtOnce && !SendAll(s, reply.Raw.substr(0, reply.RawAtOnce)))
                return;
            for (size_t done = reply.RawAtOnce; done < reply.Raw.size(); done += piece)
                if ((reply.DelayMs && !Pause(reply.DelayMs)) ||
                    !SendAll(s, reply.Raw.substr(done, piece)))
                    return;
            return;
        }
        std::string out = "HTTP/1.1 " + std::to_string(reply.Code) + " " + reply.Reason + "\r\n";
        for (const auto& [name, value] : reply.Headers)
            out += name + ": " + value + "\r\n";
        if (reply.Framing == TTestReply::ContentLength)
            out += "Content-Length: " + std::to_string(reply.Body.size()) + "\r\n";
        else if (reply.Framing == TTestReply::Chunked)
            out += "Transfer-Encoding: chunked\r\n";
        out += "Connection: close\r\n\r\n";
        if (!SendAll(s, out))
            return;
        const size_t total = std::min(reply.Body.size(), reply.CutAfter);
        const size_t piece = reply.Piece ? reply.Piece : (total ? total : 1);
        for (size_t done = 0; done < total; done += piece) {
            if (reply.DelayMs && !Pause(reply.DelayMs))
                return;
            const std::string part = reply.Body.substr(done, std::min(piece, total - done));
            std::string wire = part;
            if (reply.Framing == TTestReply::Chunked) {
                char size[32];
                snprintf(size, sizeof size, "%zx\r\n", part.size());
                wire = size + part + "\r\n";
            }
            if (!SendAll(s, wire))
                return;
        }
        if (reply.Framing == TTestReply::Chunked && total == reply.Body.size())
            SendAll(s, "0\r\n\r\n");
        shutdown(s, SD_SEND);
        // Let the client read to the end before the socket goes.
        char buf[256];
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!FStop && std::chrono::steady_clock::now() < end) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(s, &set);
            timeval tv{0, 20000};
            if (select(0, &set, nullptr, nullptr, &tv) > 0 && recv(s, buf, sizeof buf, 0) <= 0)
                break;
        }
    }

    SOCKET FListen = INVALID_SOCKET;
    uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FConnections{0};
    mutable std::mutex FMutex;
    std::map<std::string, TTestReply> FReplies;
    std::map<std::string, std::pair<std::string, TTestReply>> FRepliesWhen;
    std::vector<std::string> FRequests;
    std::thread FThread;
};
