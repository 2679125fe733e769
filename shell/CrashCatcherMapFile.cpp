// The crash report's annotation from a linker map file: logical addresses become symbol names and source lines.
#include "platform/files/FileSystem.h"
#include "shell/CrashCatcher.h"
#include "shell/StrFormat.h"

#include <cxxabi.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <utility>

namespace Pyxo {

namespace {

using Address = std::pair<uint32_t, uint32_t>; // (section, offset)

struct SourceLine {
    std::string file;
    int line = 0;
};

/// Exactly `count` hexadecimal digits from `start`, all inside the text.
bool ParseHex(const std::string& text, size_t start, size_t count, uint32_t& value)
{
    if (start > text.size() || text.size() - start < count)
        return false;
    value = 0;
    for (size_t i = start; i < start + count; ++i) {
        const char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else
            return false;
        value = value << 4 | digit;
    }
    return true;
}

/// The entry at the address, else the nearest one below it in the same section; null when there is none.
template <typename T>
const std::pair<const Address, T>* Lookup(const std::map<Address, T>& table, const Address& address)
{
    auto it = table.upper_bound(address);
    if (it == table.begin())
        return nullptr; // below the first entry
    --it;
    return it->first.first == address.first ? &*it : nullptr;
}

std::string Demangled(const std::string& name)
{
    int status = -1;
    std::unique_ptr<char, decltype(&std::free)> result(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status),
                                                       &std::free);
    return status == 0 && result ? std::string(result.get()) : name;
}

} // namespace

void CrashCatcher::ApplyMapFile(std::string& text)
{
    const std::vector<Platform::FoundFile> maps = Platform::FindFiles("*.map");
    for (const Platform::FoundFile& map : maps) {
        if (map.isFolder)
            continue;
        std::ifstream file(Platform::ResolvePath(map.name));
        if (file)
            ApplyMapFile(text, file);
        return;
    }
}

void CrashCatcher::ApplyMapFile(std::string& text, std::istream& mapFile)
{
    std::map<Address, std::string> symbols;
    std::map<Address, SourceLine> lines;
    std::string currentFile;
    std::string line;
    while (std::getline(mapFile, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        Address address;
        if (line.size() > 22 && line[5] == ':') {
            if (!ParseHex(line, 1, 4, address.first) || !ParseHex(line, 6, 8, address.second) || line[20] != ' ')
                continue;
            const size_t end = line.find(' ', 21);
            if (end != std::string::npos)
                symbols[address] = line.substr(21, end - 21);
        } else if (line.compare(0, 12, "Line numbers") == 0) {
            const size_t open = line.find('(');
            const size_t close = line.rfind(')');
            if (open != std::string::npos)
                currentFile = line.substr(open + 1, close == std::string::npos || close < open ? std::string::npos
                                                                                               : close - open - 1);
        } else if (!currentFile.empty() && line.size() == 80) {
            for (size_t entry = 0; entry < 4; ++entry) {
                const size_t column = entry * 20;
                if (!ParseHex(line, column + 7, 4, address.first) || !ParseHex(line, column + 12, 8, address.second))
                    continue;
                lines[address] = {currentFile, std::atoi(line.substr(column, 6).c_str())};
            }
        }
    }
    if (symbols.empty())
        return;

    for (size_t i = 4; i < text.size(); ++i) {
        Address address;
        if (text[i] != ':' || !ParseHex(text, i - 4, 4, address.first) || !ParseHex(text, i + 1, 8, address.second))
            continue;
        const auto* symbol = Lookup(symbols, address);
        if (!symbol)
            continue;
        std::string annotation = Demangled(symbol->second);
        if (address.second != symbol->first.second)
            annotation += StrFormat("+0x%X", address.second - symbol->first.second);
        if (const auto* source = Lookup(lines, address))
            annotation += StrFormat("\r\n    %s line %d +0x%X", source->second.file.c_str(), source->second.line,
                                    address.second - source->first.second);
        text.replace(i - 4, 13, annotation);
        // Scanning goes on after the inserted text, which is not an address to annotate again.
        i = i - 4 + annotation.size() - 1;
    }
}

} // namespace Pyxo
