#include "tools/xmlconv/XmlAssemble.h"

#include "platform/files/FileSystem.h"
#include "tools/xmlconv/XmlConvert.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace XmlConvert {

namespace {

namespace fs = std::filesystem;

// Carried by every element from parsing to serialisation, so that copies made by a repeat keep their source line.
constexpr const char* kOriginAttribute = "ilvane-origin";
constexpr const char* kRepeat = "repeat";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Assembly {
    std::vector<Origin> origins; // indexed by the origin attribute
    long copies = 0;
    size_t copiedBytes = 0;
    std::string error;

    bool Fail(const pugi::xml_node& node, const std::string& message)
    {
        const size_t index = node.attribute(kOriginAttribute).as_uint(UINT_MAX);
        if (index < origins.size())
            error = origins[index].file + ":" + std::to_string(origins[index].line) + ": " + message;
        else
            error = message;
        return false;
    }
};

size_t LineOf(std::string_view text, std::ptrdiff_t offset)
{
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, std::ptrdiff_t(text.size()));
    return 1 + size_t(std::count(text.begin(), end, '\n'));
}

/// Reads and parses one source; every element is given its origin.
bool LoadSource(const fs::path& file, pugi::xml_document& document, Assembly& assembly)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        assembly.error = file.string() + ": cannot be read";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (text.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0)
        text.erase(0, kUtf8Mark.size());
    Failure failure;
    if (!CheckUtf8(text, failure) || !CheckWellFormed(text, failure)) {
        assembly.error = file.string() + ":" + std::to_string(failure.line) + ": " + failure.message;
        return false;
    }
    if (!document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8) ||
        !document.document_element()) {
        assembly.error = file.string() + ":1: no root element";
        return false;
    }
    // Offsets are read before any node is added: they point into the parsed text only until then.
    std::vector<std::pair<pugi::xml_node, size_t>> lines;
    struct Walker : pugi::xml_tree_walker {
        std::vector<std::pair<pugi::xml_node, size_t>>* lines;
        std::string_view text;
        size_t tooDeepLine = 0;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() != pugi::node_element)
                return true;
            // depth() is 0 for the root element.
            if (depth() >= kMaxNesting) {
                tooDeepLine = LineOf(text, node.offset_debug());
                return false;
            }
            lines->emplace_back(node, LineOf(text, node.offset_debug()));
            return true;
        }
    } walker;
    walker.lines = &lines;
    walker.text = text;
    document.traverse(walker);
    if (walker.tooDeepLine != 0) {
        assembly.error = file.string() + ":" + std::to_string(walker.tooDeepLine) + ": elements nested more than " +
                         std::to_string(kMaxNesting) + " deep";
        return false;
    }
    for (auto& [node, line] : lines) {
        node.append_attribute(kOriginAttribute) = unsigned(assembly.origins.size());
        assembly.origins.push_back({file.string(), line});
    }
    return true;
}

/// Parses a whole decimal integer.
bool ParseLong(std::string_view text, long& value)
{
    if (text.empty())
        return false;
    std::string copy(text);
    char* end = nullptr;
    errno = 0;
    value = std::strtol(copy.c_str(), &end, 10);
    return errno == 0 && end == copy.c_str() + copy.size();
}

/// A printf format with exactly one integer conversion (flags and width allowed) and "%%" otherwise.
bool IsIntegerFormat(const std::string& format)
{
    int conversions = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i < format.size() && format[i] == '%')
            continue;
        while (i < format.size() && std::strchr("-+ 0#", format[i]) != nullptr)
            ++i;
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
            ++i;
        if (i >= format.size() || std::strchr("dioxXu", format[i]) == nullptr)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

/// One value of a repeat's counter: a number, or a word of its values list.
struct CounterValue {
    long number = 0;
    std::string word;
    bool isWord = false;
};

