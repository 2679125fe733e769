#include "shell/StrFormat.h"

#include "platform/log/Log.h"
#include "shell/StringHelpers.h"

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <limits>
#include <string_view>

namespace Pyxo {
namespace {

constexpr const char* kLogArea = "format";

// One wide format, parsed by hand so that %s, %S, widths and precisions mean what Windows callers expect.
class WideFormatter {
public:
    WideFormatter(const wchar_t* format, va_list* args) : mFormat(format), mArgs(args) {}

    // False (and Error() says why) when the format cannot be honoured.
    bool Run();
    const char* Error() const { return mError; }
    std::wstring& Text() { return mText; }

private:
    struct Spec {
        std::string flags;
        size_t width = 0;
        bool leftAlign = false;
        bool hasPrecision = false;
        size_t precision = 0;
        std::string length; // "", "hh", "h", "l", "ll", "j", "z", "t", "L", "w"
        wchar_t conversion = 0;
    };

    bool Fail(const char* reason)
    {
        mError = reason;
        return false;
    }
    bool ParseSpec(Spec& spec);
    bool ReadNumber(size_t& value);
    bool FormatOne(const Spec& spec);
    bool AppendText(const Spec& spec, const wchar_t* wide, const char* narrow);
    bool AppendChar(const Spec& spec, wchar_t c);
    bool AppendPadded(const Spec& spec, size_t length, const wchar_t* wide, const char* narrow);
    bool AppendSigned(const Spec& spec);
    bool AppendUnsigned(const Spec& spec);
    bool AppendFloat(const Spec& spec);
    template <typename T>
    bool AppendNumber(const Spec& spec, const char* length, T value);

