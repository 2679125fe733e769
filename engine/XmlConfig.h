#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

/// The one way the engine and the game read their configuration: UTF-16LE XML files read whole through the pack
/// layer into a DOM, queried with XPath, and typed attribute readers with the engine's own number rules (no locale,
/// no exponent). Every reader leaves its output untouched when it answers false, so callers preset defaults.
/// Narrow strings are bytes in ISO 8859-1 (shell/StringHelpers.h): a character beyond U+00FF reads as '?'.
/// Documents and nodes belong to the thread that opened them.

/// Buffer sizes of the readers, counted with the terminator the stored text never holds: a narrow value keeps at
/// most size - 1 bytes, a wide value fits in a capacity when its length + 1 is at most the capacity.
inline constexpr size_t kXmlNarrowSize = 128;
inline constexpr size_t kXmlFlagsSize = 1024;
inline constexpr size_t kXmlFormatSize = 1024;

// ---- Documents ---------------------------------------------------------------------------------------------------

/// A new, empty document owned by the caller.
[[nodiscard]] std::unique_ptr<pugi::xml_document> XmlCreateDocument();

/// Reads the file whole through the pack layer and parses it as UTF-16LE; a leading byte-order mark FF FE is
/// skipped, a file without one is read from its first byte. False, with the document emptied, when the file
/// cannot be read or does not parse (a file holding only the mark does not parse: it has no element). `why`, when
/// given, then says which, for a message after the file's name: "missing or cannot be opened", "cannot be read",
/// or "not well-formed XML at line L, column C: " and the reader's description.
[[nodiscard]] bool XmlLoadFromFile(const std::string& fileName, pugi::xml_document& document,
                                   std::string* why = nullptr);

/// A new document of the file, or null when XmlLoadFromFile fails (with `why` as there).
[[nodiscard]] std::unique_ptr<pugi::xml_document> XmlOpenDocument(const std::string& fileName,
                                                                  std::string* why = nullptr);

/// The file the node's document was read from by XmlLoadFromFile, for messages about its content;
/// "(an XML document)" for a document made otherwise, "" for an empty node. Any thread.
[[nodiscard]] std::string XmlFileOf(pugi::xml_node node);

// ---- Queries -----------------------------------------------------------------------------------------------------

/// A value for a $name of a query. Names of the content go in as variables, never formatted into the query text,
/// so that a quotation mark in a name stays part of the value.
struct XmlQueryVariable {
    const char* name;       // without the '$'
    std::string_view value; // narrow
};
using XmlQueryVariables = std::initializer_list<XmlQueryVariable>;

/// The nodes an XPath query selects under the node, in document order; ok (when given) is false when the query
/// does not compile, and the set is then empty.
[[nodiscard]] pugi::xpath_node_set XmlSelectNodes(pugi::xml_node node, const char* query,
                                                  XmlQueryVariables variables = {}, bool* ok = nullptr);
/// The first element the query selects, or an empty node.
[[nodiscard]] pugi::xml_node XmlSelectNode(pugi::xml_node node, const char* query, XmlQueryVariables variables = {});

/// Number of nodes the query selects; 0 when it fails.
[[nodiscard]] int XmlCount(pugi::xml_node node, const char* query, XmlQueryVariables variables = {});

/// Calls the callback for each selected node in order until it returns false. False only when the query fails.
bool XmlForEach(pugi::xml_node node, const char* query, const std::function<bool(pugi::xml_node)>& callback,
                XmlQueryVariables variables = {});
/// The same over the node's children of one type (pugi::node_element, pugi::node_pcdata, ...).
bool XmlForEachChild(pugi::xml_node node, pugi::xml_node_type type,
                     const std::function<bool(pugi::xml_node)>& callback);
[[nodiscard]] int XmlCountChildren(pugi::xml_node node, pugi::xml_node_type type);
/// The same over the node's attributes, in document order. False for an empty node.
bool XmlForEachAttribute(pugi::xml_node node, const std::function<bool(pugi::xml_attribute)>& callback);

// ---- Reading -----------------------------------------------------------------------------------------------------

enum class XmlNodeString { Name = 0, Text = 1, Value = 2 };

/// The node's name, its text (the text of every descendant, concatenated) or its value (text nodes only), narrow,
/// cut to size - 1 bytes. False for an empty node and for the value of a node that has none.
bool XmlGetNodeString(pugi::xml_node node, XmlNodeString kind, std::string& out, size_t size = kXmlNarrowSize);

