#include "platform/process/StandInLibrary.h"

#include <gtest/gtest.h>

namespace {

int Answer()
{
    return 42;
}

Platform::ProcAddress LookUpAnswer(std::string_view symbol)
{
    return symbol == "Answer" ? reinterpret_cast<Platform::ProcAddress>(&Answer) : nullptr;
}

Platform::ProcAddress LookUpNothing(std::string_view)
{
    return nullptr;
}

TEST(StandInLibrary, LookupsByNameAndSymbol)
{
    EXPECT_EQ(Platform::LoadLibraryA("fmod.dll"), nullptr);
    EXPECT_EQ(Platform::LoadLibraryA("d3d8.dll"), nullptr);
    EXPECT_EQ(Platform::LoadLibraryA(nullptr), nullptr);
    EXPECT_FALSE(Platform::RegisterStandInLibrary("", &LookUpAnswer));
    EXPECT_FALSE(Platform::RegisterStandInLibrary("x", nullptr));

    ASSERT_TRUE(Platform::RegisterStandInLibrary("test-answer.dll", &LookUpNothing));
    ASSERT_TRUE(Platform::RegisterStandInLibrary("Test-Answer", &LookUpAnswer)) << "a later row replaces the lookup";
    for (const char* name : {"test-answer", "TEST-ANSWER.DLL", "Test-Answer.dll"}) {
        SCOPED_TRACE(name);
        Platform::HMODULE module = Platform::LoadLibraryA(name);
        ASSERT_NE(module, nullptr);
        const auto entry = reinterpret_cast<int (*)()>(Platform::GetProcAddress(module, "Answer"));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry(), 42);
        EXPECT_EQ(Platform::GetProcAddress(module, "Question"), nullptr);
        EXPECT_EQ(Platform::GetProcAddress(module, nullptr), nullptr);
        EXPECT_TRUE(Platform::FreeLibrary(module));
    }

    // Loads are counted; a fully freed handle no longer gives entries.
    Platform::HMODULE once = Platform::LoadLibrary("test-answer");
    Platform::HMODULE twice = Platform::LoadLibrary("test-answer");
    EXPECT_EQ(once, twice);
    EXPECT_TRUE(Platform::FreeLibrary(once));
    EXPECT_NE(Platform::GetProcAddress(once, "Answer"), nullptr);
    EXPECT_TRUE(Platform::FreeLibrary(once));
    EXPECT_EQ(Platform::GetProcAddress(once, "Answer"), nullptr);
    EXPECT_FALSE(Platform::FreeLibrary(once));

    int notARow = 0;
    EXPECT_FALSE(Platform::FreeLibrary(reinterpret_cast<Platform::HMODULE>(&notARow)));
    EXPECT_EQ(Platform::GetProcAddress(reinterpret_cast<Platform::HMODULE>(&notARow), "Answer"), nullptr);
}

} // namespace