    const wchar_t* mFormat;
    va_list* mArgs;
    std::wstring mText;
    const char* mError = nullptr;
};

bool WideFormatter::Run()
{
    while (*mFormat != 0) {
        if (*mFormat != L'%') {
            if (mText.size() >= kMaxFormattedLength) {
                return Fail("the result is too long");
            }
            mText.push_back(*mFormat++);
            continue;
        }
        ++mFormat;
        Spec spec;
        if (!ParseSpec(spec) || !FormatOne(spec)) {
            return false;
        }
    }
    return true;
}

bool WideFormatter::ReadNumber(size_t& value)
{
    value = 0;
    while (*mFormat >= L'0' && *mFormat <= L'9') {
        value = value * 10 + static_cast<size_t>(*mFormat++ - L'0');
        if (value > kMaxFormattedLength) {
            return Fail("a width or precision is larger than any result may be");
        }
    }
    return true;
}

bool WideFormatter::ParseSpec(Spec& spec)
{
    for (;; ++mFormat) {
        const wchar_t c = *mFormat;
        if (c == L'-') {
            spec.leftAlign = true;
        } else if (c == L'+' || c == L' ' || c == L'#' || c == L'0') {
            spec.flags.push_back(static_cast<char>(c));
        } else {
            break;
        }
    }
    if (*mFormat == L'*') {
        ++mFormat;
        const int width = va_arg(*mArgs, int);
        if (width < 0) {
            spec.leftAlign = true; // as C says: a negative width is a '-' flag
        }
        const auto magnitude = width < 0 ? -static_cast<int64_t>(width) : static_cast<int64_t>(width);
        if (magnitude > static_cast<int64_t>(kMaxFormattedLength)) {
            return Fail("a width is larger than any result may be");
        }
        spec.width = static_cast<size_t>(magnitude);
    } else if (!ReadNumber(spec.width)) {
        return false;
    }
    if (*mFormat == L'.') {
        ++mFormat;
        spec.hasPrecision = true;
        if (*mFormat == L'*') {
            ++mFormat;
            const int precision = va_arg(*mArgs, int);
            if (precision < 0) {
                spec.hasPrecision = false; // as C says: as if omitted
            } else if (static_cast<size_t>(precision) > kMaxFormattedLength) {
                return Fail("a precision is larger than any result may be");
            } else {
                spec.precision = static_cast<size_t>(precision);
            }
        } else if (!ReadNumber(spec.precision)) {
            return false;
        }
    }
    static constexpr std::wstring_view kLengths[] = {L"hh", L"ll", L"h", L"l", L"j", L"z", L"t", L"L", L"w"};
    const std::wstring_view rest(mFormat);
    for (const auto length : kLengths) {
        if (rest.starts_with(length)) {
            spec.length.assign(length.begin(), length.end());
            mFormat += length.size();
            break;
        }
    }
    if (*mFormat == 0) {
        return Fail("the format ends inside a conversion");
    }
    spec.conversion = *mFormat++;
    return true;
}

bool WideFormatter::FormatOne(const Spec& spec)
{
    const std::string& length = spec.length;
    switch (spec.conversion) {
    case L'%':
        return AppendChar(Spec{}, L'%');
    case L's':
    case L'S': {
        // Windows: the conversion's own width is wide for %s and narrow for %S; h and l/w override it.
        const bool narrow = length == "h" || (spec.conversion == L'S' && length != "l" && length != "w");
        if (!length.empty() && length != "h" && length != "l" && length != "w") {
            return Fail("a text conversion with a number length");
        }
        if (narrow) {
            return AppendText(spec, nullptr, va_arg(*mArgs, const char*));
        }
        return AppendText(spec, va_arg(*mArgs, const wchar_t*), nullptr);
    }
    case L'c':
    case L'C': {
        const bool narrow = length == "h" || (spec.conversion == L'C' && length != "l" && length != "w");
        if (!length.empty() && length != "h" && length != "l" && length != "w") {
            return Fail("a character conversion with a number length");
        }
        const int value = va_arg(*mArgs, int);
        return AppendChar(spec, narrow ? static_cast<wchar_t>(static_cast<unsigned char>(value))
                                       : static_cast<wchar_t>(value));
    }
    case L'd':
    case L'i':
        return AppendSigned(spec);
    case L'o':
    case L'u':
    case L'x':
    case L'X':
        return AppendUnsigned(spec);
    case L'e':
    case L'E':
    case L'f':
    case L'F':
    case L'g':
    case L'G':
    case L'a':
    case L'A':
        return AppendFloat(spec);
    case L'p':
        if (!length.empty()) {
            return Fail("a pointer conversion with a length");
        }
        return AppendNumber(spec, "", va_arg(*mArgs, void*));
    case L'n':
        return Fail("%n is not supported");
    default:
        return Fail("an unknown conversion");
    }
}

bool WideFormatter::AppendPadded(const Spec& spec, size_t length, const wchar_t* wide, const char* narrow)
{
    const size_t padding = spec.width > length ? spec.width - length : 0;
    if (mText.size() + padding + length > kMaxFormattedLength) {
        return Fail("the result is too long");
    }
    if (!spec.leftAlign) {
        mText.append(padding, L' ');
    }
    if (wide != nullptr) {
        mText.append(wide, length);
    } else {
        for (size_t i = 0; i < length; ++i) {
            mText.push_back(static_cast<wchar_t>(static_cast<unsigned char>(narrow[i])));
        }
    }
    if (spec.leftAlign) {
        mText.append(padding, L' ');
    }
    return true;
}

bool WideFormatter::AppendText(const Spec& spec, const wchar_t* wide, const char* narrow)
{
    // A precision bounds the read as well, so text need not be terminated within it.
    const size_t limit = spec.hasPrecision ? spec.precision : std::numeric_limits<size_t>::max();
    if (wide == nullptr && narrow == nullptr) {
        wide = L"(null)";
    }
    size_t length = 0;
    if (wide != nullptr) {
        while (length < limit && wide[length] != 0) {
            ++length;
        }
    } else {
        while (length < limit && narrow[length] != 0) {
            ++length;
        }
    }
    return AppendPadded(spec, length, wide, narrow);
}

bool WideFormatter::AppendChar(const Spec& spec, wchar_t c)
{
    return AppendPadded(spec, 1, &c, nullptr);
}

bool WideFormatter::AppendSigned(const Spec& spec)
{
    const std::string& length = spec.length;
    long long value = 0;
    if (length.empty()) {
        value = va_arg(*mArgs, int);
    } else if (length == "hh") {
        value = static_cast<signed char>(va_arg(*mArgs, int));
    } else if (length == "h") {
        value = static_cast<short>(va_arg(*mArgs, int));
    } else if (length == "l") {
        value = va_arg(*mArgs, long);
    } else if (length == "ll") {
        value = va_arg(*mArgs, long long);
    } else if (length == "j") {
        value = va_arg(*mArgs, intmax_t);
    } else if (length == "z") {
        value = va_arg(*mArgs, ssize_t);
    } else if (length == "t") {
        value = va_arg(*mArgs, ptrdiff_t);
    } else {
        return Fail("an integer conversion with a wrong length");
    }
    return AppendNumber(spec, "ll", value);
}

bool WideFormatter::AppendUnsigned(const Spec& spec)
{
    const std::string& length = spec.length;
    unsigned long long value = 0;
    if (length.empty()) {
        value = va_arg(*mArgs, unsigned);
    } else if (length == "hh") {
        value = static_cast<unsigned char>(va_arg(*mArgs, unsigned));
    } else if (length == "h") {
        value = static_cast<unsigned short>(va_arg(*mArgs, unsigned));
    } else if (length == "l") {
        value = va_arg(*mArgs, unsigned long);
    } else if (length == "ll") {
        value = va_arg(*mArgs, unsigned long long);
    } else if (length == "j") {
        value = va_arg(*mArgs, uintmax_t);
    } else if (length == "z") {
        value = va_arg(*mArgs, size_t);
    } else if (length == "t") {
        value = static_cast<unsigned long long>(va_arg(*mArgs, ptrdiff_t));
    } else {
        return Fail("an integer conversion with a wrong length");
    }
    return AppendNumber(spec, "ll", value);
}

bool WideFormatter::AppendFloat(const Spec& spec)
{
    if (spec.length == "L") {
        return AppendNumber(spec, "L", va_arg(*mArgs, long double));
    }
    if (!spec.length.empty() && spec.length != "l") {
        return Fail("a floating-point conversion with a wrong length");
    }
    return AppendNumber(spec, "", va_arg(*mArgs, double));
}

// Numbers are formatted by the C library into bytes (digits, signs, letters: all ASCII) and widened.
template <typename T>
bool WideFormatter::AppendNumber(const Spec& spec, const char* length, T value)
{
    std::string format = "%" + spec.flags;
    if (spec.leftAlign) {
        format += '-';
    }
    if (spec.width > 0) {
        format += std::to_string(spec.width);
    }
    if (spec.hasPrecision) {
        format += '.' + std::to_string(spec.precision);
    }
    format += length;
    format += static_cast<char>(spec.conversion);

    char small[64];
    const int needed = std::snprintf(small, sizeof small, format.c_str(), value);
    if (needed < 0) {
        return Fail("the C library cannot format a number");
    }
    const auto count = static_cast<size_t>(needed);
    if (mText.size() + count > kMaxFormattedLength) {
        return Fail("the result is too long");
    }
    std::string big;
    const char* digits = small;
    if (count >= sizeof small) {
        big.resize(count);
        std::snprintf(big.data(), count + 1, format.c_str(), value);
        digits = big.data();
    }
    for (size_t i = 0; i < count; ++i) {
        mText.push_back(static_cast<wchar_t>(static_cast<unsigned char>(digits[i])));
    }
    return true;
}

} // namespace

std::string StrFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    return text;
}

