// The content of the real build, as the game reads it: data.pak beside the program holds the configuration as
// UTF-16LE with a byte-order mark.
#include "graphics/PakInterface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(RealContent, DataPakHoldsTheConfigurationAsUtf16WithTheMark)
{
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(ILVANE_DATA_PAK));
    PakFileHandle* file = pak.FOpen("cfg\\loc.xml", "rb");
    ASSERT_NE(file, nullptr);
    ASSERT_NE(file->record, nullptr) << "served from the archive, not from the disk";
    std::vector<uint8_t> bytes(file->record->size);
    EXPECT_EQ(pak.FRead(bytes.data(), 1, bytes.size(), file), bytes.size());
    pak.FClose(file);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], '<');
    EXPECT_EQ(bytes[3], 0);
}

} // namespace
