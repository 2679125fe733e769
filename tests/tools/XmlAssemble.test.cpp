// The XML step of the content build: fragments merged in name order, repeats expanded, every fault named with its
// source file and line, and each element's origin kept for the checker.
#include "tools/xmlconv/XmlAssemble.h"

#include "tests/tools/ToolsTestKit.h"

#include <gtest/gtest.h>

namespace {

using XmlConvert::Assembled;
namespace fs = std::filesystem;

/// The elements' names and id attributes in document order, "name#id" each.
std::string Outline(const std::string& utf8)
{
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(utf8.c_str()));
    std::string text;
    struct Walker : pugi::xml_tree_walker {
        std::string* text;
        bool for_each(pugi::xml_node& node) override
        {
            if (node.type() != pugi::node_element)
                return true;
            *text += std::string(text->empty() ? "" : " ") + node.name();
            if (node.attribute("id"))
                *text += std::string("#") + node.attribute("id").value();
            return true;
        }
    } walker;
    walker.text = &text;
    document.traverse(walker);
    return text;
}

TEST(XmlAssemble, FragmentsFollowTheMainFileInNameOrderWithTheirOrigins)
{
    ToolsTest::TempFolder folder;
    const fs::path main = folder.Write("cfg/ui.xml", "<root>\n  <dialog id=\"main\"/>\n</root>\n");
    const fs::path late = folder.Write("cfg/ui.d/20_menu.xml", "<root>\n\n  <dialog id=\"menu\"/>\n</root>\n");
    const fs::path early = folder.Write("cfg/ui.d/10_hud.xml", "<root><dialog id=\"hud\"/><!-- c --></root>");
    Assembled out;
    std::string error;
    ASSERT_TRUE(XmlConvert::Assemble(main, "", {late, early}, out, error)) << error;
    EXPECT_EQ(Outline(out.utf8), "root dialog#main dialog#hud dialog#menu");
    ASSERT_EQ(out.origins.size(), 4u);
    EXPECT_EQ(out.origins[0].file, main.string());
    EXPECT_EQ(out.origins[1].line, 2u);
    EXPECT_EQ(out.origins[2].file, early.string());
    EXPECT_EQ(out.origins[3].file, late.string());
    EXPECT_EQ(out.origins[3].line, 3u);
    EXPECT_EQ(out.utf8.find("ilvane-origin"), std::string::npos) << "no trace of the bookkeeping";

    // Without a main file the root is made with the name asked for; written with its origins beside it.
    const fs::path effects = folder.Write("cfg/effect.d/glow.xml", "<effects>\n\n  <effect id=\"glow\"/>\n</effects>");
    ASSERT_TRUE(XmlConvert::Assemble({}, "effects", {effects}, out, error)) << error;
    ASSERT_TRUE(
        XmlConvert::WriteAssembled(out, folder.Path() / "out/effect.xml", folder.Path() / "o/e.origins", error));
    EXPECT_EQ(ToolsTest::AsciiOfUtf16(ToolsTest::ReadBytes(folder.Path() / "out/effect.xml")).substr(0, 9),
              "<effects>");
    const auto origins = XmlConvert::ReadOrigins(folder.Path() / "o/e.origins");
    ASSERT_EQ(origins.size(), 2u);
    EXPECT_EQ(origins[0].file, effects.string()) << "a root made for fragments is placed at the first";
    EXPECT_EQ(origins[1].file, effects.string());
    EXPECT_EQ(origins[1].line, 3u);
}

TEST(XmlAssemble, RepeatsExpandWithFormattedCounters)
{
    ToolsTest::TempFolder folder;
    const fs::path main = folder.Write("days.xml", "<root>\n"
                                                   "  <repeat counter=\"d\" from=\"1\" to=\"3\">\n"
                                                   "    <button id=\"day{d:%02d}\" x=\"{d*40+100}\" y=\"{d-1}\">"
                                                   "Day {d}</button>\n"
                                                   "    <repeat counter=\"s\" from=\"0\" to=\"4\" step=\"2\">\n"
                                                   "      <star id=\"star{d}_{s:%x}\" keep=\"{other}{d\"/>\n"
                                                   "    </repeat>\n"
                                                   "  </repeat>\n"
                                                   "  <repeat counter=\"n\" from=\"2\" to=\"1\"><never/></repeat>\n"
                                                   "  <repeat counter=\"o\" values=\" tl  mr \"><seq id=\"walk{o}\"/>"
                                                   "</repeat>\n"
                                                   "</root>\n");
    Assembled out;
    std::string error;
    ASSERT_TRUE(XmlConvert::Assemble(main, "", {}, out, error)) << error;
    EXPECT_EQ(Outline(out.utf8), "root button#day01 star#star1_0 star#star1_2 star#star1_4 button#day02 "
                                 "star#star2_0 star#star2_2 star#star2_4 button#day03 star#star3_0 star#star3_2 "
                                 "star#star3_4 seq#walktl seq#walkmr");
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(out.utf8.c_str()));
    const pugi::xml_node third = document.child("root").find_child_by_attribute("id", "day03");
    EXPECT_STREQ(third.attribute("x").value(), "220");
    EXPECT_STREQ(third.attribute("y").value(), "2");
    EXPECT_STREQ(third.text().get(), "Day 3");
    EXPECT_STREQ(document.child("root").child("star").attribute("keep").value(), "{other}{d")
        << "braces that name no counter stay as written";
    ASSERT_EQ(out.origins.size(), 15u);
    EXPECT_EQ(out.origins[9].line, 3u) << "a copy keeps the line of what it copies";
    EXPECT_EQ(out.origins[12].line, 5u);
}

