#include "graphics/Graphics.h"

#include "graphics/Font.h"
#include "graphics/Image.h"
#include "graphics/Matrix3.h"

namespace Pyxo {

// not built yet: placeholders until the drawing context is filled in.

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage;
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Create() const
{
    return std::make_unique<Graphics>(*this);
}

void Graphics::PushState() {}
void Graphics::PopState() {}
void Graphics::Translate(int /*x*/, int /*y*/) {}
void Graphics::SetClipRect(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Graphics::ClipRect(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Graphics::FillRect(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Graphics::DrawRect(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Graphics::DrawImage(Image* /*image*/, int /*x*/, int /*y*/) {}
void Graphics::DrawImageSrcRect(Image* /*image*/, int /*x*/, int /*y*/, const Rect& /*srcRect*/) {}
void Graphics::DrawImageStretched(Image* /*image*/, int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
void Graphics::DrawImageStretchedSrcRect(Image* /*image*/, const Rect& /*destRect*/, const Rect& /*srcRect*/) {}
void Graphics::DrawImageMirror(Image* /*image*/, const Rect& /*destRect*/, const Rect& /*srcRect*/, bool /*mirror*/) {}
void Graphics::DrawImageMatrix(Image* /*image*/, const Matrix3& /*matrix*/, const Rect& /*srcRect*/, float /*x*/,
                               float /*y*/)
{
}
void Graphics::DrawImageTiledBox(const Rect& /*destRect*/, Image* /*image*/) {}
void Graphics::DrawImageTiledBoxSrcRect(const Rect& /*srcRect*/, const Rect& /*destRect*/, Image* /*image*/) {}
void Graphics::DrawString(const std::wstring& /*text*/, int /*x*/, int /*y*/) {}

int Graphics::WriteString(const std::wstring& /*text*/, int /*x*/, int /*y*/, int /*width*/, int /*justification*/,
                          bool /*draw*/, int /*offset*/, int /*length*/, int /*restoreColor*/)
{
    return 0;
}

int Graphics::WriteStringLimited(const std::wstring& /*text*/, int /*x*/, int /*y*/, int /*width*/,
                                 int /*justification*/, bool /*draw*/, int /*offset*/, int /*length*/,
                                 int /*restoreColor*/, int /*limit*/)
{
    return -1;
}

int Graphics::DrawWrappedText(const Rect& /*rect*/, const std::wstring& /*text*/, int /*lineSpacing*/,
                              int /*justification*/, int* /*widest*/, int /*maxChars*/, int* /*lineOffset*/)
{
    return 0;
}

int Graphics::GetWrappedTextHeight(int /*width*/, const std::wstring& /*text*/, int /*lineSpacing*/, int* /*widest*/)
{
    return 0;
}

} // namespace Pyxo
