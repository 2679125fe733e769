#include "graphics/DescParser.h"

#include "tests/graphics/ImageFontTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pyxo::DataElement;
using Pyxo::ListDataElement;
using Pyxo::SingleDataElement;

/// Elements in a readable form: singles as written, lists in parentheses, separated by one space.
std::wstring Show(const DataElement& element)
{
    if (!element.mIsList)
        return static_cast<const SingleDataElement&>(element).mString;
    std::wstring text = L"(";
    for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector) {
        if (text.size() > 1)
            text += L' ';
        text += Show(*child);
    }
    return text + L")";
}

/// Records each command with its line; "Define" makes definitions and "Fail" fails.
class RecordingParser : public Pyxo::DescParser {
public:
    bool HandleCommand(const ListDataElement& params) override
    {
        const std::wstring& word = static_cast<const SingleDataElement*>(params[0])->mString;
        if (word == L"Define")
            return HandleDefine(params);
        if (word == L"Fail")
            return Error(L"boom");
        mCommands.push_back(std::to_wstring(mCurrentLineNum) + L": " + Show(params));
        return true;
    }

    /// Parses one parameter written as descriptor text.
    ListDataElement Param(const std::wstring& text)
    {
        ListDataElement params;
        EXPECT_TRUE(SplitToElements(text, params)) << mError;
        return params;
    }

    std::vector<std::wstring> mCommands;
};

struct SplitCase {
    const wchar_t* text;
    const wchar_t* elements; // Show of the whole command, or the error
};

TEST(DescParser, SplitsCommandsIntoElements)
{
    const SplitCase kCases[] = {
        {L"Cmd (1 2) 'x y', z", L"(Cmd (1 2) 'x y' z)"},
        {L"Cmd ((1) (2 3)) ()", L"(Cmd ((1) (2 3)) ())"},
        {L"Cmd 'a, (b)' \"c 'd\"", L"(Cmd 'a, (b)' \"c 'd\")"},
        {L"Cmd \\(x y\\ z", L"(Cmd (x y z)"}, // a backslash makes the next character literal and goes
        {L"Cmd 'it\\'s'", L"(Cmd 'it's')"},
        {L"Cmd a\\", L"(Cmd a)"},
        {L"Cmd (1)(2)x", L"(Cmd (1) (2) x)"},
        {L"\t Cmd,,1\n2 ", L"(Cmd 1 2)"},
        {L"", L"()"},
        {L"Cmd a(1)", L"Unexpected List Start"},
        {L"Cmd 'a'(1)", L"Unexpected List Start"},
        {L"Cmd 1)", L"Unexpected List End"},
        {L"Cmd (1 2", L"Unterminated List"},
        {L"Cmd 'abc", L"Unterminated Single Quotes"},
        {L"Cmd \"abc", L"Unterminated Double Quotes"},
        {L"Cmd ('abc", L"Unterminated Single Quotes"}, // quotes are tested before lists
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "text: " << Pyxo::WStringToString(c.text));
        RecordingParser parser;
        ListDataElement out;
        const bool ok = parser.SplitToElements(c.text, out);
        EXPECT_EQ(ok ? Show(out) : parser.mError, c.elements);
    }
}

TEST(DescParser, DeepNestingIsRefused)
{
    RecordingParser parser;
    ListDataElement out;
    EXPECT_FALSE(parser.SplitToElements(L"Cmd " + std::wstring(100000, L'('), out));
    EXPECT_EQ(parser.mError, L"List Nesting Too Deep");
    RecordingParser shallow;
    const std::wstring ok = L"Cmd " + std::wstring(Pyxo::DescParser::kMaxListDepth, L'(') +
                            std::wstring(Pyxo::DescParser::kMaxListDepth, L')');
    EXPECT_TRUE(shallow.SplitToElements(ok, out)) << shallow.mError;
}

struct FileCase {
    const char* name;
    std::wstring text;
    std::vector<std::wstring> commands;
    bool ok;
    const wchar_t* error;
};

