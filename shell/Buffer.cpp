#include "shell/Buffer.h"

namespace Pyxo {

void Buffer::Clear()
{
    mData.clear();
    mDataBitSize = 0;
    mReadBitPos = 0;
    mWriteBitPos = 0;
}

void Buffer::WriteByte(uint8_t value)
{
    const int offset = mWriteBitPos % 8;
    if (offset == 0) {
        mData.push_back(value);
    } else {
        // An unaligned byte straddles two: its low bits complete the last byte, its high bits start a new one.
        mData.back() |= static_cast<uint8_t>(value << offset);
        mData.push_back(static_cast<uint8_t>(value >> (8 - offset)));
    }
    mWriteBitPos += 8;
    if (mWriteBitPos > mDataBitSize)
        mDataBitSize = mWriteBitPos;
}

void Buffer::WriteNumBits(int32_t value, int count)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < count; ++i) {
        if (mWriteBitPos % 8 == 0)
            mData.push_back(0);
        // Bits beyond the value's 32 are written as 0.
        if (i < 32 && (bits >> i & 1u) != 0)
            mData[static_cast<size_t>(mWriteBitPos / 8)] |= static_cast<uint8_t>(1u << (mWriteBitPos % 8));
        ++mWriteBitPos;
    }
    if (mWriteBitPos > mDataBitSize)
        mDataBitSize = mWriteBitPos;
}

void Buffer::WriteBoolean(bool value)
{
    WriteByte(value ? 1 : 0);
}

void Buffer::WriteShort(int16_t value)
{
    const auto bits = static_cast<uint16_t>(value);
    WriteByte(static_cast<uint8_t>(bits));
    WriteByte(static_cast<uint8_t>(bits >> 8));
}

void Buffer::WriteLong(int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        WriteByte(static_cast<uint8_t>(bits >> shift));
}

void Buffer::WriteString(const std::string& text)
{
    WriteShort(static_cast<int16_t>(static_cast<uint16_t>(text.size())));
    for (char c : text)
        WriteByte(static_cast<uint8_t>(c));
}

void Buffer::WriteBytes(const uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        WriteByte(bytes[i]);
}

uint8_t Buffer::ReadByte()
{
    // Bounded by the stored bytes, not by the data size: an unaligned read needs the byte after the last one.
    if (static_cast<size_t>((mReadBitPos + 7) / 8) >= mData.size())
        return 0;
    const int offset = mReadBitPos % 8;
    const auto index = static_cast<size_t>(mReadBitPos / 8);
    uint8_t result = mData[index];
    if (offset != 0)
        result = static_cast<uint8_t>(mData[index] >> offset | mData[index + 1] << (8 - offset));
    mReadBitPos += 8;
    return result;
}

int32_t Buffer::ReadNumBits(int count, bool signExtend)
{
    uint32_t result = 0;
    bool lastBit = false;
    for (int i = 0; i < count; ++i) {
        if (static_cast<size_t>(mReadBitPos / 8) >= mData.size())
            break;
        lastBit = (mData[static_cast<size_t>(mReadBitPos / 8)] >> (mReadBitPos % 8) & 1) != 0;
        if (lastBit && i < 32)
            result |= 1u << i;
        ++mReadBitPos;
    }
    if (signExtend && lastBit && count < 32)
        result |= ~0u << count;
    return static_cast<int32_t>(result);
}

bool Buffer::ReadBoolean()
{
    return ReadByte() != 0;
}

int16_t Buffer::ReadShort()
{
    const uint16_t low = ReadByte();
    const uint16_t high = ReadByte();
    return static_cast<int16_t>(static_cast<uint16_t>(low | high << 8));
}

int32_t Buffer::ReadLong()
{
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= uint32_t{ReadByte()} << shift;
    return static_cast<int32_t>(result);
}

void Buffer::ReadBytes(uint8_t* bytes, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = ReadByte();
}

std::string Buffer::ReadString()
{
    const int length = ReadShort();
    std::string text;
    for (int i = 0; i < length; ++i)
        text.push_back(static_cast<char>(ReadByte()));
    return text;
}

} // namespace Pyxo