/// Replaces the "{counter...}" forms of one counter in the text. False, with the reason, for a malformed form.
bool SubstituteText(std::string& text, const std::string& counter, const CounterValue& value, std::string& error)
{
    std::string result;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('{', at);
        const size_t close = open == std::string::npos ? std::string::npos : text.find('}', open);
        if (close == std::string::npos)
            break;
        const std::string inner = text.substr(open + 1, close - open - 1);
        size_t nameEnd = 0;
        while (nameEnd < inner.size() &&
               (std::isalnum(static_cast<unsigned char>(inner[nameEnd])) || inner[nameEnd] == '_'))
            ++nameEnd;
        if (inner.compare(0, nameEnd, counter) != 0 || nameEnd != counter.size()) {
            result.append(text, at, open + 1 - at); // not this counter: kept as written
            at = open + 1;
            continue;
        }
        if (value.isWord) {
            if (nameEnd != inner.size()) {
                error = "\"{" + inner + "}\": a counter over a values list takes no arithmetic or format";
                return false;
            }
            result.append(text, at, open - at);
            result += value.word;
            at = close + 1;
            continue;
        }
        const size_t colon = inner.find(':', nameEnd);
        const std::string arithmetic = inner.substr(nameEnd, colon == std::string::npos ? colon : colon - nameEnd);
        const std::string format = colon == std::string::npos ? "%d" : inner.substr(colon + 1);
        long multiplier = 1;
        long addend = 0;
        std::string_view rest = arithmetic;
        if (!rest.empty() && rest[0] == '*') {
            const size_t sign = rest.find_first_of("+-", 1);
            if (!ParseLong(rest.substr(1, sign == std::string_view::npos ? sign : sign - 1), multiplier)) {
                error = "\"{" + inner + "}\": the factor is not a whole number";
                return false;
            }
            rest = sign == std::string_view::npos ? std::string_view() : rest.substr(sign);
        }
        if (!rest.empty() && (rest[0] != '+' && rest[0] != '-')) {
            error = "\"{" + inner + "}\": expected *N, +N, -N or :FORMAT after the counter";
            return false;
        }
        if (!rest.empty() && !ParseLong(rest, addend)) {
            error = "\"{" + inner + "}\": the addend is not a whole number";
            return false;
        }
        const std::string& printfFormat = format;
        if (!IsIntegerFormat(printfFormat)) {
            error = "\"{" + inner + "}\": the format needs exactly one integer conversion such as %d or %02d";
            return false;
        }
        // Widen every conversion to long, so that one format serves any counter value.
        std::string wide;
        for (size_t i = 0; i < printfFormat.size(); ++i) {
            wide += printfFormat[i];
            if (printfFormat[i] == '%' && i + 1 < printfFormat.size() && printfFormat[i + 1] == '%') {
                wide += printfFormat[++i];
                continue;
            }
            if (printfFormat[i] == '%') {
                while (i + 1 < printfFormat.size() && std::strchr("dioxXu", printfFormat[i + 1]) == nullptr)
                    wide += printfFormat[++i];
                wide += 'l';
            }
        }
        long number = 0;
        if (__builtin_mul_overflow(value.number, multiplier, &number) ||
            __builtin_add_overflow(number, addend, &number)) {
            error = "\"{" + inner + "}\": the value is beyond the range of a whole number";
            return false;
        }
        char buffer[256];
        const int length = std::snprintf(buffer, sizeof buffer, wide.c_str(), number);
        if (length < 0 || size_t(length) >= sizeof buffer) {
            error = "\"{" + inner + "}\": the formatted text is too long";
            return false;
        }
        result.append(text, at, open - at);
        result += buffer;
        at = close + 1;
    }
    result.append(text, at, std::string::npos);
    text = std::move(result);
    return true;
}

/// Substitutes one counter in the attributes and text of a copied subtree; a nested repeat that declares the same
/// counter keeps its own inside.
bool Substitute(pugi::xml_node node, const std::string& counter, const CounterValue& value, Assembly& assembly)
{
    std::string error;
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        std::string text = node.value();
        if (!SubstituteText(text, counter, value, error))
            return assembly.Fail(node.parent(), error);
        node.set_value(text.c_str());
        return true;
    }
    if (node.type() != pugi::node_element)
        return true;
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (std::strcmp(attribute.name(), kOriginAttribute) == 0)
            continue;
        std::string text = attribute.value();
        if (!SubstituteText(text, counter, value, error))
            return assembly.Fail(node, error);
        attribute.set_value(text.c_str());
    }
    if (std::strcmp(node.name(), kRepeat) == 0 && counter == node.attribute("counter").value())
        return true;
    for (pugi::xml_node child : node.children()) {
        if (!Substitute(child, counter, value, assembly))
            return false;
    }
    return true;
}

