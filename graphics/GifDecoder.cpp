#include "graphics/GifDecoder.h"

#include "platform/log/Log.h"

#include <array>
#include <cstring>

namespace ImageLib {
namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : mData(data) {}

    bool Byte(uint8_t& out)
    {
        if (mPos >= mData.size()) {
            return false;
        }
        out = mData[mPos++];
        return true;
    }
    bool U16(uint16_t& out)
    {
        uint8_t low = 0;
        uint8_t high = 0;
        if (!Byte(low) || !Byte(high)) {
            return false;
        }
        out = uint16_t(low | high << 8);
        return true;
    }
    // Copies up to `count` bytes; returns how many were there.
    size_t Bytes(uint8_t* out, size_t count)
    {
        const size_t n = std::min(count, mData.size() - mPos);
        std::memcpy(out, mData.data() + mPos, n);
        mPos += n;
        return n;
    }

private:
    std::span<const uint8_t> mData;
    size_t mPos = 0;
};

// One data sub-block into a 256-byte buffer; its length (0 for the terminator or at the end of the data).
int ReadGIFDataBlock(ByteReader& reader, uint8_t* buffer)
{
    uint8_t count = 0;
    if (!reader.Byte(count)) {
        return 0;
    }
    return int(reader.Bytes(buffer, count));
}

bool ReadColourTable(ByteReader& reader, uint8_t flags, std::vector<uint32_t>& table)
{
    const size_t entries = size_t(1) << ((flags & 7) + 1);
    table.resize(entries);
    for (uint32_t& entry : table) {
        uint8_t rgb[3];
        if (reader.Bytes(rgb, 3) != 3) {
            return false;
        }
        entry = 0xFF000000u | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    }
    return true;
}

// The LZW code stream of one image, one pixel index at a time.
class LzwDecoder {
public:
    LzwDecoder(ByteReader& reader, int minCodeSize)
        : mReader(reader), mClear(1 << minCodeSize), mMinCodeSize(minCodeSize)
    {
        for (int code = 0; code < mClear; ++code) {
            mPrefix[size_t(code)] = 0;
            mSuffix[size_t(code)] = uint8_t(code);
        }
        Reset();
    }

    // False once decoding has stopped: the data ended, an end code came, or a code fell outside the table.
    bool NextIndex(uint8_t& index)
    {
        while (mStackSize == 0) {
            if (!DecodeCode()) {
                return false;
            }
        }
        index = mStack[--mStackSize];
        return true;
    }

private:
    void Reset()
    {
        mCodeSize = mMinCodeSize + 1;
        mCodeMask = (1 << mCodeSize) - 1;
        mAvailable = mClear + 2;
        mOldCode = -1;
    }

    bool ReadCode(int& code)
    {
        while (mBits < mCodeSize) {
            if (mBlockPos >= mBlockLength) {
                // After the terminating empty block the bytes belong to the rest of the file.
                if (mDataEnded) {
                    return false;
                }
                mBlockLength = ReadGIFDataBlock(mReader, mBlock.data());
                mBlockPos = 0;
                if (mBlockLength == 0) {
                    mDataEnded = true;
                    return false;
                }
            }
            mDatum |= uint32_t(mBlock[size_t(mBlockPos++)]) << mBits;
            mBits += 8;
        }
        code = int(mDatum & uint32_t(mCodeMask));
        mDatum >>= mCodeSize;
        mBits -= mCodeSize;
        return true;
    }

    bool Push(uint8_t value)
    {
        if (mStackSize >= int(mStack.size())) {
            return false;
        }
        mStack[size_t(mStackSize++)] = value;
        return true;
    }

    bool DecodeCode()
    {
        int code = 0;
        if (!ReadCode(code) || code > mAvailable || code == mClear + 1) {
            return false;
        }
        if (code == mClear) {
            Reset();
            return true;
        }
        if (mOldCode < 0) {
            // Right after a clear only the roots are defined.
            if (code >= mClear) {
                return false;
            }
            mOldCode = code;
            mFirstChar = mSuffix[size_t(code)];
            return Push(mFirstChar);
        }
        const int inCode = code;
        if (code >= mAvailable) {
            if (!Push(mFirstChar)) {
                return false;
            }
            code = mOldCode;
        }
        while (code >= mClear) {
            if (!Push(mSuffix[size_t(code)])) {
                return false;
            }
            code = mPrefix[size_t(code)];
        }
        mFirstChar = mSuffix[size_t(code)];
        if (mAvailable >= kMaxCodes) {
            return false; // a full table without a clear code ends the image
        }
        if (!Push(mFirstChar)) {
            return false;
        }
        mPrefix[size_t(mAvailable)] = uint16_t(mOldCode);
        mSuffix[size_t(mAvailable)] = mFirstChar;
        ++mAvailable;
        if (mAvailable >= (1 << mCodeSize) && mAvailable < kMaxCodes) {
            ++mCodeSize;
            mCodeMask = (1 << mCodeSize) - 1;
        }
        mOldCode = inCode;
        return true;
    }

