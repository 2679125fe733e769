#pragma once

#include "graphics/Color.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Pyxo {

/// One parameter of a descriptor command: a single token or a parenthesised list. Copied only through Duplicate.
class DataElement {
public:
    explicit DataElement(bool isList) : mIsList(isList) {}
    virtual ~DataElement() = default;
    DataElement& operator=(const DataElement&) = delete;

    /// A deep copy, owned by the caller.
    [[nodiscard]] virtual std::unique_ptr<DataElement> Duplicate() const = 0;

    const bool mIsList;

protected:
    DataElement(const DataElement&) = default;
};

/// A token exactly as it stood in the command, quote characters included.
class SingleDataElement : public DataElement {
public:
    SingleDataElement() : DataElement(false) {}
    explicit SingleDataElement(std::wstring text) : DataElement(false), mString(std::move(text)) {}

    [[nodiscard]] std::unique_ptr<DataElement> Duplicate() const override;

    std::wstring mString;
};

/// An ordered list of owned elements; copies are deep.
class ListDataElement : public DataElement {
public:
    ListDataElement() : DataElement(true) {}
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement& other);

    [[nodiscard]] std::unique_ptr<DataElement> Duplicate() const override;
    [[nodiscard]] size_t size() const { return mElementVector.size(); }
    [[nodiscard]] const DataElement* operator[](size_t index) const { return mElementVector[index].get(); }

    std::vector<std::unique_ptr<DataElement>> mElementVector;
};

/// Reader of descriptor files: UTF-16LE text (no byte-order mark) of commands, each a command word followed by
/// parameters (quoted strings, numbers, definition names, parenthesised lists). Splits the file into commands,
/// each command into a tree of elements, and hands every command to HandleCommand of the derived class. Keeps the
/// definitions that Define makes and converts parameters, resolving definition names on the way.
/// Only the first error text is kept. One thread at a time.
class DescParser {
public:
    static constexpr int CMDSEP_SEMICOLON = 1; // ';' outside quotes ends a command
    static constexpr int CMDSEP_NO_INDENT = 2; // a line that is not indented starts a new command

    /// Bounds that keep a hostile file from exhausting the stack or memory: nesting of lists, and the elements
    /// that resolving one parameter may produce (definitions can repeat each other).
    static constexpr size_t kMaxListDepth = 64;
    static constexpr size_t kMaxResolvedElements = 65536;

    DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;
    virtual ~DescParser();

    /// Keeps the text when no error is kept yet, with " on Line " and the command's line while a command runs.
    /// Always false, so that callers can return it.
    virtual bool Error(const std::wstring& text);
    /// The definition of the name, compared without regard to case; null when there is none.
    [[nodiscard]] virtual const DataElement* Dereference(const std::wstring& name) const;
    /// Runs one command; params[0] is the command word (a single element). False stops the file.
    virtual bool HandleCommand(const ListDataElement& params) = 0;

    /// Reads and runs the whole file through the pack layer. False when it cannot be opened or a command failed.
    bool LoadDescriptor(const std::string& fileName);

    /// Splits a command's text into elements. False (with the error reported) on bad quoting or parentheses.
    bool SplitToElements(const std::wstring& text, ListDataElement& out);

    // Parameter conversions. Each fails (false) for an element of the wrong kind; a name without a definition
    // is also reported ("Unable to Dereference ..."), other failures are left to the caller to report.
    /// A single element's unquoted text; a definition name gives its (single) definition's text.
    bool DataToString(const DataElement* source, std::wstring& out);
    /// A list resolved (ResolveList), or a copy of the list definition that a single element names.
    bool DataToList(const DataElement* source, ListDataElement& out);
    /// As DataToList; every entry must be a single element, whose text is taken as it stands.
    bool DataToStringVector(const DataElement* source, std::vector<std::wstring>& out);
    bool DataToIntVector(const DataElement* source, std::vector<int>& out);
    bool DataToDoubleVector(const DataElement* source, std::vector<double>& out);
    /// A single element as written read as 0xAARRGGBB, or a list whose first four numbers are red, green, blue
    /// and alpha from 0.0 to 1.0 (times 255, truncated). A shorter list fails.
    bool DataToColor(const DataElement* source, Color& out);
    /// A copy of the list in which quoted texts are unquoted, numbers kept and names replaced by copies of their
    /// definitions; nested lists are resolved alike.
    bool ResolveList(const ListDataElement& source, ListDataElement& out);

    /// The first error kept since the last LoadDescriptor; empty when none.
    [[nodiscard]] const std::wstring& GetErrorText() const { return mError; }

    /// Drops the quotes of a text that starts with one: every such quote character goes, except that one
    /// directly after another is kept once ('it''s' gives it's). Other texts come back unchanged.
    [[nodiscard]] static std::wstring Unquote(const std::wstring& text);
    /// Texts that start with a digit, '-', '+' or a quote are literals; anything else names a definition.
    [[nodiscard]] static bool IsLiteral(const std::wstring& text);

    int mCmdSep = CMDSEP_SEMICOLON;
    std::wstring mError;
    int mCurrentLineNum = 0;   // line on which the current command began; 0 outside a command
    std::wstring mCurrentLine; // text of the current command
    std::map<std::wstring, std::unique_ptr<DataElement>> mDefineMap; // upper-cased name -> value

protected:
    /// The Define command: Define name value.
    bool HandleDefine(const ListDataElement& params);
    /// Enters (or replaces) a definition under the upper-cased name.
    void SetDefine(const std::wstring& name, std::unique_ptr<DataElement> value);

private:
    bool RunCurrentCommand();
    bool ResolveInto(const ListDataElement& source, ListDataElement& out, size_t depth, size_t& budget);
    std::unique_ptr<DataElement> CopyBounded(const DataElement& source, size_t depth, size_t& budget);
};

} // namespace Pyxo
