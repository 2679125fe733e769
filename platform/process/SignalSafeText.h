#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Platform {

/// Text built in a buffer the caller reserved beforehand, for code that runs in a signal handler: no allocation,
/// no locale, no library formatting, nothing but stores into the buffer. Text that does not fit is cut off; the
/// buffer always stays NUL-terminated.
class SignalSafeText {
public:
    SignalSafeText(char* buffer, size_t capacity);
    SignalSafeText(const SignalSafeText&) = delete;
    SignalSafeText& operator=(const SignalSafeText&) = delete;

    SignalSafeText& Append(std::string_view text);
    SignalSafeText& Append(char c);
    /// Upper-case hexadecimal, padded with zeros to at least `digits` digits ("%0*X").
    SignalSafeText& AppendHex(uint64_t value, int digits = 1);
    /// Lower-case hexadecimal without padding ("%x").
    SignalSafeText& AppendLowerHex(uint64_t value);
    SignalSafeText& AppendDecimal(int64_t value);

    [[nodiscard]] const char* Data() const { return mBuffer; }
    [[nodiscard]] size_t Size() const { return mSize; }
    [[nodiscard]] std::string_view View() const { return {mBuffer, mSize}; }
    /// Drops the text after the first `size` characters.
    void Truncate(size_t size);

private:
    SignalSafeText& AppendDigits(uint64_t value, unsigned base, const char* digitSet, int minDigits);

    char* mBuffer;    // borrowed
    size_t mCapacity; // bytes, the terminator included
    size_t mSize = 0;
};

} // namespace Platform