    ByteReader& mReader;
    const int mClear;
    const int mMinCodeSize;
    int mCodeSize = 0;
    int mCodeMask = 0;
    int mAvailable = 0;
    int mOldCode = -1;
    uint8_t mFirstChar = 0;
    std::array<uint16_t, kMaxCodes> mPrefix{};
    std::array<uint8_t, kMaxCodes> mSuffix{};
    std::array<uint8_t, kMaxCodes + 1> mStack{};
    int mStackSize = 0;
    std::array<uint8_t, 256> mBlock{};
    int mBlockLength = 0;
    int mBlockPos = 0;
    bool mDataEnded = false;
    uint32_t mDatum = 0;
    int mBits = 0;
};

std::unique_ptr<Image> Refuse(const char* why)
{
    Platform::Log(Platform::LogLevel::Warning, "image", "GIF: %s", why);
    return nullptr;
}

} // namespace

std::unique_ptr<Image> DecodeGIF(std::span<const uint8_t> data)
{
    ByteReader reader(data);
    uint8_t signature[6];
    if (reader.Bytes(signature, 6) != 6 ||
        (std::memcmp(signature, "GIF87", 5) != 0 && std::memcmp(signature, "GIF89", 5) != 0)) {
        return Refuse("not a GIF file");
    }
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    uint8_t flags = 0;
    uint8_t background = 0;
    uint8_t aspect = 0;
    if (!reader.U16(screenWidth) || !reader.U16(screenHeight) || !reader.Byte(flags) || !reader.Byte(background) ||
        !reader.Byte(aspect)) {
        return Refuse("truncated header");
    }
    std::vector<uint32_t> globalTable;
    if ((flags & 0x80) && !ReadColourTable(reader, flags, globalTable)) {
        return Refuse("truncated colour table");
    }

    int transparent = -1;
    std::array<uint8_t, 256> block{};
    for (;;) {
        uint8_t byte = 0;
        if (!reader.Byte(byte) || byte == ';') {
            return Refuse("no image");
        }
        if (byte == ',') {
            break;
        }
        if (byte != '!') {
            continue;
        }
        uint8_t label = 0;
        if (!reader.Byte(label)) {
            return Refuse("no image");
        }
        int lastLength = 0;
        uint8_t last[4] = {};
        for (;;) {
            const int length = ReadGIFDataBlock(reader, block.data());
            if (length == 0) {
                break;
            }
            lastLength = length;
            std::memcpy(last, block.data(), size_t(std::min(length, 4)));
        }
        // Graphic control: the transparent flag and index sit in its (4-byte) block.
        if (label == 0xF9 && lastLength >= 4 && (last[0] & 1)) {
            transparent = last[3];
        }
    }

    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t rawWidth = 0;
    uint16_t rawHeight = 0;
    uint8_t imageFlags = 0;
    if (!reader.U16(left) || !reader.U16(top) || !reader.U16(rawWidth) || !reader.U16(rawHeight) ||
        !reader.Byte(imageFlags)) {
        return Refuse("truncated image descriptor");
    }
    const int width = int16_t(rawWidth);
    const int height = int16_t(rawHeight);
    if (width <= 0 || height <= 0) {
        return Refuse("empty or negative image size");
    }
    if (uint64_t(width) * uint64_t(height) > kMaxPixels) {
        return Refuse("image too large");
    }
    std::vector<uint32_t> localTable;
    if ((imageFlags & 0x80) && !ReadColourTable(reader, imageFlags, localTable)) {
        return Refuse("truncated colour table");
    }
    const std::vector<uint32_t>& palette = (imageFlags & 0x80) ? localTable : globalTable;
    const bool interlaced = (imageFlags & 0x40) != 0;

    auto image = std::make_unique<Image>(width, height);
    uint8_t minCodeSize = 0;
    if (!reader.Byte(minCodeSize)) {
        return image; // no pixel data: the picture stays transparent black
    }
    if (minCodeSize > 11) {
        return Refuse("LZW code size beyond 12 bits");
    }
    auto lzw = std::make_unique<LzwDecoder>(reader, minCodeSize);

    static constexpr int kPassStart[] = {0, 4, 2, 1};
    static constexpr int kPassStep[] = {8, 8, 4, 2};
    int pass = 0;
    int y = 0;
    for (int rowsDone = 0; rowsDone < height; ++rowsDone) {
        uint32_t* row = image->mBits.get() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            uint8_t index = 0;
            if (!lzw->NextIndex(index)) {
                return image; // the data stop early: later rows stay 0
            }
            if (int(index) == transparent) {
                row[x] = 0;
            } else if (index < palette.size()) {
                row[x] = palette[index];
            } else {
                return Refuse("pixel index beyond the colour table");
            }
        }
        if (!interlaced) {
            ++y;
            continue;
        }
        y += kPassStep[pass];
        while (y >= height && pass < 3) {
            ++pass;
            y = kPassStart[pass];
        }
        if (y >= height) {
            break;
        }
    }
    return image;
}

} // namespace ImageLib
