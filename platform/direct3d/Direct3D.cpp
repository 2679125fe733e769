#include "platform/direct3d/Direct3D.h"

#include "platform/direct3d/Direct3DDevice.h"
#include "platform/direct3d/Direct3DEmulation.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"

namespace Platform {

Direct3D::Direct3D(DirectDraw* directDraw) : mDirectDraw(ComRef<DirectDraw>::Share(directDraw))
{
    CountDirect3D(1);
}

Direct3D::~Direct3D()
{
    CountDirect3D(-1);
}

uint32_t Direct3D::AddRef()
{
    return ++mRefCount;
}

uint32_t Direct3D::Release()
{
    const uint32_t left = --mRefCount;
    if (left == 0)
        delete this;
    return left;
}

HResult Direct3D::CreateDevice(const InterfaceId& deviceType, DirectDrawSurface* target, Direct3DDevice** device)
{
    if (!device)
        return DDERR_INVALIDPARAMS;
    *device = nullptr;
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::CreateDevice); Failed(injected))
        return injected;
    if (deviceType != IID_IDirect3DHALDevice)
        return D3DERR_INVALID_DEVICE;
    if (!target)
        return DDERR_INVALIDPARAMS;
    if ((target->Caps() & DDSCAPS_3DDEVICE) == 0)
        return DDERR_INVALIDCAPS;
    // The device draws colours, not palette indices.
    if ((target->Format().flags & DDPF_PALETTEINDEXED8) != 0 || target->Format().rgbBitCount < 16)
        return DDERR_INVALIDPIXELFORMAT;
    *device = new Direct3DDevice(this, target);
    return D3D_OK;
}

} // namespace Platform
