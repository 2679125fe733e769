// The configuration readers: documents read through the pack layer, queries with bound names, and the typed
// attribute readers with the engine's own number, boolean and flag rules.
#include "engine/XmlConfig.h"

#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using namespace EngineTest;

/// One element "e" whose attribute "v" holds the value.
class Element {
public:
    explicit Element(const std::string& value)
    {
        mDocument.append_child("e").append_attribute("v").set_value(value.c_str());
    }
    [[nodiscard]] pugi::xml_node Node() const { return mDocument.child("e"); }

private:
    pugi::xml_document mDocument;
};

TEST(XmlConfig, IntegersReadTheirLeadingDigitsAndWrapLikeThirtyTwoBits)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {" 5", 0},
        {"-7", -7},
        {"", 0},
        {"-", 0},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", 1661992959},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t value = 99;
        EXPECT_TRUE(XmlGetAttrInt(Element(c.text).Node(), "v", value));
        EXPECT_EQ(value, c.value);
    }
    int32_t untouched = 99;
    EXPECT_FALSE(XmlGetAttrInt(Element("1").Node(), "missing", untouched));
    EXPECT_EQ(untouched, 99);

    uint32_t scale = 0;
    EXPECT_EQ(ParseInt("05x", &scale), 5);
    EXPECT_EQ(scale, 100u) << "ten to the number of digits read";
    EXPECT_EQ(ParseInt("", &scale), 0);
    EXPECT_EQ(scale, 1u);
}

TEST(XmlConfig, FloatsUseTheEnginesOwnFractionRule)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {
        {"1.25", 1.25f},
        {"3", 3.0f},
        {"2.", 2.0f},
        {".5", 0.5f},
        {"1.5e3", 1.5f},
        {"1.05", 1.05f},
        {"-1.5", -1.5f},
        {"-0.25", -0.25f},
        {"-0.5", -0.5f},
        {"abc", 0.0f},
        // So many fraction digits that the scale wraps to 0: the integer part alone, never a division by zero.
        {"7.00000000000000000000000000000000001", 7.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        float value = 99.0f;
        EXPECT_TRUE(XmlGetAttrFloat(Element(c.text).Node(), "v", value));
        EXPECT_FLOAT_EQ(value, c.value);
    }
    int32_t integerPart = 0;
    int32_t fraction = 0;
    uint32_t scale = 7;
    ASSERT_TRUE(XmlGetAttrFixed(Element("-1.05").Node(), "v", integerPart, fraction, scale));
    EXPECT_EQ(integerPart, -1);
    EXPECT_EQ(fraction, -5);
    EXPECT_EQ(scale, 100u);
    ASSERT_TRUE(XmlGetAttrFixed(Element("4").Node(), "v", integerPart, fraction, scale));
    EXPECT_EQ(scale, 0u) << "no '.', no scale";
}

