// The bit buffer: unaligned fields straddle bytes low bits first, numbers are little-endian, strings carry a
// 16-bit length, and reads past the stored bytes give zeros without running off the array.
#include "shell/Buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct WriteCase {
    const char* name;
    std::function<void(Pyxo::Buffer&)> write;
    Bytes bytes;
    int dataLen;
};

TEST(Buffer, WritesLayBitsDownLowestFirst)
{
    const WriteCase cases[] = {
        {"three bits", [](Pyxo::Buffer& b) { b.WriteNumBits(5, 3); }, {0x05}, 1},
        {"a byte after three bits straddles two bytes",
         [](Pyxo::Buffer& b) {
             b.WriteNumBits(5, 3);
             b.WriteByte(0xFF);
         },
         {0xFD, 0x07},
         2},
        {"short, little-endian", [](Pyxo::Buffer& b) { b.WriteShort(0x1234); }, {0x34, 0x12}, 2},
        {"long, little-endian", [](Pyxo::Buffer& b) { b.WriteLong(0x12345678); }, {0x78, 0x56, 0x34, 0x12}, 4},
        {"string with its length", [](Pyxo::Buffer& b) { b.WriteString("abc"); }, {0x03, 0x00, 'a', 'b', 'c'}, 5},
        {"a boolean takes a whole byte", [](Pyxo::Buffer& b) { b.WriteBoolean(true); }, {0x01}, 1},
        {"nine bits need two bytes", [](Pyxo::Buffer& b) { b.WriteNumBits(0x1FF, 9); }, {0xFF, 0x01}, 2},
        {"no bits, no bytes", [](Pyxo::Buffer& b) { b.WriteNumBits(7, 0); }, {}, 0},
        {"raw bytes; a negative count writes none",
         [](Pyxo::Buffer& b) {
             const uint8_t raw[] = {9, 8};
             b.WriteBytes(raw, 2);
             b.WriteBytes(raw, -1);
         },
         {9, 8},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pyxo::Buffer buffer;
        c.write(buffer);
        EXPECT_EQ(buffer.GetData(), c.bytes);
        EXPECT_EQ(buffer.GetDataLen(), c.dataLen);
    }
}

TEST(Buffer, WhatIsWrittenReadsBackAtAnyBitOffset)
{
    for (int offset : {0, 3}) {
        SCOPED_TRACE(offset);
        Pyxo::Buffer buffer;
        buffer.WriteNumBits(0, offset);
        buffer.WriteShort(0x1234);
        buffer.WriteLong(-2);
        buffer.WriteString("abc");
        buffer.WriteBoolean(true);
        buffer.WriteByte(0xA5);
        EXPECT_EQ(buffer.ReadNumBits(offset, false), 0);
        EXPECT_EQ(buffer.ReadShort(), 0x1234);
        EXPECT_EQ(buffer.ReadLong(), -2);
        EXPECT_EQ(buffer.ReadString(), "abc");
        EXPECT_TRUE(buffer.ReadBoolean());
        EXPECT_EQ(buffer.ReadByte(), 0xA5);
        EXPECT_TRUE(buffer.AtEnd());
        buffer.SeekFront();
        EXPECT_FALSE(buffer.AtEnd());
        EXPECT_EQ(buffer.ReadNumBits(offset, false), 0);
        EXPECT_EQ(buffer.ReadShort(), 0x1234) << "SeekFront reads the same data again";
    }
}

TEST(Buffer, BitFieldsSignExtendOnRequest)
{
    Pyxo::Buffer buffer;
    buffer.WriteNumBits(0b101, 3);
    EXPECT_EQ(buffer.ReadNumBits(3, true), -3);
    buffer.SeekFront();
    EXPECT_EQ(buffer.ReadNumBits(3, false), 5);
    buffer.SeekFront();
    EXPECT_EQ(buffer.ReadNumBits(40, true), 5) << "past the end: the bits that were there, the last one 0";
}

TEST(Buffer, NonPositiveStringLengthsReadAsEmpty)
{
    for (int16_t length : {int16_t{0}, int16_t{-1}}) {
        SCOPED_TRACE(length);
        Pyxo::Buffer buffer;
        buffer.WriteShort(length);
        buffer.WriteByte('x');
        EXPECT_EQ(buffer.ReadString(), "");
        EXPECT_EQ(buffer.ReadByte(), 'x') << "only the two length bytes were consumed";
    }
}

TEST(Buffer, ReadsPastTheEndGiveZeros)
{
    Pyxo::Buffer empty;
    EXPECT_EQ(empty.ReadByte(), 0);
    EXPECT_TRUE(empty.AtEnd());

    // An unaligned read of the last byte needs the byte after it, which is not there.
    Pyxo::Buffer buffer;
    buffer.WriteByte(0xFF);
    EXPECT_EQ(buffer.ReadNumBits(1, false), 1);
    EXPECT_EQ(buffer.ReadByte(), 0);
    EXPECT_EQ(buffer.ReadNumBits(8, false), 0x7F) << "the read position did not move";

    Pyxo::Buffer text;
    text.WriteShort(1000); // a length with no characters behind it
    EXPECT_EQ(text.ReadString(), std::string(1000, '\0'));

    Pyxo::Buffer cleared;
    cleared.WriteLong(1);
    cleared.Clear();
    EXPECT_EQ(cleared.GetDataLen(), 0);
    EXPECT_TRUE(cleared.AtEnd());
    EXPECT_EQ(cleared.ReadByte(), 0);
}

} // namespace
