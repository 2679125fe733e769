// The content build's XML converter: valid UTF-8 becomes UTF-16LE with a byte-order mark, and anything else is
// refused with the line it is on, never substituted.
#include "tools/xmlconv/XmlConvert.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(XmlConvert, ValidTextBecomesUtf16WithTheMark)
{
    std::vector<uint8_t> out;
    XmlConvert::Failure failure;
    ASSERT_TRUE(XmlConvert::Utf8ToUtf16Le("\xEF\xBB\xBF<a t=\"\xC3\xA9\xF0\x9F\x98\x80\"/>", out, failure));
    const std::vector<uint8_t> expected = {
        0xFF, 0xFE,                                             // the mark, once: the UTF-8 one is dropped
        '<',  0,    'a',  0,    ' ', 0, 't', 0, '=', 0, '"', 0, //
        0xE9, 0x00,                                             // U+00E9
        0x3D, 0xD8, 0x00, 0xDE,                                 // U+1F600 as a surrogate pair
        '"',  0,    '/',  0,    '>', 0,                         //
    };
    EXPECT_EQ(out, expected);
}

TEST(XmlConvert, BrokenUtf8IsRefusedWithItsLine)
{
    const struct {
        const char* name;
        std::string text;
        size_t line;
    } cases[] = {
        {"stray continuation byte", "<a>\n\x80</a>", 2},   {"lead byte that starts nothing", "<a>\xFF</a>", 1},
        {"truncated at the end", "<a/>\n\n\xE2\x82", 3},   {"broken sequence", "<a>\xE2(\xA1</a>", 1},
        {"overlong slash", "<a>\xC0\xAF</a>", 1},          {"overlong three bytes", "<a>\xE0\x80\xAF</a>", 1},
        {"encoded surrogate", "\n<a>\xED\xA0\x80</a>", 2}, {"beyond U+10FFFF", "<a>\xF4\x90\x80\x80</a>", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out = {1, 2, 3};
        XmlConvert::Failure failure;
        EXPECT_FALSE(XmlConvert::Utf8ToUtf16Le(c.text, out, failure));
        EXPECT_EQ(failure.line, c.line);
        EXPECT_NE(failure.message.find("invalid UTF-8"), std::string::npos) << failure.message;
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3})) << "nothing written";
    }
}

TEST(XmlConvert, FilesAreCheckedBeforeAnythingIsWritten)
{
    const fs::path folder = fs::temp_directory_path() / ("ilvane-xmlconv-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "good.xml") << "<root>\n  <loc id=\"a\" text=\"b\"/>\n</root>\n";
    std::ofstream(folder / "unclosed.xml") << "<root>\n  <loc id=\"a\">\n</root>\n";
    std::ofstream(folder / "latin1.xml") << "<root>\n  <loc id=\"caf\xE9\"/>\n</root>\n";

    std::string error;
    ASSERT_TRUE(XmlConvert::ConvertFile(folder / "good.xml", folder / "out" / "good.xml", error)) << error;
    EXPECT_EQ(fs::file_size(folder / "out" / "good.xml"), 2 + 2 * 40u);

    EXPECT_FALSE(XmlConvert::ConvertFile(folder / "unclosed.xml", folder / "out" / "unclosed.xml", error));
    EXPECT_NE(error.find("unclosed.xml:3: not well-formed XML"), std::string::npos) << error;
    EXPECT_FALSE(XmlConvert::ConvertFile(folder / "latin1.xml", folder / "out" / "latin1.xml", error));
    EXPECT_NE(error.find("latin1.xml:2: invalid UTF-8"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(folder / "out" / "unclosed.xml"));
    EXPECT_FALSE(fs::exists(folder / "out" / "latin1.xml"));
    EXPECT_FALSE(XmlConvert::ConvertFile(folder / "missing.xml", folder / "out" / "missing.xml", error));
    fs::remove_all(folder);
}

} // namespace
