#include "platform/registry/RegistryKeyNode.h"

#include <algorithm>
#include <utility>

namespace Platform {
namespace {

unsigned char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : (unsigned char)c;
}

constexpr std::string_view kHeader = "REGISTRY 1";
constexpr char kHex[] = "0123456789abcdef";

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = (unsigned char)c;
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    out += '"';
}

void AppendKey(std::string& out, const RegistryKeyNode& key, std::vector<std::string_view>& path)
{
    out += "key";
    for (const auto name : path) {
        out += ' ';
        AppendQuoted(out, name);
    }
    out += '\n';
    for (const auto& [name, value] : key.values) {
        out += "value ";
        AppendQuoted(out, name);
        switch (value.type) {
        case REG_DWORD: {
            uint32_t number = 0;
            for (size_t i = 0; i < 4 && i < value.data.size(); ++i) {
                number |= uint32_t(value.data[i]) << (8 * i);
            }
            out += " dword " + std::to_string(number);
            break;
        }
        case REG_SZ:
            out += " sz ";
            AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
            break;
        default:
            out += " binary ";
            if (value.data.empty()) {
                out += '-';
            }
            for (const uint8_t byte : value.data) {
                out += kHex[byte >> 4];
                out += kHex[byte & 15];
            }
            break;
        }
        out += '\n';
    }
    for (const auto& sub : key.subKeys) {
        path.push_back(sub.name);
        AppendKey(out, sub, path);
        path.pop_back();
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads one line's tokens from left to right; every reader fails rather than guess.
class LineReader {
public:
    explicit LineReader(std::string_view line) : mLine(line) {}

    bool AtEnd() const { return mPos == mLine.size(); }
    bool Space()
    {
        if (mPos < mLine.size() && mLine[mPos] == ' ') {
            ++mPos;
            return true;
        }
        return false;
    }
    std::string_view Word()
    {
        const size_t start = mPos;
        while (mPos < mLine.size() && mLine[mPos] != ' ') {
            ++mPos;
        }
        return mLine.substr(start, mPos - start);
    }
    bool Quoted(std::string& out)
    {
        out.clear();
        if (mPos >= mLine.size() || mLine[mPos] != '"') {
            return false;
        }
        ++mPos;
        while (mPos < mLine.size()) {
            const char c = mLine[mPos++];
            if (c == '"') {
                return true;
            }
            if (c == '\\') {
                if (mPos + 3 > mLine.size() || mLine[mPos] != 'x') {
                    return false;
                }
                const int high = HexDigit(mLine[mPos + 1]);
                const int low = HexDigit(mLine[mPos + 2]);
                if (high < 0 || low < 0) {
                    return false;
                }
                out += char(high * 16 + low);
                mPos += 3;
            } else if ((unsigned char)c < 0x20 || (unsigned char)c >= 0x7F) {
                return false;
            } else {
                out += c;
            }
        }
        return false;
    }

private:
    std::string_view mLine;
    size_t mPos = 0;
};

bool ParseDword(std::string_view word, uint32_t& out)
{
    if (word.empty() || word.size() > 10) {
        return false;
    }
    uint64_t number = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
        number = number * 10 + uint64_t(c - '0');
    }
    if (number > 0xFFFFFFFFu) {
        return false;
    }
    out = uint32_t(number);
    return true;
}

bool ParseValue(LineReader& reader, std::vector<std::pair<std::string, RegistryValue>>& values)
{
    std::string name;
    if (!reader.Space() || !reader.Quoted(name) || name.size() > kRegistryMaxValueNameLength || !reader.Space()) {
        return false;
    }
    const std::string_view type = reader.Word();
    if (!reader.Space()) {
        return false;
    }
    RegistryValue value;
    if (type == "dword") {
        uint32_t number = 0;
        if (!ParseDword(reader.Word(), number)) {
            return false;
        }
        value.type = REG_DWORD;
        value.data = {uint8_t(number), uint8_t(number >> 8), uint8_t(number >> 16), uint8_t(number >> 24)};
    } else if (type == "sz") {
        std::string text;
        if (!reader.Quoted(text) || text.find('\0') != std::string::npos) {
            return false;
        }
        value.type = REG_SZ;
        value.data.assign(text.begin(), text.end());
    } else if (type == "binary") {
        const std::string_view hex = reader.Word();
        value.type = REG_BINARY;
        if (hex != "-") {
            if (hex.empty() || hex.size() % 2 != 0) {
                return false;
            }
            for (size_t i = 0; i < hex.size(); i += 2) {
                const int high = HexDigit(hex[i]);
                const int low = HexDigit(hex[i + 1]);
                if (high < 0 || low < 0) {
                    return false;
                }
                value.data.push_back(uint8_t(high * 16 + low));
            }
        }
    } else {
        return false;
    }
    if (!reader.AtEnd()) {
        return false;
    }
    values.emplace_back(std::move(name), std::move(value));
    return true;
}

} // namespace