TEST(XmlConfig, BooleansAgreeWithTrueOrReadAsNumbers)
{
    const struct {
        const char* text;
        bool value;
    } cases[] = {
        {"true", true},
        {"t", true},
        {"tru", true},
        {"trueish", true},
        {"", true},
        {"True", false},
        {"1", true},
        {"0", false},
        {"false", false},
        {"yes", false},
        {"2x", true},
        {"falsefalsefalsef", true}, // 16 units: too long for the reader's buffer, read as empty
        {"falsefalsefalse", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bool value = !c.value;
        EXPECT_TRUE(XmlGetAttrBool(Element(c.text).Node(), "v", value));
        EXPECT_EQ(value, c.value);
    }
    bool untouched = true;
    EXPECT_FALSE(XmlGetAttrBool(Element("0").Node(), "missing", untouched));
    EXPECT_TRUE(untouched);
}

TEST(XmlConfig, FlagListsMatchTokensUpToTheFirstEmptyOne)
{
    const XmlFlag narrow[] = {{"left", 1}, {"top", 2}, {"right", 4}};
    const XmlFlagW wide[] = {{L"left", 1}, {L"top", 2}, {L"right", 4}};
    const struct {
        const char* text;
        uint32_t narrowFlags;
        uint32_t wideFlags;
    } cases[] = {
        {"Left,top", 3, 2},    // narrow ignores case; wide keeps it
        {"left, top", 1, 1},   // the blank makes " top" another name
        {"left,,right", 1, 1}, // stops at the empty token
        {"le,ri", 0, 5},       // wide names agree up to the shorter
        {"bottom", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint32_t flags = 0xF0;
        EXPECT_TRUE(XmlGetAttrFlags(Element(c.text).Node(), "v", narrow, flags));
        EXPECT_EQ(flags, c.narrowFlags);
        flags = 0xF0;
        EXPECT_TRUE(XmlGetAttrFlagsW(Element(c.text).Node(), "v", wide, flags));
        EXPECT_EQ(flags, c.wideFlags);
    }
    uint32_t flags = 0xF0;
    EXPECT_FALSE(XmlGetAttrFlags(Element("left").Node(), "v", std::span<const XmlFlag>(), flags));
    EXPECT_FALSE(XmlGetAttrFlags(Element("left").Node(), "missing", narrow, flags));
    EXPECT_EQ(flags, 0xF0u);
    EXPECT_FALSE(ParseFlagList(static_cast<const char*>(nullptr), narrow, flags));
}

TEST(XmlConfig, StringsAreCutOrRefusedWhenTheyDoNotFit)
{
    const Element twenty("abcdefghijklmnopqrst");
    std::wstring wide = L"previous";
    EXPECT_FALSE(XmlGetAttrWString(twenty.Node(), "v", wide, 16)) << "a value that does not fit is refused";
    EXPECT_TRUE(wide.empty()) << "and nothing of an earlier value stays";
    EXPECT_TRUE(XmlGetAttrWString(twenty.Node(), "v", wide, 21));
    EXPECT_EQ(wide, L"abcdefghijklmnopqrst");
    EXPECT_FALSE(XmlGetAttrWString(twenty.Node(), "v", wide, 20)) << "the terminator needs a unit too";

    std::string narrow;
    EXPECT_TRUE(XmlGetAttrString(twenty.Node(), "v", narrow, 8));
    EXPECT_EQ(narrow, "abcdefg") << "a narrow value is cut to the buffer";

    const Element scripts("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"); // e acute, euro sign, a character beyond U+FFFF
    EXPECT_TRUE(XmlGetAttrWString(scripts.Node(), "v", wide, 16));
    EXPECT_EQ(wide, std::wstring({L'\u00E9', L'\u20AC', wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_TRUE(XmlGetAttrString(scripts.Node(), "v", narrow));
    EXPECT_EQ(narrow, "\xE9???") << "one byte per unit; what ISO 8859-1 lacks is '?'";
}

TEST(XmlConfig, QueriesTakeNamesAsValuesNeverAsQueryText)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<effects>
  <effect name='say "hi"' n="1"/>
  <effect name="it's" n="2"/>
  <effect name="plain" n="3"/>
  <effect name="plain" n="4"/>
</effects>)"));
    const pugi::xml_node effects = document.child("effects");
    for (const auto& [name, n] : {std::pair{"say \"hi\"", 1}, {"it's", 2}, {"plain", 3}}) {
        SCOPED_TRACE(name);
        const pugi::xml_node found = XmlSelectNode(effects, "effect[@name=$name]", {{"name", name}});
        EXPECT_EQ(found.attribute("n").as_int(), n);
    }
    EXPECT_EQ(XmlCount(effects, "effect[@name=$name]", {{"name", "x\"] | //effect | x[\""}}), 0)
        << "a quotation mark in a name cannot widen the query";
    EXPECT_EQ(XmlCount(effects, "effect[@name=$name]", {{"name", "plain"}}), 2);

    int visited = 0;
    EXPECT_TRUE(XmlForEach(effects, "effect", [&](pugi::xml_node) { return ++visited < 2; }));
    EXPECT_EQ(visited, 2) << "the walk stops when the callback says so";
    EXPECT_FALSE(XmlForEach(effects, "effect[", [](pugi::xml_node) { return true; })) << "a broken query";
    EXPECT_EQ(XmlCount(effects, "effect["), 0);
    EXPECT_TRUE(XmlForEach(effects, "nothing", [](pugi::xml_node) { return true; })) << "no match is no failure";
}

TEST(XmlConfig, AttributesAndElementsAreWritten)
{
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("root");
    const pugi::xml_node last = root.append_child("last");
    EXPECT_TRUE(XmlSetAttrF(root, "size", "%dx%d", 800, 600));
    EXPECT_TRUE(XmlSetAttrF(root, "size", "%s", "replaced"));
    EXPECT_STREQ(root.attribute("size").value(), "replaced");
    EXPECT_FALSE(XmlSetAttrF(pugi::xml_node(), "size", "%d", 1));

    const pugi::xml_node first = XmlInsertChildElement(root, L"first", last);
    EXPECT_EQ(first, root.first_child());
    const pugi::xml_node end = XmlInsertChildElement(root, L"end", pugi::xml_node());
    EXPECT_EQ(end, root.last_child());
    EXPECT_STREQ(root.first_child().name(), "first");
    EXPECT_FALSE(XmlInsertChildElement(root, L"x", document.append_child("elsewhere"))) << "not a child";
    EXPECT_EQ(XmlCountChildren(root, pugi::node_element), 3);

    std::string text;
    root.child("last").append_child(pugi::node_pcdata).set_value("one ");
    root.child("end").append_child("inner").append_child(pugi::node_pcdata).set_value("two");
    ASSERT_TRUE(XmlGetNodeString(root, XmlNodeString::Text, text));
    EXPECT_EQ(text, "one two") << "the text of every descendant";
    ASSERT_TRUE(XmlGetNodeString(root, XmlNodeString::Name, text));
    EXPECT_EQ(text, "root");
    EXPECT_FALSE(XmlGetNodeString(root, XmlNodeString::Value, text)) << "an element has no value";
}

using XmlFiles = EngineFixture;

TEST_F(XmlFiles, DocumentsAreUtf16WithOrWithoutTheByteOrderMark)
{
    const std::string text = R"(<root><loc id="a" text="x"/></root>)";
    WriteXml(mFolder / "with.xml", text);
    std::vector<uint8_t> without;
    for (const char c : text) {
        without.push_back(static_cast<uint8_t>(c));
        without.push_back(0);
    }
    WriteBytes(mFolder / "without.xml", without);
    WriteBytes(mFolder / "mark_only.xml", {0xFF, 0xFE});
    WriteBytes(mFolder / "utf8.xml", std::vector<uint8_t>(text.begin(), text.end()));
    WriteXml(mFolder / "broken.xml", "<root><loc id=\"a\"/><unclosed></root>");
    fs::current_path(mFolder);

    for (const char* name : {"with.xml", "without.xml"}) {
        SCOPED_TRACE(name);
        const auto document = XmlOpenDocument(name);
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(XmlCount(*document, "root/loc"), 1) << "the first character is kept";
    }
    for (const char* name : {"mark_only.xml", "utf8.xml", "broken.xml", "missing.xml"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(XmlOpenDocument(name), nullptr);
        pugi::xml_document document;
        EXPECT_FALSE(XmlLoadFromFile(name, document));
        EXPECT_FALSE(document.first_child()) << "a document that failed to load is empty";
    }
}

TEST_F(XmlFiles, AFailedLoadSaysWhyAndAParseErrorWhere)
{
    // The error stands on line 3, after characters that take two and four bytes in UTF-8.
    WriteXml(mFolder / "broken.xml", "<root>\n<loc text=\"\u00e9\U0001F600\"/>\n  <a></b></root>");
    WriteBytes(mFolder / "mark_only.xml", {0xFF, 0xFE});
    fs::create_directories(mFolder / "folder.xml");
    WriteXml(mFolder / "good.xml", "<root><a/></root>");
    fs::current_path(mFolder);
    const struct {
        const char* file;
        const char* why;
    } cases[] = {
        {"missing.xml", "missing or cannot be opened"},
        {"folder.xml", "cannot be read"},
        {"broken.xml", "not well-formed XML at line 3, column 8: Start-end tags mismatch"},
        {"mark_only.xml", "not well-formed XML at line 1, column 1: No document element found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string why;
        EXPECT_EQ(XmlOpenDocument(c.file, &why), nullptr);
        EXPECT_EQ(why, c.why);
    }

    // Messages about content name the file it came from.
    const auto document = XmlOpenDocument("good.xml");
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(XmlFileOf(XmlSelectNode(*document, "root/a")), "good.xml");
    pugi::xml_document made;
    EXPECT_EQ(XmlFileOf(made.append_child("x")), "(an XML document)");
    EXPECT_EQ(XmlFileOf(pugi::xml_node()), "");
}

} // namespace
