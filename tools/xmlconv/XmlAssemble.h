#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

/// The content build's XML step before conversion: a main file and its fragments become one document.
///
/// - Fragments (cfg/<file>.d/*.xml) are taken in file-name order; each is a document whose root element has the
///   target's root name, and its children are appended under the target's root, so that several authors add to
///   one file without touching each other's lines.
/// - A <repeat counter="i" from="1" to="24" [step="1"]> element is replaced by its children, once per counter
///   value. In attribute values and text of the copies, "{i}" becomes the number, "{i*40+100}" a linear form of it
///   and "{i:day%02d}" (or "{i*2-1:%d}") the printf-style formatting of that number (one integer conversion).
///   With values="bl br tl tr" instead of a range, the counter takes each word in turn and "{o}" becomes the word.
///   Repeats nest with counters of their own; braces that name no counter in scope are left as written.
/// - Each element of the result remembers the file and line it came from (a repeated element: its source line),
///   so that later checks can name the place to fix.
namespace XmlConvert {

/// Where an element of an assembled document was written.
struct Origin {
    std::string file;
    size_t line = 0;
};

/// One assembled document: UTF-8 text without declaration, and one origin per element in document order.
struct Assembled {
    std::string utf8;
    std::vector<Origin> origins;
};

/// Largest number of copies that one repeat may make, so that a mistyped range cannot fill the disk.
inline constexpr long kMaxRepeatCopies = 100000;
/// Largest number of bytes (names, attributes and text) that the repeats of one assembly may copy, for the same
/// reason: a few copies of a large body are as bad as many of a small one.
inline constexpr size_t kMaxRepeatBytes = size_t(64) << 20;
/// Deepest element nesting a source may have; the expansion walks the tree by recursion.
inline constexpr int kMaxNesting = 1000;

/// Assembles `mainFile` (empty: a new root element named `rootName`) and the fragments (sorted by file name
/// here). Every source must be valid UTF-8 and well-formed; a failure is "<file>:<line>: <message>".
[[nodiscard]] bool Assemble(const std::filesystem::path& mainFile, const std::string& rootName,
                            std::vector<std::filesystem::path> fragments, Assembled& out, std::string& error);

/// Writes the assembled document as UTF-16LE with a byte-order mark, and (when originsFile is not empty) its
/// origins, one "file:line" per element in document order. False, with the reason, when a write fails.
[[nodiscard]] bool WriteAssembled(const Assembled& document, const std::filesystem::path& output,
                                  const std::filesystem::path& originsFile, std::string& error);

/// Reads an origins file written by WriteAssembled; empty when it is missing.
[[nodiscard]] std::vector<Origin> ReadOrigins(const std::filesystem::path& originsFile);

/// A generator's recipe: one source, repeats expanded, read back into a document that knows each element's line.
struct Recipe {
    pugi::xml_document document;
    std::map<const void*, size_t> lines; // element (internal object) -> source line

    [[nodiscard]] size_t LineOf(const pugi::xml_node& node) const;
};

/// The element children of a node, in order (comments and text left out).
[[nodiscard]] inline std::vector<pugi::xml_node> ElementChildren(const pugi::xml_node& node)
{
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element)
            children.push_back(child);
    }
    return children;
}

/// Loads a recipe; false with "<file>:<line>: <message>" as Assemble reports it.
[[nodiscard]] bool LoadRecipe(const std::filesystem::path& file, Recipe& recipe, std::string& error);

} // namespace XmlConvert
