#pragma once

// A one-connection server on 127.0.0.1 for the HTTP client's tests: the system picks the port, the server accepts
// one connection, reads the request (its head and, when the head announces one, its body) and then runs the
// test's script on the connected socket. Nothing leaves the machine and nothing waits on a clock.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>

namespace PyxoTest {

/// Sends all of the text; false when the peer has gone.
inline bool SendAll(int socket, const std::string& text)
{
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

/// Blocks until the peer closes its side (or the connection fails).
inline void WaitForPeerClose(int socket)
{
    char sink[256];
    while (recv(socket, sink, sizeof sink, 0) > 0) {
    }
}

/// Closes with a reset instead of an orderly end.
inline void CloseWithReset(int socket)
{
    linger abort{1, 0};
    setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

class LoopbackServer {
public:
    using Script = std::function<void(int socket)>;

    explicit LoopbackServer(Script script) : mScript(std::move(script))
    {
        mListener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (mListener < 0 || bind(mListener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(mListener, 1) != 0 || getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            std::abort(); // the loopback interface is part of every test machine
        mPort = ntohs(address.sin_port);
        mThread = std::thread([this] { Serve(); });
    }

    ~LoopbackServer()
    {
        shutdown(mListener, SHUT_RDWR); // wakes an accept that nobody will answer
        mThread.join();
        close(mListener);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] int Port() const { return mPort; }
    [[nodiscard]] std::string Url(const std::string& path = "/") const
    {
        return "http://127.0.0.1:" + std::to_string(mPort) + path;
    }
    /// Waits until the request has arrived, and returns it.
    std::string Request() { return mRequest.get(); }

private:
    void Serve()
    {
        const int client = accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            mRequestPromise.set_value({});
            return;
        }
        const int one = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        mRequestPromise.set_value(ReadRequest(client));
        mScript(client);
        close(client);
    }

    static std::string ReadRequest(int socket)
    {
        std::string request;
        char data[4096];
        size_t expected = std::string::npos;
        while (request.size() < expected) {
            const ssize_t n = recv(socket, data, sizeof data, 0);
            if (n <= 0)
                break;
            request.append(data, static_cast<size_t>(n));
            const size_t headEnd = request.find("\r\n\r\n");
            if (headEnd != std::string::npos && expected == std::string::npos) {
                const size_t length = request.find("Content-Length: ");
                const size_t body = length < headEnd ? std::strtoul(request.c_str() + length + 16, nullptr, 10) : 0;
                expected = headEnd + 4 + body;
            }
        }
        return request;
    }

    Script mScript;
    int mListener = -1;
    int mPort = 0;
    std::promise<std::string> mRequestPromise;
    std::shared_future<std::string> mRequest = mRequestPromise.get_future().share();
    std::thread mThread;
};

} // namespace PyxoTest
