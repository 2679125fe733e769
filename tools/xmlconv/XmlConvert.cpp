#include "tools/xmlconv/XmlConvert.h"

#include "platform/files/FileSystem.h"
#include "platform/window/Utf16Conversion.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace XmlConvert {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

size_t LineAt(std::string_view text, size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

bool Refuse(std::string_view text, size_t offset, std::string message, Failure& failure)
{
    failure.line = LineAt(text, offset);
    failure.message = std::move(message);
    return false;
}

std::string ByteText(uint8_t byte)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", byte);
    return buffer;
}

} // namespace

bool CheckUtf8(std::string_view utf8, Failure& failure)
{
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<uint8_t>(utf8[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length = 0;
        char32_t codePoint = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
            minimum = 0x10000;
        } else {
            return Refuse(utf8, i, "invalid UTF-8: byte " + ByteText(lead) + " cannot start a character", failure);
        }
        if (i + length > utf8.size())
            return Refuse(utf8, i, "invalid UTF-8: the file ends inside a character", failure);
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(utf8[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return Refuse(utf8, i, "invalid UTF-8: byte " + ByteText(next) + " breaks a character", failure);
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        if (codePoint < minimum)
            return Refuse(utf8, i, "invalid UTF-8: an overlong character", failure);
        if (codePoint >= 0xD800 && codePoint <= 0xDFFF)
            return Refuse(utf8, i, "invalid UTF-8: an encoded surrogate", failure);
        if (codePoint > 0x10FFFF)
            return Refuse(utf8, i, "invalid UTF-8: a character beyond U+10FFFF", failure);
        i += length;
    }
    return true;
}

bool Utf8ToUtf16Le(std::string_view utf8, std::vector<uint8_t>& out, Failure& failure)
{
    if (!CheckUtf8(utf8, failure))
        return false;
    if (utf8.substr(0, kUtf8Mark.size()) == kUtf8Mark)
        utf8.remove_prefix(kUtf8Mark.size());
    // Valid input converts without substitution, so the shared conversion serves.
    const std::wstring units = Platform::Utf8ToUtf16(utf8);
    std::vector<uint8_t> bytes;
    bytes.reserve(2 + 2 * units.size());
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    for (const wchar_t unit : units) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    out = std::move(bytes);
    return true;
}

bool CheckWellFormed(std::string_view utf8, Failure& failure)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
    if (result)
        return true;
    return Refuse(utf8, static_cast<size_t>(std::max<std::ptrdiff_t>(result.offset, 0)),
                  std::string("not well-formed XML: ") + result.description(), failure);
}

bool ConvertFile(const std::filesystem::path& input, const std::filesystem::path& output, std::string& error)
{
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        error = input.string() + ": cannot be read";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    Failure failure;
    std::vector<uint8_t> bytes;
    if (!CheckUtf8(text, failure) || !CheckWellFormed(text, failure) || !Utf8ToUtf16Le(text, bytes, failure)) {
        error = input.string() + ":" + std::to_string(failure.line) + ": " + failure.message;
        return false;
    }
    if (!Platform::WriteFileAtomic(output.string(), bytes)) {
        error = output.string() + ": cannot be written";
        return false;
    }
    return true;
}

} // namespace XmlConvert
