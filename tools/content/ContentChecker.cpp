#include "tools/content/ContentChecker.h"

#include "platform/files/FileSystem.h"
#include "tools/anm/AnmFile.h"

#include <cmath>
#include <locale>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

struct ContentChecker::Loaded {
    pugi::xml_document document;
    bool ok = false;
    std::vector<XmlConvert::Origin> origins;
    std::map<const void*, size_t> order; // element -> index in document order
};

struct ContentChecker::Animation {
    bool ok = false;
    std::set<std::string> names;
};

ContentChecker::ContentChecker(fs::path dataFolder, fs::path originsFolder)
    : mData(std::move(dataFolder)), mOrigins(std::move(originsFolder))
{
}

ContentChecker::~ContentChecker() = default;

ContentChecker::Loaded* ContentChecker::Load(const std::string& file)
{
    auto& slot = mFiles[file];
    if (slot)
        return slot->ok ? slot.get() : nullptr;
    slot = std::make_unique<Loaded>();
    std::vector<uint8_t> bytes;
    if (!Platform::ReadWholeFile((mData / file).string(), bytes)) {
        mProblems.push_back(file + ": missing from the data folder");
        return nullptr;
    }
    if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) {
        mProblems.push_back(file + ": not UTF-16LE with a byte-order mark");
        return nullptr;
    }
    const pugi::xml_parse_result result =
        slot->document.load_buffer(bytes.data() + 2, bytes.size() - 2, pugi::parse_default, pugi::encoding_utf16_le);
    if (!result) {
        mProblems.push_back(file + ": does not parse: " + result.description());
        return nullptr;
    }
    if (!mOrigins.empty())
        slot->origins = XmlConvert::ReadOrigins(mOrigins / (file + ".origins"));
    struct Walker : pugi::xml_tree_walker {
        std::map<const void*, size_t>* order;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() == pugi::node_element)
                order->emplace(node.internal_object(), order->size());
            return true;
        }
    } walker;
    walker.order = &slot->order;
    slot->document.traverse(walker);
    slot->ok = true;
    return slot.get();
}

const pugi::xml_document* ContentChecker::Document(const std::string& file)
{
    Loaded* loaded = Load(file);
    return loaded != nullptr ? &loaded->document : nullptr;
}

XmlConvert::Origin ContentChecker::OriginOf(const std::string& file, const pugi::xml_node& node) const
{
    const auto it = mFiles.find(file);
    if (it == mFiles.end() || !it->second)
        return {file, 0};
    const auto index = it->second->order.find(node.internal_object());
    if (index == it->second->order.end() || index->second >= it->second->origins.size() ||
        it->second->origins[index->second].file.empty())
        return {file, 0}; // without origins the built file is named
    return it->second->origins[index->second];
}

void ContentChecker::Report(const std::string& file, const pugi::xml_node& node, const std::string& message)
{
    const XmlConvert::Origin origin = OriginOf(file, node);
    mProblems.push_back(origin.file + ":" + std::to_string(origin.line) + ": " + message);
}

namespace {

pugi::xpath_node_set SelectNodes(const pugi::xml_document& document, const std::string& query, std::string& error)
{
    try {
        return document.select_nodes(query.c_str());
    } catch (const pugi::xpath_exception& exception) {
        error = std::string("query \"") + query + "\": " + exception.what();
        return {};
    }
}

} // namespace

std::optional<pugi::xpath_node_set> ContentChecker::Select(const std::string& file, const std::string& query)
{
    Loaded* loaded = Load(file);
    if (loaded == nullptr)
        return std::nullopt;
    std::string error;
    pugi::xpath_node_set nodes = SelectNodes(loaded->document, query, error);
    if (!error.empty()) {
        mProblems.push_back(file + ": " + error);
        return std::nullopt;
    }
    return nodes;
}

void ContentChecker::RequireNamed(const std::string& file, const std::string& query, const std::string& attribute,
                                  const std::vector<std::string>& names)
{
    const std::optional<pugi::xpath_node_set> nodes = Select(file, query);
    if (!nodes)
        return;
    std::set<std::string> present;
    for (const pugi::xpath_node& node : *nodes)
        present.insert(node.node().attribute(attribute.c_str()).value());
    for (const std::string& name : names) {
        if (present.count(name) == 0)
            Report(file, Load(file)->document.document_element(),
                   "no " + query + " with " + attribute + "=\"" + name + "\"");
    }
}

void ContentChecker::RequireCount(const std::string& file, const std::string& query, size_t minimum)
{
    const std::optional<pugi::xpath_node_set> nodes = Select(file, query);
    if (!nodes)
        return;
    if (nodes->size() < minimum)
        Report(file, Load(file)->document.document_element(),
               query + ": " + std::to_string(nodes->size()) + " found, at least " + std::to_string(minimum) +
                   " needed");
}

