#include "graphics/XMLParser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Pyxo::XMLItem;
using Pyxo::XMLItemType;
using Pyxo::XMLParser;

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        out += c < 128 ? char(c) : '?';
    }
    return out;
}

// One line per item: kind, value, attributes in order, instruction.
std::string Describe(const XMLItem& item)
{
    static const char* const kKinds[] = {"none", "start", "end", "text", "pi", "comment"};
    std::string text = std::string(kKinds[int(item.type)]) + ":" + Narrow(item.value);
    for (const std::wstring& name : item.attributeOrder) {
        text += " " + Narrow(name) + "=" + Narrow(item.attributes.at(name));
    }
    if (!item.instruction.empty()) {
        text += " |" + Narrow(item.instruction) + "|";
    }
    return text;
}

struct Parsed {
    std::vector<std::string> items;
    bool failed = false;
    std::string error;
    int line = 0;
};

class XMLFile {
public:
    explicit XMLFile(const std::string& bytes)
    {
        mPath = fs::temp_directory_path() / ("ilvane-xml-" + std::to_string(getpid()) + ".xml");
        std::ofstream(mPath, std::ios::binary) << bytes;
    }
    ~XMLFile()
    {
        std::error_code ignored;
        fs::remove(mPath, ignored);
    }
    std::string Name() const { return mPath.string(); }

private:
    fs::path mPath;
};

Parsed Parse(const std::string& bytes, bool allowComments = false)
{
    XMLFile file(bytes);
    XMLParser parser;
    parser.AllowComments(allowComments);
    Parsed parsed;
    EXPECT_TRUE(parser.Open(file.Name()));
    XMLItem item;
    while (parser.ReadItem(item)) {
        parsed.items.push_back(Describe(item));
    }
    parsed.failed = parser.HasFailed();
    parsed.error = Narrow(parser.GetErrorText());
    parsed.line = parser.GetLineNumber();
    return parsed;
}

using Items = std::vector<std::string>;

