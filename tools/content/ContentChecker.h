#pragma once

#include "tools/xmlconv/XmlAssemble.h"

#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/// Checks the built content for the content tests: loads the configuration as the game reads it (UTF-16LE from
/// the data folder) and collects every miss, each named with the source file and line the element came from, so
/// that one run reports them all. Queries are XPath expressions, as the engine's own.
class ContentChecker {
public:
    /// dataFolder: the built data folder; originsFolder: where the XML step kept the element origins ("" for none).
    ContentChecker(std::filesystem::path dataFolder, std::filesystem::path originsFolder);
    ~ContentChecker();

    /// The document of a built file (e.g. "cfg/ui.xml"), loaded once; null, with a problem reported, when it is
    /// missing or does not parse.
    const pugi::xml_document* Document(const std::string& file);

    /// Every name must be the `attribute` of some element that `query` selects in the file.
    void RequireNamed(const std::string& file, const std::string& query, const std::string& attribute,
                      const std::vector<std::string>& names);
    /// The query selects at least `minimum` elements.
    void RequireCount(const std::string& file, const std::string& query, size_t minimum);
    /// Every element that the query selects has the attribute, as a number within [minimum, maximum]; an exclusive
    /// bound (`line_spacing` > 0) is asked for with the next representable value.
    void RequireRange(const std::string& file, const std::string& query, const std::string& attribute, double minimum,
                      double maximum);
    /// Every value of `attribute` on the elements `query` selects in `file` is the `targetAttribute` of an element
    /// that `targetQuery` selects in `targetFile` (a texture id used by a control, a sound name, a loc id).
    void RequireReferences(const std::string& file, const std::string& query, const std::string& attribute,
                           const std::string& targetFile, const std::string& targetQuery,
                           const std::string& targetAttribute);
    /// Every element that `query` selects in `file` has the attribute, and its value names a file of the data
    /// folder as the game finds it: '\' or '/' between the parts, in any case, relative to the data folder (a
    /// missing picture is otherwise dropped without a word).
    void RequireFiles(const std::string& file, const std::string& query, const std::string& attribute);
    /// The animation file (e.g. "anm/waiter.anm") has a sequence of that name, or numbered variants of it (name01,
    /// ...); the element that asks for it is named in the report.
    void RequireAnmSequence(const std::string& anmFile, const std::string& sequence, const std::string& file,
                            const pugi::xml_node& askedBy);

    /// Adds a problem found by the caller, named by the element's origin.
    void Report(const std::string& file, const pugi::xml_node& node, const std::string& message);
    /// Where the element of a loaded file was written.
    [[nodiscard]] XmlConvert::Origin OriginOf(const std::string& file, const pugi::xml_node& node) const;

    /// Every problem, one "<source>:<line>: <message>" each, in the order found.
    [[nodiscard]] const std::vector<std::string>& Problems() const { return mProblems; }
    /// The problems as one text, for a test's failure message.
    [[nodiscard]] std::string ReportText() const;

private:
    struct Loaded;
    struct Animation;
    Loaded* Load(const std::string& file);
    /// The file's nodes that the query selects; nullopt when the file is missing or the query is wrong (reported).
    std::optional<pugi::xpath_node_set> Select(const std::string& file, const std::string& query);

    std::filesystem::path mData;
    std::filesystem::path mOrigins;
    std::map<std::string, std::unique_ptr<Loaded>> mFiles;
    std::map<std::string, std::unique_ptr<Animation>> mAnimations;
    std::vector<std::string> mProblems;
};
