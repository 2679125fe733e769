#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Pyxo {

/// Reads an HTTP/1.x response as its bytes arrive, in whatever pieces: the head line by line (status, chunked
/// transfer encoding, Content-Length), then the body, which is plain (up to the close), sized or chunked. Keeps
/// the result in the codes of HTTPTransfer: 2 while reading, 0 once the body is complete, 3 for a status of 404,
/// 4 for any status but 200 and 404 (the body is then not read), 6 for a response that breaks off or cannot be
/// read. Header names are matched as written. Not thread-safe; HTTPTransfer's worker owns one per transfer.
class HTTPResponseReader {
public:
    /// Adds received bytes and reads as far as they go; returns the result.
    int Receive(const char* data, size_t size);
    /// The connection closed: a plain body ends here; a head, sized body or chunked body that has not ended is
    /// a truncated response (6). Returns the result.
    int Close();

    [[nodiscard]] int GetResult() const { return mResult; }
    [[nodiscard]] bool IsFinished() const { return mResult != kReading; }
    /// The value of the last "Content-Length: " header; 0 without one. A value that is not a decimal number of
    /// bytes ends the response as truncated (6).
    [[nodiscard]] int64_t GetContentLength() const { return mContentLength; }
    [[nodiscard]] const std::string& GetContent() const { return mContent; }
    [[nodiscard]] std::string TakeContent() { return std::move(mContent); }

private:
    static constexpr int kReading = 2;

    /// One step of reading; false when it needs more bytes or the result is settled.
    bool Step();
    bool StepHead();
    bool StepChunked();
    bool StepSized();
    /// The next complete line from the read position, moving past it; false when none has fully arrived.
    bool TakeLine(std::string& line);
    [[nodiscard]] size_t Unread() const { return mReceived.size() - mPos; }
    void TakeBody(size_t count);

    std::string mReceived;
    size_t mPos = 0; // read position in mReceived
    std::string mContent;
    int mResult = kReading;
    int64_t mContentLength = 0;
    bool mHeadDone = false;
    bool mChunked = false;
    bool mHasContentLength = false;
    bool mSized = false;            // a Content-Length above 0 bounds the body
    int64_t mBodyRemaining = 0;     // sized body
    int64_t mChunkRemaining = 0;    // current chunk
    bool mAwaitingChunkEnd = false; // the "\r\n" after a chunk's data is still to come
};

} // namespace Pyxo
