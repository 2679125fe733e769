#include "graphics/DDInterface.h"

#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"

namespace Pyxo {

// not built yet
DDInterface::DDInterface(PyxoAppBase* app) : mApp(app), mD3DInterface(std::make_unique<D3DInterface>()) {}
DDInterface::~DDInterface() = default;
int DDInterface::Init(Platform::WindowHandle, bool)
{
    return RESULT_FAIL;
}
bool DDInterface::Redraw(const Rect*)
{
    return false;
}
void DDInterface::SetCursorPos(int, int) {}
bool DDInterface::SetCursorImage(Image* image)
{
    if (mCursorImage == image)
        return false;
    mCursorImage = image;
    return true;
}
void DDInterface::SetSurfaceOnlyDraw(bool videoOnlyDraw)
{
    mVideoOnlyDraw = videoOnlyDraw;
}
void DDInterface::AddImage(DDImage*) {}
void DDInterface::RemoveImage(DDImage*) {}
void DDInterface::DropTextureData(MemoryImage*) {}
int32_t DDInterface::CreateSurface(const Platform::SurfaceDesc&, Platform::DirectDrawSurface** surface)
{
    *surface = nullptr;
    return -1;
}
std::string DDInterface::ResultToString(int)
{
    return "RESULT_UNKNOWN";
}
bool DDInterface::CheckResult(int32_t result, const std::string&)
{
    return result < 0;
}
void DDInterface::Cleanup() {}
bool DDInterface::Run3DTest(Platform::WindowHandle)
{
    return false;
}

} // namespace Pyxo
