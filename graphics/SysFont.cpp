#include "graphics/SysFont.h"

#include "graphics/Graphics.h"

namespace Pyxo {

// not built yet: the FreeType rendering comes next.

struct SysFont::FaceHandle {};

SysFont::SysFont(PyxoAppBase* app, const std::string& /*face*/, int /*pointSize*/, int /*charSet*/, bool /*bold*/,
                 bool /*italic*/, bool /*underline*/)
    : mApp(app)
{
}

SysFont::SysFont(const std::string& face, int pointSize, bool bold, bool italic, bool underline)
    : SysFont(nullptr, face, pointSize, 0, bold, italic, underline)
{
}

SysFont::SysFont(const SysFont& other, int /*duplicateTag*/) : Font(other), mApp(other.mApp), mFace(other.mFace) {}

SysFont::~SysFont() = default;

int SysFont::StringWidth(const std::wstring& /*text*/)
{
    return 0;
}

void SysFont::DrawString(Graphics* /*g*/, int /*x*/, int /*y*/, const std::wstring& /*text*/, const Color& /*color*/,
                         const Rect& /*clipRect*/)
{
}

std::unique_ptr<Font> SysFont::Duplicate() const
{
    return std::unique_ptr<Font>(new SysFont(*this, 0));
}

bool SysFont::IsValid() const
{
    return mFace != nullptr;
}

std::string SysFont::GetFontFile() const
{
    return {};
}

} // namespace Pyxo
