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

    // False (and Error() says why) when the format cannot be honoured, or when the result was cut at the
    // longest length (Cut()).
    bool Run();
    const char* Error() const { return mError; }
    bool Cut() const { return mCut; }
    std::wstring& Text() { return mText; }

private:
    struct Directive {
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
    // The result reached the longest length: what fits is kept, the rest of the format is not run.
    bool StopCut()
    {
        mCut = true;
        return Fail("the result is too long");
    }
    size_t Room() const { return kMaxFormattedLength - mText.size(); }
    bool ParseDirective(Directive& directive);
    bool ReadNumber(size_t& value);
    bool FormatOne(const Directive& directive);
    bool AppendText(const Directive& directive, const wchar_t* wide, const char* narrow);
    bool AppendChar(const Directive& directive, wchar_t c);
    bool AppendPadded(const Directive& directive, size_t length, const wchar_t* wide, const char* narrow);
    bool AppendSigned(const Directive& directive);
    bool AppendUnsigned(const Directive& directive);
    bool AppendFloat(const Directive& directive);
    template <typename T>
    bool AppendNumber(const Directive& directive, const char* length, T value);

    const wchar_t* mFormat;
    va_list* mArgs;
    std::wstring mText;
    const char* mError = nullptr;
    bool mCut = false;
};