void ContentChecker::RequireRange(const std::string& file, const std::string& query, const std::string& attribute,
                                  double minimum, double maximum)
{
    const std::optional<pugi::xpath_node_set> nodes = Select(file, query);
    if (!nodes)
        return;
    for (const pugi::xpath_node& selected : *nodes) {
        const pugi::xml_node node = selected.node();
        const pugi::xml_attribute value = node.attribute(attribute.c_str());
        if (!value) {
            Report(file, node, "<" + std::string(node.name()) + "> has no " + attribute);
            continue;
        }
        std::istringstream stream(value.value());
        stream.imbue(std::locale::classic());
        double number = 0;
        if (!(stream >> number) || !(stream >> std::ws).eof() || !std::isfinite(number) || number < minimum ||
            number > maximum) {
            std::ostringstream range;
            range.imbue(std::locale::classic());
            range << minimum << " to " << maximum;
            Report(file, node, attribute + "=\"" + value.value() + "\" is outside " + range.str());
        }
    }
}

void ContentChecker::RequireReferences(const std::string& file, const std::string& query, const std::string& attribute,
                                       const std::string& targetFile, const std::string& targetQuery,
                                       const std::string& targetAttribute)
{
    Loaded* loaded = Load(file);
    Loaded* target = Load(targetFile);
    if (loaded == nullptr || target == nullptr)
        return;
    std::string error;
    const pugi::xpath_node_set nodes = SelectNodes(loaded->document, query, error);
    const pugi::xpath_node_set declared = SelectNodes(target->document, targetQuery, error);
    if (!error.empty()) {
        mProblems.push_back(file + ": " + error);
        return;
    }
    std::set<std::string> names;
    for (const pugi::xpath_node& node : declared)
        names.insert(node.node().attribute(targetAttribute.c_str()).value());
    for (const pugi::xpath_node& selected : nodes) {
        const pugi::xml_attribute value = selected.node().attribute(attribute.c_str());
        if (value && names.count(value.value()) == 0)
            Report(file, selected.node(),
                   attribute + "=\"" + value.value() + "\" is not declared in " + targetFile + " (" + targetQuery +
                       "/@" + targetAttribute + ")");
    }
}

void ContentChecker::RequireFiles(const std::string& file, const std::string& query, const std::string& attribute)
{
    const std::optional<pugi::xpath_node_set> nodes = Select(file, query);
    if (!nodes)
        return;
    for (const pugi::xpath_node& selected : *nodes) {
        const pugi::xml_node node = selected.node();
        const pugi::xml_attribute value = node.attribute(attribute.c_str());
        if (!value || *value.value() == '\0') {
            Report(file, node, "<" + std::string(node.name()) + "> has no " + attribute);
            continue;
        }
        const std::string path = Platform::ToNativeSeparators(value.value());
        const bool inside = path.front() != '/' && ("/" + path + "/").find("/../") == std::string::npos;
        if (!inside)
            Report(file, node, attribute + "=\"" + value.value() + "\" is not a path inside the data folder");
        else if (!Platform::FileExists((mData / path).string()))
            Report(file, node, attribute + "=\"" + value.value() + "\" is not a file of the data folder");
    }
}

void ContentChecker::RequireAnmSequence(const std::string& anmFile, const std::string& sequence,
                                        const std::string& file, const pugi::xml_node& askedBy)
{
    auto& slot = mAnimations[anmFile];
    if (!slot) {
        slot = std::make_unique<Animation>();
        std::vector<uint8_t> bytes;
        std::vector<AnmTool::AnmSequence> sequences;
        std::string error;
        if (!Platform::ReadWholeFile((mData / anmFile).string(), bytes))
            error = "missing from the data folder";
        else if (AnmTool::ReadAnm(bytes, sequences, error))
            slot->ok = true;
        for (const AnmTool::AnmSequence& entry : sequences)
            slot->names.insert(entry.name);
        if (!slot->ok) {
            Report(file, askedBy, anmFile + ": " + error);
            return;
        }
    }
    if (!slot->ok)
        return;
    if (slot->names.count(sequence) == 0 && slot->names.count(sequence + "01") == 0)
        Report(file, askedBy, anmFile + " has no sequence \"" + sequence + "\" (nor \"" + sequence + "01\")");
}

std::string ContentChecker::ReportText() const
{
    std::string text;
    for (const std::string& problem : mProblems)
        text += problem + "\n";
    return text;
}
