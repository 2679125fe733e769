#include "graphics/MemoryImage.h"

namespace Pyxo {

// not built yet: placeholders until the pixel stores are filled in.

MemoryImage::MemoryImage() = default;

MemoryImage::MemoryImage(PyxoAppBase* app) : mApp(app) {}

MemoryImage::MemoryImage(const MemoryImage& other) : Image(other), mApp(other.mApp) {}

MemoryImage::~MemoryImage() = default;

uint32_t* MemoryImage::GetNativeAlphaData(NativeDisplay* /*display*/)
{
    return nullptr;
}

uint8_t* MemoryImage::GetRLAlphaData()
{
    return nullptr;
}

uint8_t* MemoryImage::GetRLAdditiveData(NativeDisplay* /*display*/)
{
    return nullptr;
}

void MemoryImage::PurgeBits() {}
void MemoryImage::DeleteSWBuffers() {}
void MemoryImage::Delete3DBuffers() {}
void MemoryImage::DeleteExtraBuffers() {}
void MemoryImage::ReInit() {}
void MemoryImage::BitsChanged() {}
void MemoryImage::CommitBits() {}
void MemoryImage::DeleteNativeData() {}
void MemoryImage::Clear() {}
void MemoryImage::SetBits(const uint32_t* /*bits*/, int /*width*/, int /*height*/, bool /*commitBits*/) {}
void MemoryImage::Create(int /*width*/, int /*height*/) {}

uint32_t* MemoryImage::GetBits()
{
    return nullptr;
}

void MemoryImage::SetImageMode(bool /*hasTrans*/, bool /*hasAlpha*/) {}
void MemoryImage::SetVolatile(bool /*isVolatile*/) {}

bool MemoryImage::Palletize()
{
    return false;
}

} // namespace Pyxo
