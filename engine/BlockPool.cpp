#include "engine/BlockPool.h"

#include <functional>
#include <new>

BlockPool::BlockPool(size_t blockSize, size_t count)
    : mBlockSize(blockSize > 0 ? blockSize : 1), mCount(count), mChunk(new std::byte[mBlockSize * count]),
      mFree(new void*[count])
{
    for (size_t i = 0; i < mCount; ++i)
        mFree[i] = mChunk.get() + i * mBlockSize;
}

BlockPool::~BlockPool() = default;

void* BlockPool::Alloc()
{
    if (mUsed < mCount)
        return mFree[mUsed++];
    ++mOverflow;
    return ::operator new(mBlockSize);
}

void BlockPool::Free(void* block)
{
    if (!block)
        return;
    if (InChunk(block)) {
        // A chunk block freed while none is out (freed twice) would write before the list.
        if (mUsed > 0)
            mFree[--mUsed] = block;
        return;
    }
    ::operator delete(block);
    if (mOverflow > 0)
        --mOverflow;
}

bool BlockPool::InChunk(const void* block) const
{
    const std::byte* begin = mChunk.get();
    const std::byte* end = begin + mBlockSize * mCount;
    // std::less gives a total order even for pointers into different objects.
    return !std::less<const void*>()(block, begin) && std::less<const void*>()(block, end);
}
