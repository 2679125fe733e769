#pragma once

// Test-only ownership of one reference of a counted stand-in object (DirectDraw, its surfaces, Direct3D and its
// device): released when the holder goes.

#include <memory>

namespace StandInTest {

struct Releaser {
    template <typename T>
    void operator()(T* object) const
    {
        object->Release();
    }
};
template <typename T>
using Ref = std::unique_ptr<T, Releaser>;

} // namespace StandInTest
