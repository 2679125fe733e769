#include "platform/process/VersionLibrary.h"

#include "platform/files/FileSystem.h"
#include "platform/process/StandInLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Platform;

TEST(VersionLibrary, TheRunningExecutableCarriesTheStampedVersion)
{
    RegisterVersionLibrary();
    HMODULE library = LoadLibraryA("VERSION.DLL");
    ASSERT_NE(library, nullptr);
    const auto size = reinterpret_cast<GetFileVersionInfoSizeAProc>(GetProcAddress(library, "GetFileVersionInfoSizeA"));
    const auto read = reinterpret_cast<GetFileVersionInfoAProc>(GetProcAddress(library, "GetFileVersionInfoA"));
    const auto query = reinterpret_cast<VerQueryValueAProc>(GetProcAddress(library, "VerQueryValueA"));
    ASSERT_TRUE(size && read && query);

    const std::string self = ExecutablePath().string();
    uint32_t handle = 7;
    const uint32_t length = size(self.c_str(), &handle);
    EXPECT_EQ(handle, 0u);
    ASSERT_GT(length, 0u);
    std::vector<char> block(length);
    EXPECT_EQ(read(self.c_str(), handle, length - 1, block.data()), 0) << "a buffer too small is refused";
    ASSERT_NE(read(self.c_str(), handle, length, block.data()), 0);

    for (const char* table :
         {"\\StringFileInfo\\040904B0\\ProductVersion", "\\StringFileInfo\\040904E4\\ProductVersion"}) {
        void* text = nullptr;
        uint32_t count = 0;
        ASSERT_NE(query(block.data(), table, &text, &count), 0) << table;
        EXPECT_EQ(std::string(static_cast<const char*>(text)), std::string(StampedProductVersion()));
        EXPECT_EQ(count, StampedProductVersion().size() + 1) << "the terminating zero counts";
    }
    void* text = nullptr;
    uint32_t count = 0;
    EXPECT_EQ(query(block.data(), "\\StringFileInfo\\040904B0\\CompanyName", &text, &count), 0);

    EXPECT_EQ(size("/bin/sh", &handle), 0u) << "other files carry no block";
    EXPECT_EQ(size("/no/such/file", nullptr), 0u);
    EXPECT_EQ(size(nullptr, nullptr), 0u);
    EXPECT_TRUE(FreeLibrary(library));
}

} // namespace