/// The bytes of names, values and text in the subtree, about what a copy of it adds to the output.
size_t SubtreeBytes(pugi::xml_node node)
{
    struct Counter : pugi::xml_tree_walker {
        size_t bytes = 0;
        void Add(pugi::xml_node n)
        {
            bytes += std::strlen(n.name()) + std::strlen(n.value()) + 2;
            for (pugi::xml_attribute attribute : n.attributes())
                bytes += std::strlen(attribute.name()) + std::strlen(attribute.value()) + 4;
        }
        bool for_each(pugi::xml_node& n) override
        {
            Add(n);
            return true;
        }
    } counter;
    counter.Add(node);
    node.traverse(counter);
    return counter.bytes;
}

bool ExpandChildren(pugi::xml_node parent, Assembly& assembly)
{
    pugi::xml_node child = parent.first_child();
    while (child) {
        if (child.type() != pugi::node_element) {
            child = child.next_sibling();
            continue;
        }
        if (std::strcmp(child.name(), kRepeat) != 0) {
            if (!ExpandChildren(child, assembly))
                return false;
            child = child.next_sibling();
            continue;
        }
        const std::string counter = child.attribute("counter").value();
        const bool named = !counter.empty() && std::all_of(counter.begin(), counter.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
        });
        if (!named)
            return assembly.Fail(child, "a repeat needs counter=\"NAME\" (letters, digits, '_')");
        std::vector<CounterValue> values;
        if (child.attribute("values")) {
            std::istringstream words(child.attribute("values").value());
            for (std::string word; words >> word;)
                values.push_back({0, word, true});
        } else {
            long from = 0;
            long to = 0;
            long step = 1;
            if (!ParseLong(child.attribute("from").value(), from) || !ParseLong(child.attribute("to").value(), to))
                return assembly.Fail(child, "a repeat needs whole numbers in from=\"...\" and to=\"...\", or "
                                            "values=\"...\"");
            if (child.attribute("step") && (!ParseLong(child.attribute("step").value(), step) || step <= 0))
                return assembly.Fail(child, "a repeat's step must be a whole number above 0");
            for (long value = from; value <= to; value += step) {
                if (values.size() >= size_t(kMaxRepeatCopies))
                    return assembly.Fail(child,
                                         "repeats make more than " + std::to_string(kMaxRepeatCopies) + " copies");
                values.push_back({value, {}, false});
                if (value > LONG_MAX - step)
                    break;
            }
        }
        std::vector<size_t> bodyBytes;
        for (pugi::xml_node body : child.children())
            bodyBytes.push_back(SubtreeBytes(body));
        pugi::xml_node first;
        for (const CounterValue& value : values) {
            size_t bodyIndex = 0;
            for (pugi::xml_node body : child.children()) {
                if (++assembly.copies > kMaxRepeatCopies)
                    return assembly.Fail(child,
                                         "repeats make more than " + std::to_string(kMaxRepeatCopies) + " copies");
                assembly.copiedBytes += bodyBytes[bodyIndex++];
                if (assembly.copiedBytes > kMaxRepeatBytes)
                    return assembly.Fail(child,
                                         "repeats copy more than " + std::to_string(kMaxRepeatBytes >> 20) + " MB");
                pugi::xml_node copy = parent.insert_copy_before(body, child);
                if (!Substitute(copy, counter, value, assembly))
                    return false;
                if (!first)
                    first = copy;
            }
        }
        // The copies are visited next, so that repeats inside them expand in turn.
        const pugi::xml_node next = first ? first : child.next_sibling();
        parent.remove_child(child);
        child = next;
    }
    return true;
}

} // namespace