TEST(XMLParser, ReadsItems)
{
    struct Case {
        const char* document;
        Items items;
    };
    const Case cases[] = {
        {R"(<a b="1"/>)", {"start:a b=1", "end:a"}},
        {"<a/>", {"start:a", "end:a"}},
        {R"(<a b="1" />)", {"start:a b=1", "end:a"}},
        {R"(<a b="x/">)", {"start:a b=x", "end:a"}}, // taken as self-closing, as the format has it
        {"<r>  hello   world  </r>", {"start:r", "text:hello world", "end:r"}},
        {R"(<a b="&lt;&amp;&foo;&x"/>)", {"start:a b=<&&&x", "end:a"}},
        {R"(<a>&quot;&apos;&gt;&nbsp;&#65;</a>)", {"start:a", "text:\"'> &", "end:a"}},
        {"<r><!-- note --><x/></r>", {"start:r", "start:x", "end:x", "end:r"}},
        {R"(<?xml version="1.0"?><r/>)", {R"(pi:xml | version="1.0"|)", "start:r", "end:r"}},
        {"<?target?><r/>", {"pi:target", "start:r", "end:r"}},
        {R"(<a x="1" y="2" x="3"></a>)", {"start:a x=3 y=2", "end:a"}},
        {R"(<a b = "1 > 2" c="" d=e>)"
         "</a>",
         {"start:a b=1 > 2 c= d=e", "end:a"}},
        {"<t>say \"a  b\" now</t>", {"start:t", "text:say \"a  b\" now", "end:t"}},
        {"  \n\t ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        const Parsed parsed = Parse(c.document);
        EXPECT_EQ(parsed.items, c.items);
        EXPECT_FALSE(parsed.failed) << parsed.error;
    }
}

TEST(XMLParser, ItemsCarryTheirSection)
{
    XMLFile file("<a><b>t</b><c/></a>");
    XMLParser parser;
    ASSERT_TRUE(parser.Open(file.Name()));
    std::vector<std::wstring> sections;
    XMLItem item;
    while (parser.ReadItem(item)) {
        sections.push_back(item.section);
    }
    EXPECT_EQ(sections, (std::vector<std::wstring>{L"", L"a", L"a/b", L"a/b", L"a", L"a/c", L"a"}));
}

TEST(XMLParser, CommentsWhenAllowed)
{
    EXPECT_EQ(Parse("<r><!-- note --></r>", true).items, (Items{"start:r", "comment: |note |", "end:r"}));
}

TEST(XMLParser, ErrorsNameTheirLine)
{
    struct Case {
        std::string document;
        const char* error;
        int line;
    };
    const Case cases[] = {
        {"<r><!--note--></r>", "End 'r' Doesn't Match Start '!--note--'", 1},
        {"<a", "Unexpected End of File", 1},
        {"\n\n\n\n\n\n<a></b>", "End 'b' Doesn't Match Start 'a'", 7},
        {"<a/>\n</a>", "Unexpected End", 2},
        {"a>", "Unexpected '>'", 1},
        {"<a <b>", "Unexpected '<'", 1},
        {"<a>\x01</a>", "Illegal Character", 1},
        {"<a>text", "Unexpected End of File", 1},
        {"\xEF\xBB\xBF<a>\xC0\x80</a>", "Illegal Character", 1},     // overlong form
        {"\xEF\xBB\xBF<a>\xED\xA0\x80</a>", "Illegal Character", 1}, // a surrogate in UTF-8
        {"\xEF\xBB\xBF<a>\xE2\x82</a>", "Illegal Character", 1},     // cut sequence
        {std::string("\xFF\xFE<\0a\0>\0\x00\xD8x\0", 12), "Illegal Character", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        const Parsed parsed = Parse(c.document);
        EXPECT_TRUE(parsed.failed);
        EXPECT_EQ(parsed.error, c.error);
        EXPECT_EQ(parsed.line, c.line);
    }
}

TEST(XMLParser, FirstErrorStaysAndReadingStops)
{
    XMLFile file("<a></b><c>");
    XMLParser parser;
    ASSERT_TRUE(parser.Open(file.Name()));
    XMLItem item;
    EXPECT_TRUE(parser.ReadItem(item));
    EXPECT_FALSE(parser.ReadItem(item));
    EXPECT_FALSE(parser.ReadItem(item));
    EXPECT_EQ(parser.GetErrorText(), L"End 'b' Doesn't Match Start 'a'");
}

TEST(XMLParser, MissingFile)
{
    XMLParser parser;
    EXPECT_FALSE(parser.Open("/no/such/file.xml"));
    EXPECT_TRUE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), L"Unable to open file /no/such/file.xml");
    EXPECT_EQ(parser.GetLineNumber(), 0);
    XMLItem item;
    EXPECT_FALSE(parser.ReadItem(item));
}

TEST(XMLParser, Encodings)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring text;
    };
    const Case cases[] = {
        {"utf-8 with mark", "\xEF\xBB\xBF<a>x\xC3\xA9</a>", L"x\u00E9"},
        {"single byte", "<a>x\xE9</a>", L"x\u00E9"},
        {"ascii with mark", "\xEF\xBB\xBF<a>plain</a>", L"plain"},
        {"ascii without", "<a>plain</a>", L"plain"},
        {"utf-8 beyond FFFF", "\xEF\xBB\xBF<a>\xF0\x9F\x98\x80</a>", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        {"utf-16le", std::string("\xFF\xFE<\0a\0>\0\xE9\0<\0/\0a\0>\0", 18), L"\u00E9"},
        {"utf-16be", std::string("\xFE\xFF\0<\0a\0>\x26\x3A\0<\0/\0a\0>", 18), L"\u263A"},
        {"utf-16 pair", std::string("\xFF\xFE<\0a\0>\0\x3D\xD8\x00\xDE<\0/\0a\0>\0", 20),
         std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XMLFile file(c.bytes);
        XMLParser parser;
        ASSERT_TRUE(parser.Open(file.Name()));
        XMLItem item;
        ASSERT_TRUE(parser.ReadItem(item));
        EXPECT_EQ(item.value, L"a");
        ASSERT_TRUE(parser.ReadItem(item));
        EXPECT_EQ(item.type, XMLItemType::Text);
        EXPECT_EQ(item.value, c.text);
        ASSERT_TRUE(parser.ReadItem(item));
        EXPECT_EQ(item.type, XMLItemType::End);
        EXPECT_FALSE(parser.ReadItem(item));
        EXPECT_FALSE(parser.HasFailed()) << Narrow(parser.GetErrorText());
    }
}

} // namespace
