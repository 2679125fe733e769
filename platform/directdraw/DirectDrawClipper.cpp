#include "platform/directdraw/DirectDrawClipper.h"

#include "platform/directdraw/DirectDrawEmulation.h"

namespace Platform {

uint32_t DirectDrawClipper::AddRef()
{
    return ++mRefCount;
}

uint32_t DirectDrawClipper::Release()
{
    const uint32_t left = --mRefCount;
    if (left == 0)
        delete this;
    return left;
}

HResult DirectDrawClipper::SetHWnd(uint32_t /*flags*/, WindowHandle window)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::ClipperSetHWnd); Failed(injected))
        return injected;
    mWindow = window;
    return DD_OK;
}

} // namespace Platform
