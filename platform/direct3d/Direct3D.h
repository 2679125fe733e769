#pragma once

#include "platform/direct3d/Direct3DTypes.h"
#include "platform/directx/ComRef.h"

#include <atomic>
#include <cstdint>

namespace Platform {

class DirectDraw;
class DirectDrawSurface;
class Direct3DDevice;

/// The Direct3D 7 object of the stand-in, got from the DirectDraw object by QueryInterface: it makes the 3-D
/// device. Holds a reference on its DirectDraw object, and each device holds one on it, so releasing a parent
/// first leaves its children working. Counted: Release frees it when the last reference goes.
class Direct3D {
public:
    Direct3D(const Direct3D&) = delete;
    Direct3D& operator=(const Direct3D&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    /// The hardware device (IID_IDirect3DHALDevice only) drawing into `target`, a surface with DDSCAPS_3DDEVICE;
    /// the device holds a reference on it.
    HResult CreateDevice(const InterfaceId& deviceType, DirectDrawSurface* target, Direct3DDevice** device);

private:
    friend class DirectDraw;

    explicit Direct3D(DirectDraw* directDraw);
    ~Direct3D();

    std::atomic<uint32_t> mRefCount = 1;
    ComRef<DirectDraw> mDirectDraw;
};

} // namespace Platform
