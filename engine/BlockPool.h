#pragma once

#include <cstddef>
#include <memory>

/// A fixed pool of equal blocks for short-lived objects that come and go in numbers (particles): count blocks of
/// one chunk handed out last-freed first; when they are all in use further blocks come from the heap and are
/// counted as overflow. Blocks are raw storage aligned as new aligns. One thread.
class BlockPool {
public:
    BlockPool(size_t blockSize, size_t count);
    ~BlockPool(); // frees the chunk; blocks from the heap still out are the callers' to free
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    /// A block of the chunk while one is free, else a new heap block (the overflow count goes up). Never null.
    [[nodiscard]] void* Alloc();
    /// A block of the chunk goes back to the pool; any other block is deleted and the overflow count goes down.
    /// Null, and a chunk block while none is out, are ignored.
    void Free(void* block);

    [[nodiscard]] size_t BlockSize() const { return mBlockSize; }
    [[nodiscard]] size_t Count() const { return mCount; }
    [[nodiscard]] size_t Used() const { return mUsed; }
    [[nodiscard]] size_t Overflow() const { return mOverflow; }

private:
    [[nodiscard]] bool InChunk(const void* block) const;

    size_t mBlockSize;
    size_t mCount;
    size_t mUsed = 0;
    size_t mOverflow = 0;
    std::unique_ptr<std::byte[]> mChunk; // count x block size
    std::unique_ptr<void*[]> mFree;      // the blocks; [mUsed, mCount) are free, the next to hand out at mUsed
};