bool RegistryNameLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

bool RegistryNameEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

RegistryKeyNode* RegistryKeyNode::FindSubKey(std::string_view name)
{
    return const_cast<RegistryKeyNode*>(std::as_const(*this).FindSubKey(name));
}

const RegistryKeyNode* RegistryKeyNode::FindSubKey(std::string_view name) const
{
    const auto it = std::lower_bound(subKeys.begin(), subKeys.end(), name, [](const auto& entry, std::string_view n) {
        return RegistryNameLess{}(entry.name, n);
    });
    if (it != subKeys.end() && RegistryNameEqual(it->name, name)) {
        return &*it;
    }
    return nullptr;
}

RegistryKeyNode& RegistryKeyNode::SubKey(std::string_view name, bool* created)
{
    auto it = std::lower_bound(subKeys.begin(), subKeys.end(), name,
                               [](const auto& entry, std::string_view n) { return RegistryNameLess{}(entry.name, n); });
    const bool missing = it == subKeys.end() || !RegistryNameEqual(it->name, name);
    if (missing) {
        RegistryKeyNode node;
        node.name = std::string(name);
        it = subKeys.insert(it, std::move(node));
    }
    if (created) {
        *created = missing;
    }
    return *it;
}

std::string SerializeRegistryKey(const RegistryKeyNode& key)
{
    std::string out(kHeader);
    out += '\n';
    std::vector<std::string_view> path;
    AppendKey(out, key, path);
    out += "end\n";
    return out;
}

std::optional<RegistryKeyNode> ParseRegistryKey(std::string_view text)
{
    // The key lines are gathered first and put in their tree in sorted order. A file may list keys in any order
    // (by hand, or damaged); inserting each one into its parent's sorted list as it comes would cost time in
    // proportion to the keys already there. Files this code writes are sorted already and skip the sort.
    struct KeyLine {
        size_t firstName, endName;   // in `names`
        size_t firstValue, endValue; // in `values`
    };
    std::vector<KeyLine> keys;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, RegistryValue>> values;
    const size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));
    keys.reserve(lines);
    names.reserve(lines);
    values.reserve(lines);
    bool header = false;
    bool ended = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            return std::nullopt; // every line ends in a newline, the last one included
        }
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (ended) {
            return std::nullopt;
        }
        if (!header) {
            if (line != kHeader) {
                return std::nullopt;
            }
            header = true;
            continue;
        }
        LineReader reader(line);
        const std::string_view word = reader.Word();
        if (word == "end" && reader.AtEnd()) {
            ended = true;
        } else if (word == "key") {
            const size_t first = names.size();
            std::string name;
            while (reader.Space()) {
                if (!reader.Quoted(name) || name.empty() || name.size() > kRegistryMaxKeyNameLength ||
                    name.find('\\') != std::string::npos || names.size() - first >= kRegistryMaxDepth) {
                    return std::nullopt;
                }
                names.push_back(name);
            }
            if (!reader.AtEnd()) {
                return std::nullopt;
            }
            keys.push_back({first, names.size(), values.size(), values.size()});
        } else if (word == "value") {
            if (keys.empty() || !ParseValue(reader, values)) {
                return std::nullopt;
            }
            keys.back().endValue = values.size();
        } else {
            return std::nullopt;
        }
    }
    if (!ended) {
        return std::nullopt;
    }

    const auto pathLess = [&names](const KeyLine& a, const KeyLine& b) {
        return std::lexicographical_compare(names.begin() + long(a.firstName), names.begin() + long(a.endName),
                                            names.begin() + long(b.firstName), names.begin() + long(b.endName),
                                            RegistryNameLess{});
    };
    if (!std::is_sorted(keys.begin(), keys.end(), pathLess)) {
        // Stable: where a key is listed twice, its later values win, as they would line by line.
        std::stable_sort(keys.begin(), keys.end(), pathLess);
    }
    RegistryKeyNode root;
    for (const KeyLine& key : keys) {
        // In sorted order a name is either its parent's last sub-key or comes after all of them.
        RegistryKeyNode* node = &root;
        for (size_t i = key.firstName; i < key.endName; ++i) {
            if (node->subKeys.empty() || !RegistryNameEqual(node->subKeys.back().name, names[i])) {
                node->subKeys.emplace_back().name = std::move(names[i]);
            }
            node = &node->subKeys.back();
        }
        for (size_t i = key.firstValue; i < key.endValue; ++i) {
            node->values[std::move(values[i].first)] = std::move(values[i].second);
        }
    }
    return root;
}

} // namespace Platform