TEST(DescParser, ReadsFilesCommandByCommand)
{
    const FileCase kCases[] = {
        {"semicolons end commands", L"Alpha 1; Beta 2;", {L"1: (Alpha 1)", L"1: (Beta 2)"}, true, L""},
        {"a command spans lines", L"Alpha\n  1\n  2;\nBeta;", {L"1: (Alpha 1 2)", L"4: (Beta)"}, true, L""},
        {"comment at line start", L"# note; Gamma\nA #b;", {L"2: (A #b)"}, true, L""},
        {"comment inside a command", L"A 1\n  # 3;\n  2;", {L"1: (A 1 2)"}, true, L""},
        {"comment after ';' is no comment", L"A; # x", {L"1: (A)", L"1: (# x)"}, true, L""},
        {"quotes keep ';'", L"A 'x;y' \"u;v\";", {L"1: (A 'x;y' \"u;v\")"}, true, L""},
        {"escaped quote inside quotes", L"A 'it\\'s;';", {L"1: (A 'it's;')"}, true, L""},
        {"carriage returns ignored", L"A 1;\r\n\r\nB\r\n 2;\r\n", {L"1: (A 1)", L"3: (B 2)"}, true, L""},
        {"last command needs no ';'", L"A;\nB 1", {L"1: (A)", L"2: (B 1)"}, true, L""},
        {"empty file", L"", {}, true, L""},
        {"blank commands", L" ; ;\n\n;", {}, true, L""},
        {"missing command", L"A;\n(a) b;", {L"1: (A)"}, false, L"Missing Command on Line 2"},
        {"first failure stops", L"A; Fail; B;", {L"1: (A)"}, false, L"boom on Line 1"},
        {"open quote runs to the end",
         L"A 1;\n\nB 'abc;\nC;",
         {L"1: (A 1)"},
         false,
         L"Unterminated Single Quotes on Line 3"},
        {"byte-order mark is a character",
         L"\xFEFF"
         L"A;",
         {L"1: (\xFEFF"
          L"A)"},
         true,
         L""},
    };
    ImageFontTest::TempFolder folder;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        RecordingParser parser;
        EXPECT_EQ(parser.LoadDescriptor(folder.WriteDescriptor("case.txt", c.text)), c.ok);
        EXPECT_EQ(parser.mCommands, c.commands);
        EXPECT_EQ(parser.mError, c.error);
        EXPECT_EQ(parser.mCurrentLineNum, 0);
        EXPECT_TRUE(parser.mCurrentLine.empty());
    }
}

TEST(DescParser, FileEdges)
{
    ImageFontTest::TempFolder folder;
    RecordingParser parser;
    EXPECT_FALSE(parser.LoadDescriptor(folder.Path("missing.txt")));
    EXPECT_TRUE(parser.mCommands.empty());

    // A lone last byte is no character.
    EXPECT_TRUE(parser.LoadDescriptor(folder.WriteDescriptor("odd.txt", L"A;B", "\x43")));
    EXPECT_EQ(parser.mCommands, (std::vector<std::wstring>{L"1: (A)", L"1: (B)"}));

    // With the indentation separator, an unindented line starts the next command.
    RecordingParser indented;
    indented.mCmdSep = Pyxo::DescParser::CMDSEP_SEMICOLON | Pyxo::DescParser::CMDSEP_NO_INDENT;
    EXPECT_TRUE(indented.LoadDescriptor(folder.WriteDescriptor("indent.txt", L"A 1\n  2\nB 3\n\tC; D")));
    EXPECT_EQ(indented.mCommands, (std::vector<std::wstring>{L"1: (A 1 2)", L"3: (B 3 C)", L"4: (D)"}));
}

TEST(DescParser, DefinitionsAndTheirErrors)
{
    ImageFontTest::TempFolder folder;
    RecordingParser parser;
    ASSERT_TRUE(parser.LoadDescriptor(folder.WriteDescriptor("defs.txt", L"Define Foo (1 1);\n"
                                                                         L"Define bar (foo 2 'x''y' -3);\n"
                                                                         L"Define Copy Foo; Define FOO 7;\n"
                                                                         L"Define Text 'abc';\n"
                                                                         L"Define Word plain;")))
        << parser.mError;
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } kValues[] = {
        {L"BAR", L"((1 1) 2 x'y -3)"}, // resolved when defined, quotes dropped
        {L"copy", L"(1 1)"},           // a copy: replacing Foo later leaves it
        {L"Foo", L"7"},
        {L"text", L"'abc'"}, // a single value is stored as written
        {L"word", L"plain"},
    };
    for (const auto& v : kValues) {
        SCOPED_TRACE(Pyxo::WStringToString(v.name));
        const DataElement* element = parser.Dereference(v.name);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(Show(*element), v.value);
    }
    EXPECT_EQ(parser.Dereference(L"none"), nullptr);

    const struct {
        const wchar_t* text;
        const wchar_t* error;
    } kErrors[] = {
        {L"Define 1abc 5", L"Invalid Paramater Type on Line 1"},
        {L"Define 'a' 5", L"Invalid Paramater Type on Line 1"},
        {L"Define -a 5", L"Invalid Paramater Type on Line 1"},
        {L"Define (a) 5", L"Invalid Paramater Type on Line 1"},
        {L"Define A", L"Invalid Number of Parameters on Line 1"},
        {L"Define A 1 2", L"Invalid Number of Parameters on Line 1"},
        {L"\nDefine A (1 Missing)", L"Unable to Dereference \"Missing\" on Line 2"},
    };
    for (const auto& e : kErrors) {
        SCOPED_TRACE(Pyxo::WStringToString(e.text));
        RecordingParser failing;
        EXPECT_FALSE(failing.LoadDescriptor(folder.WriteDescriptor("bad.txt", e.text)));
        EXPECT_EQ(failing.mError, e.error);
        EXPECT_EQ(failing.Dereference(L"A"), nullptr);
    }
}

