#include "shell/HTTPTransfer.h"

#include "shell/HTTPResponseReader.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace Pyxo {

namespace {

constexpr int kWaitTick = 100; // ms between checks of the stop flag
constexpr size_t kReceiveSize = 256;

std::atomic<int> gNextTransferId{0};

/// The host as a dotted address, else its first IPv4 address from the resolver (getaddrinfo: the worker may run
/// beside other resolving threads). INADDR_NONE when it has none.
in_addr_t ResolveHost(const std::string& host)
{
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) == 1)
        return address.s_addr;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return INADDR_NONE;
    const in_addr_t result = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return result;
}

} // namespace

HTTPTransfer::HTTPTransfer() : mTransferId(gNextTransferId++) {}

HTTPTransfer::~HTTPTransfer()
{
    Abort();
    JoinWorker();
}

void HTTPTransfer::SendRequest(const std::string& url, const std::string& request)
{
    PrepareUrl(url);
    mRequest = request;
    StartTransfer();
}

void HTTPTransfer::PrepareUrl(const std::string& url)
{
    Reset();
    mTransferId = gNextTransferId++;
    mUrl = url;
    mProtocol.clear();
    mPort = 80;
    size_t hostStart = 0;
    if (const size_t slashes = url.find("//"); slashes != std::string::npos) {
        mProtocol = url.substr(0, slashes > 0 ? slashes - 1 : 0);
        hostStart = slashes + 2;
    }
    const size_t pathStart = url.find('/', hostStart);
    if (pathStart == std::string::npos) {
        mHost = url.substr(hostStart);
        mPath.assign(1, '/'); // assigning "/" trips g++ 12's false -Wrestrict
    } else {
        mHost = url.substr(hostStart, pathStart - hostStart);
        mPath = url.substr(pathStart);
    }
    if (const size_t colon = mHost.find(':'); colon != std::string::npos) {
        mPort = std::atoi(mHost.c_str() + colon + 1);
        mHost.resize(colon);
    }
    mStop = false;
    mAborted = false;
    mResult = RESULT_NOT_COMPLETED;
    mContent.clear();
    mContentLength = 0;
}

void HTTPTransfer::StartTransfer()
{
    JoinWorker(); // a finished worker of an earlier request
    mRunning = true;
    mActive = true;
    mWorker = std::thread([this] { Run(); });
}

void HTTPTransfer::Abort()
{
    mAborted = true;
    mStop = true;
}

void HTTPTransfer::WaitFor()
{
    std::unique_lock lock(mEndMutex);
    mEnded.wait(lock, [this] { return !mRunning.load(); });
}

void HTTPTransfer::Reset()
{
    if (mActive) {
        Abort();
        WaitFor();
    }
    JoinWorker();
    mTransferId = gNextTransferId++;
    mResult = RESULT_NOT_STARTED;
    mContent.clear();
    mUrl.clear();
    mRequest.clear();
    mPath.clear();
    mStop = false;
    mAborted = false;
}

void HTTPTransfer::JoinWorker()
{
    if (mWorker.joinable())
        mWorker.join();
}

void HTTPTransfer::SetResult(int result)
{
    mResult = result;
    mStop = true; // every recorded result ends the transfer at the worker's next check
}

bool HTTPTransfer::WaitForSocket(int socket, bool forWrite)
{
    // poll in place of select: any descriptor number fits.
    pollfd entry{socket, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    while (!mStop) {
        const int ready = poll(&entry, 1, kWaitTick);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            SetResult(RESULT_SOCKET_ERROR);
            return false;
        }
        // An error or a hang-up counts as ready: the send or receive that follows reports it.
        if (ready > 0 && (entry.revents & (entry.events | POLLERR | POLLHUP)) != 0)
            return true;
    }
    return true;
}

bool HTTPTransfer::Connect(int socket)
{
    const in_addr_t address = ResolveHost(mHost);
    if (address == INADDR_NONE) {
        SetResult(RESULT_INVALID_ADDR);
        return false;
    }
    if (mPort < 1 || mPort > 65535) {
        SetResult(RESULT_CONNECT_FAIL);
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<uint16_t>(mPort));
    target.sin_addr.s_addr = address;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR) {
        SetResult(RESULT_CONNECT_FAIL);
        return false;
    }
    if (!WaitForSocket(socket, true)) {
        SetResult(RESULT_CONNECT_FAIL);
        return false;
    }
    if (mStop)
        return false;
    // A refused connection wakes the wait as writable; only the socket's error says how the connect ended.
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        SetResult(RESULT_CONNECT_FAIL);
        return false;
    }
    return true;
}

void HTTPTransfer::ReceiveResponse(int socket)
{
    HTTPResponseReader reader;
    const auto finish = [&](int result) {
        // The content is in place before the result leaves 2: the caller reads it as soon as it sees that.
        mContent = reader.TakeContent();
        mContentLength = reader.GetContentLength();
        if (result != RESULT_DONE)
            SetResult(result);
    };
    char data[kReceiveSize];
    while (!mStop) {
        if (!WaitForSocket(socket, false) || mStop)
            break;
        const ssize_t received = recv(socket, data, sizeof data, 0);
        if (received < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            finish(RESULT_SOCKET_ERROR);
            return;
        }
        const int result = received == 0 ? reader.Close() : reader.Receive(data, static_cast<size_t>(received));
        if (reader.IsFinished()) {
            finish(result);
            return;
        }
    }
    finish(RESULT_DONE); // stopped: the end step decides the result
}

void HTTPTransfer::Run()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0) {
        SetResult(RESULT_SOCKET_ERROR);
    } else {
        if (!mStop && Connect(socket)) {
            while (!mRequest.empty() && !mStop) {
                if (!WaitForSocket(socket, true) || mStop)
                    break;
                // MSG_NOSIGNAL: a peer that went away gives an error here, not a SIGPIPE for the whole process.
                const ssize_t sent = send(socket, mRequest.data(), mRequest.size(), MSG_NOSIGNAL);
                if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
                    continue;
                if (sent <= 0) {
                    SetResult(RESULT_DISCONNECTED);
                    break;
                }
                mRequest.erase(0, static_cast<size_t>(sent));
            }
            if (!mStop)
                ReceiveResponse(socket);
        }
        close(socket);
    }

    int inProgress = RESULT_NOT_COMPLETED;
    if (mAborted)
        mResult = RESULT_ABORTED;
    else
        mResult.compare_exchange_strong(inProgress, RESULT_DONE);
    mActive = false;
    {
        std::lock_guard lock(mEndMutex);
        mRunning = false;
    }
    mEnded.notify_all();
}

} // namespace Pyxo