bool WideFormatter::Run()
{
    while (*mFormat != 0) {
        if (*mFormat != L'%') {
            if (Room() == 0) {
                return StopCut();
            }
            mText.push_back(*mFormat++);
            continue;
        }
        ++mFormat;
        Directive directive;
        if (!ParseDirective(directive) || !FormatOne(directive)) {
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

bool WideFormatter::ParseDirective(Directive& directive)
{
    for (;; ++mFormat) {
        const wchar_t c = *mFormat;
        if (c == L'-') {
            directive.leftAlign = true;
        } else if (c == L'+' || c == L' ' || c == L'#' || c == L'0') {
            directive.flags.push_back(static_cast<char>(c));
        } else {
            break;
        }
    }
    if (*mFormat == L'*') {
        ++mFormat;
        const int width = va_arg(*mArgs, int);
        if (width < 0) {
            directive.leftAlign = true; // as C says: a negative width is a '-' flag
        }
        const auto magnitude = width < 0 ? -static_cast<int64_t>(width) : static_cast<int64_t>(width);
        if (magnitude > static_cast<int64_t>(kMaxFormattedLength)) {
            return Fail("a width is larger than any result may be");
        }
        directive.width = static_cast<size_t>(magnitude);
    } else if (!ReadNumber(directive.width)) {
        return false;
    }
    if (*mFormat == L'.') {
        ++mFormat;
        directive.hasPrecision = true;
        if (*mFormat == L'*') {
            ++mFormat;
            const int precision = va_arg(*mArgs, int);
            if (precision < 0) {
                directive.hasPrecision = false; // as C says: as if omitted
            } else if (static_cast<size_t>(precision) > kMaxFormattedLength) {
                return Fail("a precision is larger than any result may be");
            } else {
                directive.precision = static_cast<size_t>(precision);
            }
        } else if (!ReadNumber(directive.precision)) {
            return false;
        }
    }
    static constexpr std::wstring_view kLengths[] = {L"hh", L"ll", L"h", L"l", L"j", L"z", L"t", L"L", L"w"};
    const std::wstring_view rest(mFormat);
    for (const auto length : kLengths) {
        if (rest.starts_with(length)) {
            directive.length.assign(length.begin(), length.end());
            mFormat += length.size();
            break;
        }
    }
    if (*mFormat == 0) {
        return Fail("the format ends inside a conversion");
    }
    directive.conversion = *mFormat++;
    return true;
}

bool WideFormatter::FormatOne(const Directive& directive)
{
    const std::string& length = directive.length;
    switch (directive.conversion) {
    case L'%':
        return AppendChar(Directive{}, L'%');
    case L's':
    case L'S': {
        // Windows: the conversion's own width is wide for %s and narrow for %S; h and l/w override it.
        const bool narrow = length == "h" || (directive.conversion == L'S' && length != "l" && length != "w");
        if (!length.empty() && length != "h" && length != "l" && length != "w") {
            return Fail("a text conversion with a number length");
        }
        if (narrow) {
            return AppendText(directive, nullptr, va_arg(*mArgs, const char*));
        }
        return AppendText(directive, va_arg(*mArgs, const wchar_t*), nullptr);
    }
    case L'c':
    case L'C': {
        const bool narrow = length == "h" || (directive.conversion == L'C' && length != "l" && length != "w");
        if (!length.empty() && length != "h" && length != "l" && length != "w") {
            return Fail("a character conversion with a number length");
        }
        const int value = va_arg(*mArgs, int);
        return AppendChar(directive, narrow ? static_cast<wchar_t>(static_cast<unsigned char>(value))
                                            : static_cast<wchar_t>(value));
    }
    case L'd':
    case L'i':
        return AppendSigned(directive);
    case L'o':
    case L'u':
    case L'x':
    case L'X':
        return AppendUnsigned(directive);
    case L'e':
    case L'E':
    case L'f':
    case L'F':
    case L'g':
    case L'G':
    case L'a':
    case L'A':
        return AppendFloat(directive);
    case L'p':
        if (!length.empty()) {
            return Fail("a pointer conversion with a length");
        }
        return AppendNumber(directive, "", va_arg(*mArgs, void*));
    case L'n':
        return Fail("%n is not supported");
    default:
        return Fail("an unknown conversion");
    }
}

bool WideFormatter::AppendPadded(const Directive& directive, size_t length, const wchar_t* wide, const char* narrow)
{
    const size_t padding = directive.width > length ? directive.width - length : 0;
    const bool cut = padding + length > Room();
    if (!directive.leftAlign) {
        mText.append(std::min(padding, Room()), L' ');
    }
    const size_t kept = std::min(length, Room());
    if (wide != nullptr) {
        mText.append(wide, kept);
    } else {
        for (size_t i = 0; i < kept; ++i) {
            mText.push_back(static_cast<wchar_t>(static_cast<unsigned char>(narrow[i])));
        }
    }
    if (directive.leftAlign) {
        mText.append(std::min(padding, Room()), L' ');
    }
    return cut ? StopCut() : true;
}

bool WideFormatter::AppendText(const Directive& directive, const wchar_t* wide, const char* narrow)
{
    // A precision bounds the read as well, so text need not be terminated within it.
    const size_t limit = directive.hasPrecision ? directive.precision : std::numeric_limits<size_t>::max();
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
    return AppendPadded(directive, length, wide, narrow);
}

bool WideFormatter::AppendChar(const Directive& directive, wchar_t c)
{
    return AppendPadded(directive, 1, &c, nullptr);
}

bool WideFormatter::AppendSigned(const Directive& directive)
{
    const std::string& length = directive.length;
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
    return AppendNumber(directive, "ll", value);
}

bool WideFormatter::AppendUnsigned(const Directive& directive)
{
    const std::string& length = directive.length;
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
    return AppendNumber(directive, "ll", value);
}

bool WideFormatter::AppendFloat(const Directive& directive)
{
    if (directive.length == "L") {
        return AppendNumber(directive, "L", va_arg(*mArgs, long double));
    }
    if (!directive.length.empty() && directive.length != "l") {
        return Fail("a floating-point conversion with a wrong length");
    }
    return AppendNumber(directive, "", va_arg(*mArgs, double));
}

// Numbers are formatted by the C library into bytes (digits, signs, letters: all ASCII) and widened.
template <typename T>
bool WideFormatter::AppendNumber(const Directive& directive, const char* length, T value)
{
    std::string format = "%" + directive.flags;
    if (directive.leftAlign) {
        format += '-';
    }
    if (directive.width > 0) {
        format += std::to_string(directive.width);
    }
    if (directive.hasPrecision) {
        format += '.' + std::to_string(directive.precision);
    }
    format += length;
    format += static_cast<char>(directive.conversion);

    char small[64];
    const int needed = std::snprintf(small, sizeof small, format.c_str(), value);
    if (needed < 0) {
        return Fail("the C library cannot format a number");
    }
    const auto count = static_cast<size_t>(needed);
    std::string big;
    const char* digits = small;
    if (count >= sizeof small) {
        big.resize(count);
        std::snprintf(big.data(), count + 1, format.c_str(), value);
        digits = big.data();
    }
    const size_t kept = std::min(count, Room());
    for (size_t i = 0; i < kept; ++i) {
        mText.push_back(static_cast<wchar_t>(static_cast<unsigned char>(digits[i])));
    }
    return kept < count ? StopCut() : true;
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
    // A longer result is cut, never emptied: the start of a long message still says what went wrong.
    const size_t kept = std::min(count, kMaxFormattedLength);
    if (kept < count) {
        PLATFORM_LOG_WARNING(kLogArea, "\"%s\" gives %zu characters, cut to %zu", format, count, kMaxFormattedLength);
    }
    std::string text(kept, '\0');
    va_list second;
    va_copy(second, args);
    std::vsnprintf(text.data(), kept + 1, format, second);
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
        // A result cut at the longest length is kept, so that a long message still says what went wrong.
        return formatter.Cut() ? std::move(formatter.Text()) : std::wstring();
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
