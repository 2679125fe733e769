#include "platform/process/SignalSafeText.h"

namespace Platform {

SignalSafeText::SignalSafeText(char* buffer, size_t capacity) : mBuffer(buffer), mCapacity(capacity)
{
    if (mCapacity > 0)
        mBuffer[0] = '\0';
}

SignalSafeText& SignalSafeText::Append(std::string_view text)
{
    for (char c : text)
        Append(c);
    return *this;
}

SignalSafeText& SignalSafeText::Append(char c)
{
    if (mSize + 1 < mCapacity) {
        mBuffer[mSize++] = c;
        mBuffer[mSize] = '\0';
    }
    return *this;
}

SignalSafeText& SignalSafeText::AppendDigits(uint64_t value, unsigned base, const char* digitSet, int minDigits)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = digitSet[value % base];
        value /= base;
    } while (value != 0 && count < 24);
    for (int i = count; i < minDigits && i < 24; ++i)
        Append('0');
    while (count > 0)
        Append(digits[--count]);
    return *this;
}

SignalSafeText& SignalSafeText::AppendHex(uint64_t value, int digits)
{
    return AppendDigits(value, 16, "0123456789ABCDEF", digits);
}

SignalSafeText& SignalSafeText::AppendLowerHex(uint64_t value)
{
    return AppendDigits(value, 16, "0123456789abcdef", 1);
}

SignalSafeText& SignalSafeText::AppendDecimal(int64_t value)
{
    if (value < 0) {
        Append('-');
        // Negated in unsigned arithmetic, so that the smallest value stays exact.
        return AppendDigits(0 - static_cast<uint64_t>(value), 10, "0123456789", 1);
    }
    return AppendDigits(static_cast<uint64_t>(value), 10, "0123456789", 1);
}

void SignalSafeText::Truncate(size_t size)
{
    if (size < mSize) {
        mSize = size;
        mBuffer[mSize] = '\0';
    }
}

} // namespace Platform
