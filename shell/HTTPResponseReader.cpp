#include "shell/HTTPResponseReader.h"

#include "shell/StringHelpers.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace Pyxo {

namespace {

constexpr int kDone = 0;
constexpr int kNotFound = 3;
constexpr int kHttpError = 4;
constexpr int kBroken = 6;

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

int HTTPResponseReader::Receive(const char* data, size_t size)
{
    if (IsFinished())
        return mResult;
    mReceived.append(data, size);
    while (Step()) {
    }
    // What was read is dropped now and then, so a long body does not keep the whole response twice.
    if (mPos > 4096) {
        mReceived.erase(0, mPos);
        mPos = 0;
    }
    return mResult;
}

int HTTPResponseReader::Close()
{
    if (IsFinished())
        return mResult;
    // A plain body is the only one that the close itself ends; anything else stopped short.
    mResult = mHeadDone && !mChunked && !mSized ? kDone : kBroken;
    return mResult;
}

bool HTTPResponseReader::Step()
{
    if (IsFinished())
        return false;
    if (!mHeadDone)
        return StepHead();
    if (mChunked)
        return StepChunked();
    if (mSized)
        return StepSized();
    if (Unread() == 0)
        return false;
    TakeBody(Unread());
    return true;
}

bool HTTPResponseReader::TakeLine(std::string& line)
{
    const size_t end = mReceived.find("\r\n", mPos);
    if (end == std::string::npos)
        return false;
    line.assign(mReceived, mPos, end - mPos);
    mPos = end + 2;
    return true;
}

void HTTPResponseReader::TakeBody(size_t count)
{
    mContent.append(mReceived, mPos, count);
    mPos += count;
}

bool HTTPResponseReader::StepHead()
{
    std::string line;
    if (!TakeLine(line))
        return false;
    if (StartsWith(line, "HTTP/1.")) {
        // "HTTP/1.1 200 OK": the status is the three characters at index 9; a shorter line has none.
        const std::string status = line.size() >= 12 ? line.substr(9, 3) : std::string();
        if (status == "404")
            mResult = kNotFound;
        else if (status != "200")
            mResult = kHttpError;
    } else if (StartsWith(line, "Transfer-Encoding: ")) {
        if (line.compare(19, std::string::npos, "identity") != 0)
            mChunked = true;
    } else if (StartsWith(line, "Content-Length: ")) {
        // A length that is not a whole number of bytes cannot tell where the body ends.
        const std::string value = Trim(line.substr(16));
        int64_t length = -1;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
        if (value.empty() || error != std::errc() || end != value.data() + value.size() || length < 0) {
            mResult = kBroken;
            return false;
        }
        mContentLength = length;
        mHasContentLength = true;
        mSized = mContentLength > 0;
        mBodyRemaining = mContentLength;
    } else if (line.empty()) {
        mHeadDone = true;
        // A body announced as empty is complete with the head; waiting for a close would hang on a server that
        // keeps the connection.
        if (!mChunked && mHasContentLength && mContentLength == 0)
            mResult = kDone;
    }
    return true;
}

bool HTTPResponseReader::StepChunked()
{
    if (mAwaitingChunkEnd) {
        if (Unread() < 2)
            return false;
        if (mReceived.compare(mPos, 2, "\r\n") != 0) {
            mResult = kBroken;
            return false;
        }
        mPos += 2;
        mAwaitingChunkEnd = false;
        return true;
    }
    if (mChunkRemaining == 0) {
        std::string line;
        if (!TakeLine(line))
            return false;
        // The size may carry extensions after ';', which say nothing about the length.
        line = Trim(line.substr(0, line.find(';')));
        int size = 0;
        if (line.empty() || !StringToInt("0x" + line, size) || size < 0) {
            mResult = kBroken;
            return false;
        }
        if (size == 0) {
            mResult = kDone; // the last chunk; trailers are not read
            return false;
        }
        mChunkRemaining = size;
        return true;
    }
    const size_t count = static_cast<size_t>(std::min<int64_t>(mChunkRemaining, static_cast<int64_t>(Unread())));
    if (count == 0)
        return false;
    TakeBody(count);
    mChunkRemaining -= static_cast<int64_t>(count);
    mAwaitingChunkEnd = mChunkRemaining == 0;
    return true;
}

bool HTTPResponseReader::StepSized()
{
    const size_t count = static_cast<size_t>(std::min<int64_t>(mBodyRemaining, static_cast<int64_t>(Unread())));
    if (count == 0)
        return false;
    TakeBody(count);
    mBodyRemaining -= static_cast<int64_t>(count);
    if (mBodyRemaining == 0)
        mResult = kDone;
    return true;
}

} // namespace Pyxo
