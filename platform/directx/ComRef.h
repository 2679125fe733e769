#pragma once

#include <cstddef>
#include <utility>

namespace Platform {

/// One counted reference to a stand-in object with AddRef and Release (a surface, a clipper, the DirectDraw
/// object, a sound buffer): released when the handle is reset, reassigned or destroyed. Copies take a reference
/// of their own; a reference is taken over only explicitly (Adopt, Put), never from a plain pointer by accident.
/// Not thread-safe itself; the objects' counts are.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(std::nullptr_t) {} // NOLINT(google-explicit-constructor): null converts as for a plain pointer
    ComRef(const ComRef& other) : mObject(other.mObject)
    {
        if (mObject)
            mObject->AddRef();
    }
    ComRef(ComRef&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
    ~ComRef() { Reset(); }

    ComRef& operator=(const ComRef& other)
    {
        ComRef copy(other); // taken first: the other may hold the only other reference
        Swap(copy);
        return *this;
    }
    ComRef& operator=(ComRef&& other) noexcept
    {
        ComRef taken(std::move(other));
        Swap(taken);
        return *this;
    }

    /// Takes over a reference the caller already holds (the out-value of a Create call).
    [[nodiscard]] static ComRef Adopt(T* object)
    {
        ComRef ref;
        ref.mObject = object;
        return ref;
    }
    /// Takes a reference of its own on an object held elsewhere.
    [[nodiscard]] static ComRef Share(T* object)
    {
        if (object)
            object->AddRef();
        return Adopt(object);
    }

    void Reset()
    {
        if (T* object = std::exchange(mObject, nullptr))
            object->Release();
    }
    /// Releases what is held and gives the slot for a Create call's out-value.
    [[nodiscard]] T** Put()
    {
        Reset();
        return &mObject;
    }
    /// Hands the reference to the caller, who releases it.
    [[nodiscard]] T* Detach() { return std::exchange(mObject, nullptr); }
    void Swap(ComRef& other) noexcept { std::swap(mObject, other.mObject); }

    [[nodiscard]] T* Get() const { return mObject; }
    T* operator->() const { return mObject; }
    /// Reads as the plain pointer, borrowed: comparisons, tests for null, calls that take the object.
    operator T*() const { return mObject; } // NOLINT(google-explicit-constructor)

private:
    T* mObject = nullptr; // one reference owned
};

} // namespace Platform
