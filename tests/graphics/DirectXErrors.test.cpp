#include "graphics/DirectXErrors.h"

#include "platform/directx/DXResult.h"

#include <gtest/gtest.h>

namespace {

using Pyxo::GetDirectXErrorString;

TEST(DirectXErrors, NamesTheResultCodesOfTheStandIns)
{
    struct Case {
        int32_t code;
        const char* name;
    };
    const Case cases[] = {
        {Platform::DDERR_INVALIDPIXELFORMAT, "DDERR_INVALIDPIXELFORMAT"},
        {Platform::DDERR_SURFACELOST, "DDERR_SURFACELOST"},
        {Platform::DDERR_VERTICALBLANKINPROGRESS, "DDERR_VERTICALBLANKINPROGRESS"},
        {Platform::DDERR_UNSUPPORTEDMASK, "DDERR_UNSUPPORTEDMASK"},
        {Platform::DDERR_ALREADYINITIALIZED, "DDERR_ALREADYINITIALIZED"},
        {Platform::DDERR_XALIGN, "DDERR_XALIGN"},
        {Platform::D3DERR_BADMAJORVERSION, "D3DERR_BADMAJORVERSION"},
        {Platform::D3DERR_ZBUFFER_NOTPRESENT, "D3DERR_ZBUFFER_NOTPRESENT"},
        {Platform::DSERR_ALLOCATED, "DSERR_ALLOCATED"},
        {Platform::DSERR_UNINITIALIZED, "DSERR_UNINITIALIZED"},
        // One name stands for every alias of a generic code.
        {Platform::E_FAIL, "DSERR_GENERIC"},
        {Platform::DDERR_GENERIC, "DSERR_GENERIC"},
        {Platform::DDERR_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {Platform::DSERR_INVALIDPARAM, "DDERR_INVALIDPARAMS"},
        {Platform::DSERR_UNSUPPORTED, "DDERR_UNSUPPORTED"},
        {Platform::E_NOINTERFACE, "DSERR_NOINTERFACE"},
        {Platform::CLASS_E_NOAGGREGATION, "DSERR_NOAGGREGATION"},
        {Platform::CO_E_NOTINITIALIZED, "DDERR_NOTINITIALIZED"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetDirectXErrorString(c.code), c.name);
    }
}

TEST(DirectXErrors, KeepsTheWindowsCodeLayout)
{
    // Failures are negative with bit 31 set, in the facility of their interface.
    EXPECT_EQ(uint32_t(Platform::DDERR_SURFACELOST), 0x887601C2u);
    EXPECT_EQ(uint32_t(Platform::DDERR_INVALIDPIXELFORMAT), 0x88760091u);
    EXPECT_EQ(uint32_t(Platform::E_FAIL), 0x80004005u);
    EXPECT_EQ(uint32_t(Platform::DSERR_BUFFERLOST) >> 16, 0x8878u);
    EXPECT_TRUE(Platform::Failed(Platform::D3DERR_INITFAILED));
    EXPECT_TRUE(Platform::Succeeded(Platform::DD_OK));
    EXPECT_TRUE(Platform::Succeeded(Platform::S_FALSE));
}

TEST(DirectXErrors, UnknownCodesGiveTheirHexDigits)
{
    EXPECT_EQ(GetDirectXErrorString(0x12345678), "12345678");
    EXPECT_EQ(GetDirectXErrorString(int32_t(0x8000FFFFu)), "8000ffff");
    EXPECT_EQ(GetDirectXErrorString(Platform::S_OK), "0");
    EXPECT_EQ(GetDirectXErrorString(int32_t(0x88760000u)), "88760000");
}

} // namespace