std::string StrFormatV(const char* format, va_list args)
{
    // Most results are short: one pass into a small buffer, a second only when it did not fit.
    char small[160];
    va_list first;
    va_copy(first, args);
    const int needed = std::vsnprintf(small, sizeof small, format, first);
    va_end(first);
    if (needed < 0) {
        PLATFORM_LOG_WARNING(kLogArea, "cannot format \"%s\"", format);
        return {};
    }
    const auto count = static_cast<size_t>(needed);
    if (count < sizeof small) {
        return std::string(small, count);
    }
    if (count > kMaxFormattedLength) {
        PLATFORM_LOG_WARNING(kLogArea, "\"%s\" gives %zu characters, more than %zu", format, count,
                             kMaxFormattedLength);
        return {};
    }
    std::string text(count, '\0');
    va_list second;
    va_copy(second, args);
    std::vsnprintf(text.data(), count + 1, format, second);
    va_end(second);
    return text;
}

std::wstring WStrFormat(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = WStrFormatV(format, args);
    va_end(args);
    return text;
}

std::wstring WStrFormatV(const wchar_t* format, va_list args)
{
    if (format == nullptr) {
        return {};
    }
    va_list copy;
    va_copy(copy, args);
    WideFormatter formatter(format, &copy);
    const bool ok = formatter.Run();
    va_end(copy);
    if (!ok) {
        PLATFORM_LOG_WARNING(kLogArea, "cannot format \"%s\": %s", WStringToString(format).c_str(), formatter.Error());
        return {};
    }
    return std::move(formatter.Text());
}

void OutputDebug(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = WStringToString(WStrFormatV(format, args));
    va_end(args);
    // The log sink ends every entry with its own line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    Platform::Log(Platform::LogLevel::Debug, "debug", "%s", text.c_str());
}

} // namespace Pyxo