bool Assemble(const fs::path& mainFile, const std::string& rootName, std::vector<fs::path> fragments, Assembled& out,
              std::string& error)
{
    Assembly assembly;
    std::sort(fragments.begin(), fragments.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    pugi::xml_document document;
    if (!mainFile.empty()) {
        if (!LoadSource(mainFile, document, assembly)) {
            error = assembly.error;
            return false;
        }
    } else {
        // A root made for fragments alone is placed at the first of them.
        document.append_child(rootName.c_str()).append_attribute(kOriginAttribute) = unsigned(assembly.origins.size());
        assembly.origins.push_back({fragments.empty() ? std::string() : fragments.front().string(), 1});
    }
    pugi::xml_node root = document.document_element();

    for (const fs::path& fragment : fragments) {
        pugi::xml_document part;
        if (!LoadSource(fragment, part, assembly)) {
            error = assembly.error;
            return false;
        }
        const pugi::xml_node partRoot = part.document_element();
        if (std::strcmp(partRoot.name(), root.name()) != 0) {
            assembly.Fail(partRoot, std::string("a fragment's root element must be <") + root.name() +
                                        ">, as in "
                                        "the file it "
                                        "adds to");
            error = assembly.error;
            return false;
        }
        for (pugi::xml_node child : partRoot.children())
            root.append_copy(child);
    }

    if (!ExpandChildren(document, assembly)) {
        error = assembly.error;
        return false;
    }

    Assembled result;
    struct Collector : pugi::xml_tree_walker {
        Assembly* assembly;
        std::vector<Origin>* origins;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() != pugi::node_element)
                return true;
            const pugi::xml_attribute attribute = node.attribute(kOriginAttribute);
            const size_t index = attribute.as_uint(UINT_MAX);
            origins->push_back(index < assembly->origins.size() ? assembly->origins[index] : Origin{});
            node.remove_attribute(attribute);
            return true;
        }
    } collector;
    collector.assembly = &assembly;
    collector.origins = &result.origins;
    document.traverse(collector);

    std::ostringstream text;
    document.save(text, "  ", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
    result.utf8 = text.str();
    out = std::move(result);
    return true;
}

bool WriteAssembled(const Assembled& document, const fs::path& output, const fs::path& originsFile, std::string& error)
{
    std::vector<uint8_t> bytes;
    Failure failure;
    if (!Utf8ToUtf16Le(document.utf8, bytes, failure)) {
        error = output.string() + ": " + failure.message;
        return false;
    }
    if (!Platform::WriteFileAtomic(output.string(), bytes)) {
        error = output.string() + ": cannot be written";
        return false;
    }
    if (originsFile.empty())
        return true;
    std::string lines;
    for (const Origin& origin : document.origins)
        lines += origin.file + ":" + std::to_string(origin.line) + "\n";
    if (!Platform::WriteFileAtomic(originsFile.string(), std::vector<uint8_t>(lines.begin(), lines.end()))) {
        error = originsFile.string() + ": cannot be written";
        return false;
    }
    return true;
}

size_t Recipe::LineOf(const pugi::xml_node& node) const
{
    const auto it = lines.find(node.internal_object());
    return it == lines.end() ? 0 : it->second;
}

bool LoadRecipe(const fs::path& file, Recipe& recipe, std::string& error)
{
    Assembled assembled;
    if (!Assemble(file, "", {}, assembled, error))
        return false;
    if (!recipe.document.load_buffer(assembled.utf8.data(), assembled.utf8.size(), pugi::parse_default,
                                     pugi::encoding_utf8)) {
        error = file.string() + ": cannot be read back";
        return false;
    }
    // Serialisation keeps document order, so the n-th element read back is the n-th origin.
    struct Walker : pugi::xml_tree_walker {
        Recipe* recipe;
        const std::vector<Origin>* origins;
        size_t index = 0;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() == pugi::node_element) {
                const size_t line = index < origins->size() ? (*origins)[index].line : 0;
                recipe->lines.emplace(node.internal_object(), line);
                ++index;
            }
            return true;
        }
    } walker;
    walker.recipe = &recipe;
    walker.origins = &assembled.origins;
    recipe.document.traverse(walker);
    return true;
}

std::vector<Origin> ReadOrigins(const fs::path& originsFile)
{
    std::vector<Origin> origins;
    std::ifstream stream(originsFile);
    std::string line;
    while (std::getline(stream, line)) {
        const size_t colon = line.rfind(':');
        Origin origin;
        if (colon != std::string::npos) {
            origin.file = line.substr(0, colon);
            origin.line = std::strtoul(line.c_str() + colon + 1, nullptr, 10);
        }
        origins.push_back(std::move(origin));
    }
    return origins;
}

} // namespace XmlConvert
