#include "platform/directx/ComRef.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

using Platform::ComRef;

// A counted object that records when its last reference goes.
struct Counted {
    int references = 1; // the creator's
    bool* freed = nullptr;
    uint32_t AddRef() { return uint32_t(++references); }
    uint32_t Release()
    {
        const int left = --references;
        if (left == 0)
            *freed = true;
        return uint32_t(left);
    }
};

TEST(ComRef, EachHandleHoldsOneReferenceAndTheLastOneFrees)
{
    bool freed = false;
    Counted object{1, &freed};
    {
        ComRef<Counted> adopted = ComRef<Counted>::Adopt(&object);
        EXPECT_EQ(object.references, 1) << "adopting takes the creator's reference over";
        ComRef<Counted> shared = ComRef<Counted>::Share(&object);
        ComRef<Counted> copy(shared);
        ComRef<Counted> assigned;
        assigned = copy;
        assigned = assigned; // keeps its reference
        EXPECT_EQ(object.references, 4);
        ComRef<Counted> moved(std::move(copy));
        EXPECT_EQ(copy, nullptr);
        EXPECT_EQ(object.references, 4) << "a move takes no reference";
        shared.Reset();
        moved = nullptr;
        EXPECT_EQ(object.references, 2);
        EXPECT_EQ(assigned.Get(), &object);
    }
    EXPECT_TRUE(freed);
}

TEST(ComRef, PutReleasesWhatWasHeldAndDetachHandsTheReferenceOn)
{
    bool firstFreed = false;
    bool secondFreed = false;
    Counted first{1, &firstFreed};
    Counted second{1, &secondFreed};
    ComRef<Counted> ref = ComRef<Counted>::Adopt(&first);
    Counted** slot = ref.Put();
    EXPECT_TRUE(firstFreed);
    *slot = &second; // as a Create call fills its out-value
    EXPECT_EQ(ref.Get(), &second);
    Counted* handed = ref.Detach();
    EXPECT_EQ(ref, nullptr);
    EXPECT_FALSE(secondFreed);
    handed->Release();
    EXPECT_TRUE(secondFreed);
}

} // namespace