/// The attribute, or an empty attribute when the node has none of that name.
[[nodiscard]] pugi::xml_attribute XmlGetAttrNode(pugi::xml_node node, const char* name);

/// The attribute's value, narrow, cut to size - 1 bytes. False when missing.
bool XmlGetAttrString(pugi::xml_node node, const char* name, std::string& out, size_t size = kXmlNarrowSize);
/// The attribute's value in UTF-16 units. False when missing, and false with out emptied when the value does not
/// fit the capacity (its length + 1 units), so that no reader goes on with a value it could not hold.
bool XmlGetAttrWString(pugi::xml_node node, const char* name, std::wstring& out, size_t capacity);

/// ParseInt of the value (at most 127 bytes). False when missing.
bool XmlGetAttrInt(pugi::xml_node node, const char* name, int32_t& out);
/// The attribute's integer, 0 when missing.
inline int32_t XmlReadInt(pugi::xml_node node, const char* name)
{
    int32_t value = 0;
    XmlGetAttrInt(node, name, value);
    return value;
}
/// The attribute's text, empty when missing.
inline std::string XmlReadString(pugi::xml_node node, const char* name, size_t size = kXmlNarrowSize)
{
    std::string value;
    XmlGetAttrString(node, name, value, size);
    return value;
}
/// The value as integer part, fraction and scale (10 to the number of fraction digits; 0 without a '.'); a value
/// starting with '-' is negative as a whole, so the fraction takes the sign. False when missing.
bool XmlGetAttrFixed(pugi::xml_node node, const char* name, int32_t& integerPart, int32_t& fraction, uint32_t& scale);
/// integerPart + fraction / scale: "1.25" 1.25, "-0.5" -0.5, ".5" 0.5, "2." 2, "1.5e3" 1.5, "abc" 0. False when
/// missing.
bool XmlGetAttrFloat(pugi::xml_node node, const char* name, float& out);
/// True when the value and "true" agree up to the end of the shorter (so "t", "tru", "trueish" and an empty value
/// are true, "True" is not), and for any value of 16 units or more; otherwise ParseInt(value) != 0. False when
/// missing.
bool XmlGetAttrBool(pugi::xml_node node, const char* name, bool& out);

/// One name of a flag list and the bits it stands for.
struct XmlFlag {
    const char* name;
    uint32_t value;
};
struct XmlFlagW {
    const wchar_t* name;
    uint32_t value;
};

/// flags = 0, then ParseFlagList of the value (at most 1023 bytes or units). False for an empty table or a
/// missing attribute (and, wide, a value of 1023 units or more); flags untouched then.
bool XmlGetAttrFlags(pugi::xml_node node, const char* name, std::span<const XmlFlag> table, uint32_t& flags);
bool XmlGetAttrFlagsW(pugi::xml_node node, const char* name, std::span<const XmlFlagW> table, uint32_t& flags);

// ---- Writing -----------------------------------------------------------------------------------------------------

/// Formats the arguments (cut to 1023 bytes) and stores the text as the attribute's value, adding the attribute
/// when missing. False for an empty node or a null name or format.
bool XmlSetAttrF(pugi::xml_node node, const char* name, const char* format, ...) __attribute__((format(printf, 3, 4)));

/// A new element of that name inserted into the node before `before`, or appended when `before` is empty; an
/// empty node when it cannot be inserted (an empty node, or `before` not a child of it).
pugi::xml_node XmlInsertChildElement(pugi::xml_node node, const std::wstring& name, pugi::xml_node before);

// ---- Parsing -----------------------------------------------------------------------------------------------------

/// An optional leading '-', then decimal digits up to the first other character ("12abc" 12, "abc" 0, " 5" 0).
/// Wraps as 32-bit arithmetic does when the digits do not fit. scale, when given, receives 10 to the number of
/// digits read (1 for none), wrapping the same way.
[[nodiscard]] int32_t ParseInt(std::string_view text, uint32_t* scale = nullptr);

/// ORs into flags the value of the first table entry that matches each comma-separated token, in order, up to
/// the first empty token ("a,,b" stops after a); unmatched tokens are ignored, blanks are not trimmed. Narrow
/// names match without regard to ASCII case; wide names match as XmlGetAttrBool's rule does (agreement up to
/// the end of the shorter, case kept). False only for a null text.
bool ParseFlagList(const char* text, std::span<const XmlFlag> table, uint32_t& flags);
bool ParseFlagList(const wchar_t* text, std::span<const XmlFlagW> table, uint32_t& flags);
