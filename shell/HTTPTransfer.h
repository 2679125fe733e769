#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace Pyxo {

/// A small HTTP/1.1 client: the caller hands it a URL (or a bare "host[:port]") and a complete request text; a
/// worker thread resolves the host, connects, sends the text and reads the response (plain, sized or chunked
/// body). The caller never blocks: it polls the result code, may abort, and may wait for the worker to end. One
/// transfer at a time; a new request resets the object. There is no overall time-out: only Abort ends a transfer
/// that hangs. The caller's thread owns the object; the worker shares only the atomic flags and the result, and
/// the content once the result has left RESULT_NOT_COMPLETED.
class HTTPTransfer {
public:
    enum Result {
        RESULT_DONE = 0,          // the response was read to its end
        RESULT_NOT_STARTED = 1,   // constructed or reset, nothing started
        RESULT_NOT_COMPLETED = 2, // in progress
        RESULT_NOT_FOUND = 3,     // status 404
        RESULT_HTTP_ERROR = 4,    // a status other than 200 and 404
        RESULT_ABORTED = 5,       //
        RESULT_SOCKET_ERROR = 6,  // no socket, a failed wait or read, or a response that broke off
        RESULT_INVALID_ADDR = 7,  // host not found
        RESULT_CONNECT_FAIL = 8,  //
        RESULT_DISCONNECTED = 9,  // sending failed
    };

    HTTPTransfer();
    /// Aborts and waits for the worker.
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    /// PrepareUrl, then starts sending the request text as it is.
    void SendRequest(const std::string& url, const std::string& request);
    /// Resets, then splits the URL into protocol, host, port (80 unless given) and path, result 2.
    void PrepareUrl(const std::string& url);
    void StartTransfer();
    /// Asks the worker to stop at its next check (within 100 ms); returns at once.
    void Abort();
    /// Returns once no worker runs.
    void WaitFor();
    /// Aborts and waits for a running worker, then back to RESULT_NOT_STARTED with everything cleared.
    void Reset();
    [[nodiscard]] int GetResultCode() const { return mResult.load(); }
    /// The body received; read it only once the result has left RESULT_NOT_COMPLETED.
    [[nodiscard]] const std::string& GetContent() const { return mContent; }
    /// The last "Content-Length: " of the response, else 0; read it as the content.
    [[nodiscard]] int64_t GetContentLength() const { return mContentLength; }

    int mTransferId = 0;
    std::string mRequest; // still to be sent
    std::string mUrl;
    std::string mProtocol; // before "//", without its ':'
    std::string mHost;
    int mPort = 80;
    std::string mPath;

private:
    void Run(); // the worker
    void SetResult(int result);
    /// Waits in 100 ms ticks until the socket can be read or written, or stop is set; false (with result 6)
    /// when the wait fails.
    bool WaitForSocket(int socket, bool forWrite);
    bool Connect(int socket);
    void ReceiveResponse(int socket);
    void JoinWorker();

    std::string mContent;
    int64_t mContentLength = 0;
    std::atomic<bool> mRunning = false;
    std::atomic<bool> mActive = false;
    std::atomic<bool> mStop = false;
    std::atomic<bool> mAborted = false;
    std::atomic<int> mResult = RESULT_NOT_STARTED;
    std::thread mWorker;
    std::mutex mEndMutex; // with mEnded: the worker's end, for WaitFor
    std::condition_variable mEnded;
};

} // namespace Pyxo
