#include "engine/XmlConfig.h"

#include "graphics/PakFile.h"
#include "platform/window/Utf16Conversion.h"
#include "shell/StringHelpers.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kBoolCapacity = 16;
constexpr long kMaxFileSize = 1L << 30;
constexpr std::wstring_view kTrue = L"true";

/// UTF-8 from the DOM to narrow bytes: units up to U+00FF as they are, anything else '?', as a conversion to a
/// single-byte code page replaces what it cannot hold.
std::string NarrowFromUtf8(std::string_view utf8, size_t size)
{
    const std::wstring wide = Platform::Utf8ToUtf16(utf8);
    std::string narrow;
    const size_t limit = size > 0 ? size - 1 : 0;
    narrow.reserve(std::min(wide.size(), limit));
    for (const wchar_t unit : wide) {
        if (narrow.size() >= limit)
            break;
        narrow.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return narrow;
}

std::string Utf8FromNarrow(std::string_view narrow)
{
    return Platform::Utf16ToUtf8(Pyxo::StringToWString(std::string(narrow)));
}

bool AgreeUpToShorter(std::wstring_view a, std::wstring_view b)
{
    const size_t length = std::min(a.size(), b.size());
    return a.substr(0, length) == b.substr(0, length);
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

/// Calls visit(token) for each comma-separated token up to the first empty one.
template <class Char, class Visit>
void ForEachToken(std::basic_string_view<Char> text, Visit visit)
{
    while (true) {
        const size_t comma = text.find(Char(','));
        const std::basic_string_view<Char> token = text.substr(0, comma);
        if (token.empty())
            return;
        visit(token);
        if (comma == std::basic_string_view<Char>::npos)
            return;
        text.remove_prefix(comma + 1);
    }
}

// The file each document was read from, for messages about its content. A document that goes away leaves its
// entry, which a document made later at the same address may inherit until it is read from a file itself: the
// table is kept small, and a stale name can only mislabel a message.
class DocumentFiles {
public:
    void Set(const void* document, const std::string& fileName)
    {
        const std::lock_guard lock(mMutex);
        if (mFiles.size() >= kMaxEntries && !mFiles.contains(document))
            mFiles.erase(mFiles.begin());
        mFiles[document] = fileName;
    }
    void Forget(const void* document)
    {
        const std::lock_guard lock(mMutex);
        mFiles.erase(document);
    }
    std::string Get(const void* document)
    {
        const std::lock_guard lock(mMutex);
        const auto it = mFiles.find(document);
        return it == mFiles.end() ? std::string() : it->second;
    }

private:
    static constexpr size_t kMaxEntries = 256;
    std::mutex mMutex;
    std::map<const void*, std::string> mFiles;
};

DocumentFiles& Files()
{
    static DocumentFiles files;
    return files;
}

// Line and column (both from 1) of a parse error: the reader counts its offset in the UTF-8 it converted the
// UTF-16LE text to.
std::pair<size_t, size_t> ErrorPosition(const uint8_t* text, size_t bytes, ptrdiff_t utf8Offset)
{
    size_t line = 1;
    size_t column = 1;
    ptrdiff_t at = 0;
    for (size_t i = 0; i + 1 < bytes && at < utf8Offset; i += 2) {
        const unsigned unit = text[i] | unsigned(text[i + 1]) << 8;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes) {
            const unsigned next = text[i + 2] | unsigned(text[i + 3]) << 8;
            if (next >= 0xDC00 && next < 0xE000) {
                at += 4;
                i += 2;
                ++column;
                continue;
            }
        }
        at += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
        if (unit == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return {line, column};
}

void SetWhy(std::string* why, std::string text)
{
    if (why)
        *why = std::move(text);
}

} // namespace

std::unique_ptr<pugi::xml_document> XmlCreateDocument()
{
    return std::make_unique<pugi::xml_document>();
}

bool XmlLoadFromFile(const std::string& fileName, pugi::xml_document& document, std::string* why)
{
    document.reset();
    Files().Forget(document.internal_object());
    PakFileHandle* file = PakFOpen(fileName.c_str(), "rb");
    if (!file) {
        SetWhy(why, "missing or cannot be opened");
        return false;
    }
    std::vector<uint8_t> bytes;
    bool read = PakFSeek(file, 0, kPakSeekEnd) == 0;
    const long size = read ? PakFTell(file) : -1;
    // A folder in the file's place opens, and tells an end far beyond any file.
    read = size >= 0 && size <= kMaxFileSize && PakFSeek(file, 0, kPakSeekSet) == 0;
    if (read) {
        // On the heap: a configuration file may be larger than a thread's stack would hold.
        bytes.resize(static_cast<size_t>(size));
        read = PakFRead(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    PakFClose(file);
    if (!read) {
        SetWhy(why, "cannot be read");
        return false;
    }

    size_t start = 0;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        start = 2;
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data() + start, bytes.size() - start, pugi::parse_default, pugi::encoding_utf16_le);
    if (!result) {
        // A document that failed to load is empty: no query finds the part that did parse.
        document.reset();
        if (why) {
            const auto [line, column] = ErrorPosition(bytes.data() + start, bytes.size() - start, result.offset);
            *why = "not well-formed XML at line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
                   result.description();
        }
        return false;
    }
    Files().Set(document.internal_object(), fileName);
    return true;
}

std::unique_ptr<pugi::xml_document> XmlOpenDocument(const std::string& fileName, std::string* why)
{
    auto document = XmlCreateDocument();
    if (!XmlLoadFromFile(fileName, *document, why))
        return nullptr;
    return document;
}

std::string XmlFileOf(pugi::xml_node node)
{
    const pugi::xml_node root = node.root();
    if (!root)
        return {};
    std::string name = Files().Get(root.internal_object());
    return name.empty() ? std::string("(an XML document)") : name;
}

pugi::xpath_node_set XmlSelectNodes(pugi::xml_node node, const char* query, XmlQueryVariables variables, bool* ok)
{
    if (ok)
        *ok = false;
    if (!query)
        return {};
    try {
        pugi::xpath_variable_set set;
        for (const XmlQueryVariable& variable : variables)
            set.set(variable.name, Utf8FromNarrow(variable.value).c_str());
        const pugi::xpath_query compiled(query, &set);
        pugi::xpath_node_set nodes = node.select_nodes(compiled);
        if (ok)
            *ok = true;
        return nodes;
    } catch (const pugi::xpath_exception&) {
        return {};
    }
}

pugi::xml_node XmlSelectNode(pugi::xml_node node, const char* query, XmlQueryVariables variables)
{
    const pugi::xpath_node_set nodes = XmlSelectNodes(node, query, variables);
    return nodes.empty() ? pugi::xml_node() : nodes.first().node();
}

int XmlCount(pugi::xml_node node, const char* query, XmlQueryVariables variables)
{
    return static_cast<int>(XmlSelectNodes(node, query, variables).size());
}

bool XmlForEach(pugi::xml_node node, const char* query, const std::function<bool(pugi::xml_node)>& callback,
                XmlQueryVariables variables)
{
    bool ok = false;
    const pugi::xpath_node_set nodes = XmlSelectNodes(node, query, variables, &ok);
    if (!ok)
        return false;
    for (const pugi::xpath_node& found : nodes) {
        if (!callback(found.node()))
            break;
    }
    return true;
}

bool XmlForEachChild(pugi::xml_node node, pugi::xml_node_type type, const std::function<bool(pugi::xml_node)>& callback)
{
    if (!node)
        return false;
    for (pugi::xml_node child : node.children()) {
        if (child.type() == type && !callback(child))
            break;
    }
    return true;
}

int XmlCountChildren(pugi::xml_node node, pugi::xml_node_type type)
{
    int count = 0;
    for (pugi::xml_node child : node.children())
        count += child.type() == type ? 1 : 0;
    return count;
}

bool XmlForEachAttribute(pugi::xml_node node, const std::function<bool(pugi::xml_attribute)>& callback)
{
    if (!node)
        return false;
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (!callback(attribute))
            break;
    }
    return true;
}

bool XmlGetNodeString(pugi::xml_node node, XmlNodeString kind, std::string& out, size_t size)
{
    if (!node)
        return false;
    switch (kind) {
    case XmlNodeString::Name:
        out = NarrowFromUtf8(node.name(), size);
        return true;
    case XmlNodeString::Text: {
        // The string value of a node is the text of all its descendants, as a DOM's text property gives it.
        static const pugi::xpath_query kStringValue("string(.)");
        out = NarrowFromUtf8(kStringValue.evaluate_string(pugi::xpath_node(node)), size);
        return true;
    }
    case XmlNodeString::Value:
        if (node.type() == pugi::node_element || node.type() == pugi::node_document)
            return false;
        out = NarrowFromUtf8(node.value(), size);
        return true;
    }
    return false;
}

pugi::xml_attribute XmlGetAttrNode(pugi::xml_node node, const char* name)
{
    if (!node || !name)
        return {};
    return node.attribute(name);
}

bool XmlGetAttrString(pugi::xml_node node, const char* name, std::string& out, size_t size)
{
    const pugi::xml_attribute attribute = XmlGetAttrNode(node, name);
    if (!attribute)
        return false;
    out = NarrowFromUtf8(attribute.value(), size);
    return true;
}

bool XmlGetAttrWString(pugi::xml_node node, const char* name, std::wstring& out, size_t capacity)
{
    const pugi::xml_attribute attribute = XmlGetAttrNode(node, name);
    if (!attribute)
        return false;
    std::wstring value = Platform::Utf8ToUtf16(attribute.value());
    if (value.size() + 1 > capacity) {
        out.clear();
        return false;
    }
    out = std::move(value);
    return true;
}

bool XmlGetAttrInt(pugi::xml_node node, const char* name, int32_t& out)
{
    std::string text;
    if (!XmlGetAttrString(node, name, text))
        return false;
    out = ParseInt(text);
    return true;
}

bool XmlGetAttrFixed(pugi::xml_node node, const char* name, int32_t& integerPart, int32_t& fraction, uint32_t& scale)
{
    std::string text;
    if (!XmlGetAttrString(node, name, text))
        return false;
    const size_t dot = text.find('.');
    integerPart = ParseInt(std::string_view(text).substr(0, dot));
    if (dot == std::string::npos) {
        fraction = 0;
        scale = 0;
        return true;
    }
    fraction = ParseInt(std::string_view(text).substr(dot + 1), &scale);
    // "-0.5": the integer part has lost the sign, so the fraction carries it.
    if (!text.empty() && text[0] == '-' && fraction > 0)
        fraction = -fraction;
    return true;
}

bool XmlGetAttrFloat(pugi::xml_node node, const char* name, float& out)
{
    int32_t integerPart = 0;
    int32_t fraction = 0;
    uint32_t scale = 0;
    if (!XmlGetAttrFixed(node, name, integerPart, fraction, scale))
        return false;
    out = scale == 0 ? static_cast<float>(integerPart)
                     : static_cast<float>(integerPart) + static_cast<float>(fraction) / static_cast<float>(scale);
    return true;
}

bool XmlGetAttrBool(pugi::xml_node node, const char* name, bool& out)
{
    const pugi::xml_attribute attribute = XmlGetAttrNode(node, name);
    if (!attribute)
        return false;
    std::wstring value = Platform::Utf8ToUtf16(attribute.value());
    // The value is read into a small cleared buffer; one that does not fit leaves it empty, and the empty text
    // agrees with "true".
    if (value.size() + 1 > kBoolCapacity)
        value.clear();
    if (AgreeUpToShorter(value, kTrue)) {
        out = true;
        return true;
    }
    int32_t number = 0;
    XmlGetAttrInt(node, name, number);
    out = number != 0;
    return true;
}

bool XmlGetAttrFlags(pugi::xml_node node, const char* name, std::span<const XmlFlag> table, uint32_t& flags)
{
    std::string text;
    if (table.empty() || !XmlGetAttrString(node, name, text, kXmlFlagsSize))
        return false;
    flags = 0;
    return ParseFlagList(text.c_str(), table, flags);
}

bool XmlGetAttrFlagsW(pugi::xml_node node, const char* name, std::span<const XmlFlagW> table, uint32_t& flags)
{
    std::wstring text;
    if (table.empty() || !XmlGetAttrWString(node, name, text, kXmlFlagsSize - 1))
        return false;
    flags = 0;
    return ParseFlagList(text.c_str(), table, flags);
}

bool XmlSetAttrF(pugi::xml_node node, const char* name, const char* format, ...)
{
    if (!node || !name || !format)
        return false;
    char buffer[kXmlFormatSize];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        attribute = node.append_attribute(name);
    return attribute && attribute.set_value(Utf8FromNarrow(buffer).c_str());
}

pugi::xml_node XmlInsertChildElement(pugi::xml_node node, const std::wstring& name, pugi::xml_node before)
{
    if (!node)
        return {};
    pugi::xml_node inserted =
        before ? node.insert_child_before(pugi::node_element, before) : node.append_child(pugi::node_element);
    if (inserted)
        inserted.set_name(Platform::Utf16ToUtf8(name).c_str());
    return inserted;
}

int32_t ParseInt(std::string_view text, uint32_t* scale)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    // Unsigned, so that too many digits wrap as 32-bit arithmetic does instead of overflowing.
    uint32_t value = 0;
    uint32_t power = 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
        power *= 10u;
    }
    if (scale)
        *scale = power;
    return static_cast<int32_t>(negative ? 0u - value : value);
}

bool ParseFlagList(const char* text, std::span<const XmlFlag> table, uint32_t& flags)
{
    if (!text)
        return false;
    ForEachToken(std::string_view(text), [&](std::string_view token) {
        for (const XmlFlag& entry : table) {
            if (entry.name && EqualIgnoringAsciiCase(token, entry.name)) {
                flags |= entry.value;
                break;
            }
        }
    });
    return true;
}

bool ParseFlagList(const wchar_t* text, std::span<const XmlFlagW> table, uint32_t& flags)
{
    if (!text)
        return false;
    ForEachToken(std::wstring_view(text), [&](std::wstring_view token) {
        for (const XmlFlagW& entry : table) {
            if (entry.name && AgreeUpToShorter(token, entry.name)) {
                flags |= entry.value;
                break;
            }
        }
    });
    return true;
}
