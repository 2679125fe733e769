#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Pyxo {

/// A growable byte buffer written and read bit by bit: bytes, 16- and 32-bit numbers, booleans, length-prefixed
/// narrow strings and raw runs go in at a write position and come out at a separate read position, both counted
/// in bits, so a field may start inside a byte. Bit n is bit (n mod 8) of byte n / 8, bit 0 the least
/// significant; values are stored lowest bit first and numbers little-endian. Written front to back: the write
/// position always stands at the end of the data. Reading past the end yields zero bits and never moves the read
/// position beyond the stored bytes. Not thread-safe.
class Buffer {
public:
    Buffer() = default;
    virtual ~Buffer() = default;

    void Clear();
    /// Reads from the start again; the data and the write position stay.
    void SeekFront() { mReadBitPos = 0; }
    /// Bytes that hold written bits.
    [[nodiscard]] int GetDataLen() const { return (mDataBitSize + 7) / 8; }
    /// The read position has reached the largest write position.
    [[nodiscard]] bool AtEnd() const { return mReadBitPos >= mDataBitSize; }
    [[nodiscard]] const std::vector<uint8_t>& GetData() const { return mData; }

    void WriteByte(uint8_t value);
    /// The low `count` bits of the value, lowest first.
    void WriteNumBits(int32_t value, int count);
    /// A whole byte, 1 or 0.
    void WriteBoolean(bool value);
    void WriteShort(int16_t value);
    void WriteLong(int32_t value);
    /// The length's low 16 bits, then the characters; no terminator.
    void WriteString(const std::string& text);
    void WriteBytes(const uint8_t* bytes, int count);

    /// 0 without moving when no whole byte is left to read.
    uint8_t ReadByte();
    /// Up to `count` bits, lowest first; with signExtend a set last bit fills the bits above it.
    int32_t ReadNumBits(int count, bool signExtend);
    bool ReadBoolean();
    int16_t ReadShort();
    int32_t ReadLong();
    void ReadBytes(uint8_t* bytes, int count);
    /// A 16-bit signed length, then that many characters; a length below 1 reads as "".
    std::string ReadString();

private:
    std::vector<uint8_t> mData;
    int mDataBitSize = 0; // the largest write position reached
    int mReadBitPos = 0;
    int mWriteBitPos = 0;
};

} // namespace Pyxo