/// Elements nested `depth` deep, one per line.
std::string Nested(int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<a>\n";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    return text;
}

TEST(XmlAssemble, FaultsNameTheirSourceFileAndLine)
{
    const struct {
        const char* name;
        std::string fragment;
        std::string expected; // after "<fragment>:"
    } cases[] = {
        {"not well-formed", "<root>\n  <a>\n</root>\n", "3: not well-formed XML"},
        {"invalid UTF-8", "<root>\n\n  <a t=\"caf\xE9\"/>\n</root>", "3: invalid UTF-8"},
        {"another root name", "<ui>\n</ui>", "1: a fragment's root element must be <root>"},
        {"repeat without counter", "<root>\n<repeat from=\"1\" to=\"2\"/></root>", "2: a repeat needs counter"},
        {"repeat without range", "<root><repeat counter=\"i\" from=\"x\" to=\"2\"/></root>", "1: a repeat needs"},
        {"zero step", "<root><repeat counter=\"i\" from=\"1\" to=\"2\" step=\"0\"/></root>", "1: a repeat's step"},
        {"bad format", "<root>\n<repeat counter=\"i\" from=\"1\" to=\"2\">\n<a n=\"{i:%s}\"/></repeat></root>",
         "3: \"{i:%s}\": the format needs exactly one integer conversion"},
        {"two conversions", "<root><repeat counter=\"i\" from=\"1\" to=\"2\"><a n=\"{i:%d%d}\"/></repeat></root>",
         "1: \"{i:%d%d}\": the format needs"},
        {"bad arithmetic", "<root><repeat counter=\"i\" from=\"1\" to=\"2\"><a n=\"{i/2}\"/></repeat></root>",
         "1: \"{i/2}\": expected *N"},
        {"format on a word", "<root><repeat counter=\"o\" values=\"a b\"><a n=\"{o:%d}\"/></repeat></root>",
         "1: \"{o:%d}\": a counter over a values list takes no arithmetic or format"},
        {"runaway range", "<root><repeat counter=\"i\" from=\"1\" to=\"2000000000\"><a/></repeat></root>",
         "1: repeats make more than"},
        {"a product beyond 64 bits",
         "<root><repeat counter=\"i\" from=\"1\" to=\"2\"><a n=\"{i*9223372036854775807}\"/></repeat></root>",
         "1: \"{i*9223372036854775807}\": the value is beyond the range"},
        {"a sum beyond 64 bits",
         "<root><repeat counter=\"i\" from=\"9223372036854775806\" to=\"9223372036854775807\">"
         "<a n=\"{i+2}\"/></repeat></root>",
         "1: \"{i+2}\": the value is beyond the range"},
        // 2,000 copies of a 100 KB attribute would write 200 MB.
        {"a large body copied often",
         "<root>\n<repeat counter=\"i\" from=\"1\" to=\"2000\"><a n=\"" + std::string(100'000, 'x') +
             "\"/></repeat></root>",
         "2: repeats copy more than 64 MB"},
        {"nested 20,000 deep", "<root>\n" + Nested(20000) + "</root>", "1001: elements nested more than 1000 deep"},
    };
    ToolsTest::TempFolder folder;
    const fs::path main = folder.Write("cfg.xml", "<root/>");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path fragment = folder.Write("cfg.d/bad.xml", c.fragment);
        Assembled out;
        out.utf8 = "untouched";
        std::string error;
        EXPECT_FALSE(XmlConvert::Assemble(main, "", {fragment}, out, error));
        EXPECT_EQ(error.rfind(fragment.string() + ":" + c.expected, 0), 0u) << error;
        EXPECT_EQ(out.utf8, "untouched");
    }
}

} // namespace