TEST(DescParser, ConvertsParameters)
{
    RecordingParser parser;
    ListDataElement defs = parser.Param(L"Define Foo (1 1)");
    ASSERT_TRUE(parser.HandleCommand(defs));
    ASSERT_TRUE(parser.HandleCommand(parser.Param(L"Define S 'abc'")));
    ASSERT_TRUE(parser.HandleCommand(parser.Param(L"Define Chars ('a' 'b' ',')")));

    std::wstring text;
    EXPECT_TRUE(parser.DataToString(parser.Param(L"'it''s'")[0], text));
    EXPECT_EQ(text, L"it's");
    EXPECT_TRUE(parser.DataToString(parser.Param(L"\"say \"\"hi\"\"\"")[0], text));
    EXPECT_EQ(text, L"say \"hi\"");
    EXPECT_TRUE(parser.DataToString(parser.Param(L"s")[0], text));
    EXPECT_EQ(text, L"abc");
    EXPECT_TRUE(parser.DataToString(parser.Param(L"plain")[0], text));
    EXPECT_EQ(text, L"plain");
    EXPECT_FALSE(parser.DataToString(parser.Param(L"(a)")[0], text));
    EXPECT_FALSE(parser.DataToString(parser.Param(L"Foo")[0], text));

    ListDataElement list;
    EXPECT_TRUE(parser.DataToList(parser.Param(L"(Foo 2 'q' +4)")[0], list));
    EXPECT_EQ(Show(list), L"((1 1) 2 q +4)");
    EXPECT_TRUE(parser.DataToList(parser.Param(L"foo")[0], list));
    EXPECT_EQ(Show(list), L"(1 1)");
    EXPECT_TRUE(parser.mError.empty());
    EXPECT_FALSE(parser.DataToList(parser.Param(L"(Bar)")[0], list));
    EXPECT_EQ(parser.mError, L"Unable to Dereference \"Bar\"");

    std::vector<std::wstring> texts;
    EXPECT_TRUE(parser.DataToStringVector(parser.Param(L"chars")[0], texts));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"a", L"b", L","}));
    EXPECT_FALSE(parser.DataToStringVector(parser.Param(L"(1 (2))")[0], texts));
    EXPECT_TRUE(texts.empty());
    RecordingParser fresh;
    EXPECT_FALSE(fresh.DataToStringVector(fresh.Param(L"S")[0], texts));
    EXPECT_EQ(fresh.mError, L"Unable to Dereference \"S\"");

    std::vector<int> ints;
    EXPECT_FALSE(parser.DataToIntVector(parser.Param(L"(1 0x10 -3 '7' Foo)")[0], ints));
    EXPECT_TRUE(ints.empty()) << "a nested list is no int";
    EXPECT_TRUE(parser.DataToIntVector(parser.Param(L"(1 0x10 -3 '7')")[0], ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 16, -3, 7}));
    EXPECT_FALSE(parser.DataToIntVector(parser.Param(L"(1 1.5)")[0], ints));
    EXPECT_FALSE(parser.DataToIntVector(parser.Param(L"(1 0x)")[0], ints));

    std::vector<double> doubles;
    EXPECT_TRUE(parser.DataToDoubleVector(parser.Param(L"(0.5 1 -2.25)")[0], doubles));
    EXPECT_EQ(doubles, (std::vector<double>{0.5, 1.0, -2.25}));
    EXPECT_FALSE(parser.DataToDoubleVector(parser.Param(L"(1e3)")[0], doubles));
}

TEST(DescParser, DefinitionsCannotMultiplyWithoutBound)
{
    // Each definition repeats the one before eight times: the ninth would hold 8^9 elements.
    std::wstring text = L"Define L0 (1 1 1 1 1 1 1 1);";
    for (int i = 1; i < 9; ++i) {
        const std::wstring prev = L"L" + std::to_wstring(i - 1);
        text += L"Define L" + std::to_wstring(i) + L" (";
        for (int k = 0; k < 8; ++k)
            text += prev + L" ";
        text += L");";
    }
    ImageFontTest::TempFolder folder;
    RecordingParser wide;
    EXPECT_FALSE(wide.LoadDescriptor(folder.WriteDescriptor("wide.txt", text)));
    EXPECT_EQ(wide.mError, L"List Too Large on Line 1");

    std::wstring deep = L"Define D0 (1);";
    for (int i = 1; i < 100; ++i)
        deep += L"Define D" + std::to_wstring(i) + L" (D" + std::to_wstring(i - 1) + L");";
    RecordingParser nested;
    EXPECT_FALSE(nested.LoadDescriptor(folder.WriteDescriptor("deep.txt", deep)));
    EXPECT_EQ(nested.mError, L"List Nesting Too Deep on Line 1");
}

} // namespace
