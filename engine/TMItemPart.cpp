#include "engine/TMItemPart.h"

#include "engine/EffectLibrary.h"
#include "engine/GameClock.h"
#include "engine/ParticleSystemTable.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMEffect.h"
#include "engine/TMEngine.h"
#include "engine/TMItem.h"
#include "engine/XmlConfig.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Caption colours are 0xRRGGBBAA.
Pyxo::Color CaptionColor(uint32_t rgba)
{
    return Pyxo::Color(int(rgba >> 24), int((rgba >> 16) & 0xFF), int((rgba >> 8) & 0xFF), int(rgba & 0xFF));
}

ParticleSystemTable* ParticleSystems()
{
    TMEngine* engine = TMEngine::GetEngine();
    return engine ? engine->GetParticleSystems() : nullptr;
}

constexpr uint32_t kHighlightAlpha = 50;
constexpr float kAfterimageLife = 70.0f;

// Frame fields come from animation files and hold any 32-bit value: sums of them are taken wide and held to the
// range of a coordinate, so that a hostile file draws far off screen instead of wrapping onto it.
int ClampCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX)));
}

} // namespace

TMItemPart::TMItemPart(TMItem* owner) : mOwner(owner)
{
    const EffectTarget target{&mEffectOffset, &mScale,       &mEffectScalePoint, &mAlpha,
                              &mVisible,      &mIsCheckmark, &mCaptionColor,     &mCaptionShadowColor};
    mTargets.Register(target);
    if (mOwner) {
        mOwner->RegisterEffectTarget(target);
        mTargets.present = &mOwner->mPresent;
    }
}

TMItemPart::~TMItemPart()
{
    if (mEffect) {
        if (ParticleSystemTable* systems = ParticleSystems())
            systems->RemoveOwner(mEffect.get());
    }
}

bool TMItemPart::Load(pugi::xml_node node)
{
    const std::string name = XmlReadString(node, "name");
    const std::string effect = XmlReadString(node, "effect");
    const std::string font = XmlReadString(node, "font");
    const std::string subFont = XmlReadString(node, "sub_font");
    if (!font.empty())
        mFont = TMEngine::GetFont(font);
    if (!subFont.empty())
        mSubFont = TMEngine::GetFont(subFont);

    const int32_t offsX = XmlReadInt(node, "offs_x");
    const int32_t offsY = XmlReadInt(node, "offs_y");
    mScalePointX = XmlReadInt(node, "scale_point_x");
    mScalePointY = XmlReadInt(node, "scale_point_y");

    for (pugi::xml_node child = node.child("exchange_skin"); child; child = child.next_sibling("exchange_skin"))
        mExchangeSkins[XmlReadString(child, "from")] = XmlReadString(child, "to");

    mMirror = XmlReadInt(node, "mirror") != 0;

    mOrderPoints = {};
    std::string parentZ;
    bool ownDepth = false;
    XmlGetAttrBool(node, "zover", ownDepth);
    mOwnDepth = ownDepth;
    if (!mOwnDepth) {
        parentZ = XmlReadString(node, "parent_z");
        for (size_t i = 0; i < mOrderPoints.size(); ++i) {
            char key[32];
            std::snprintf(key, sizeof(key), "order%zu_x", i);
            mOrderPoints[i].x = XmlReadInt(node, key);
            std::snprintf(key, sizeof(key), "order%zu_y", i);
            mOrderPoints[i].y = XmlReadInt(node, key);
        }
    }

    mParentZ = parentZ;
    mName = name;
    mOffsX = offsX;
    mOffsY = offsY;
    mIsCheckmark = mName == "checkmark";

    if (mEffect) {
        if (ParticleSystemTable* systems = ParticleSystems())
            systems->RemoveOwner(mEffect.get());
        mEffect.reset();
    }
    if (!effect.empty()) {
        mEffect.reset(CreateEffect(effect.c_str()));
        if (mEffect) {
            mEffect->SetParam(256, &mTargets);
            mEffect->SetParam(257, &mVisible);
            mEffect->SetTarget(this);
            mEffect->SendMessage("oncreate");
            // The particle functions place their emitters from these; computed once, here.
            mAnchor = GetPosition();
            if (mPlayer) {
                const AnmSequence* sequence = mPlayer->GetCurrentSequence();
                const AnmFrame* frame = mPlayer->GetCurrentFrame();
                if (sequence && frame) {
                    mAnchor.x += sequence->width - frame->offsetX - frame->width;
                    mAnchor.y += frame->offsetY;
                }
            }
            mAnchor.x += mScalePointX + 400;
            mAnchor.y += mScalePointY + 300;
            mEffect->SetParam(263, &mAnchor.x);
            mEffect->SetParam(264, &mAnchor.y);
            mEffect->SetParam(265, &mOrientation);
            mEffect->SetParam(266, &mMirror);
        }
    }

    auto player = std::make_unique<AnimPlayer>(this);
    if (player->Load(mName))
        mPlayer = std::move(player);
    return true;
}

EffectPoint TMItemPart::GetPosition() const
{
    EffectPoint position{mOffsX, mOffsY};
    if (mOwner) {
        position.x += mOwner->mPosX + mOwner->mOffsX;
        position.y += mOwner->mPosY + mOwner->mOffsY;
    }
    return position;
}

std::string TMItemPart::SequenceName(const std::string& animation) const
{
    std::string name = mName + mSkin;
    if (!mIsCheckmark)
        name += mOrientation;
    return name + animation;
}

void TMItemPart::Show(bool show)
{
    if (mEffect && mEffect->SendMessage(show ? "onshow" : "onhide"))
        return;
    SetVisible(show);
}

bool TMItemPart::IsVisible() const
{
    return mVisible && (!mOwner || mOwner->IsVisible());
}

void TMItemPart::SetSkin(const std::string& skin)
{
    const auto exchanged = mExchangeSkins.find(skin);
    mSkin = exchanged != mExchangeSkins.end() ? exchanged->second : skin;
}

void TMItemPart::SetOrientation(const std::string& orientation, bool restart)
{
    mOrientation = orientation;
    if (!orientation.empty()) {
        if (orientation[0] == 'm') {
            // The mirrored orientations draw the sequences of their unmirrored twin flipped.
            static const std::map<std::string, std::string> kUnmirrored = {
                {"mbr", "br"}, {"mtr", "tr"}, {"mtl", "tl"}, {"mbl", "bl"}, {"mr", "r"}};
            if (const auto found = kUnmirrored.find(orientation); found != kUnmirrored.end())
                mOrientation = found->second;
            mMirror = true;
        } else {
            mMirror = false;
        }
    }
    if (restart && mPlayer && mPlayer->GetState() == AnimPlayer::Playing) {
        PlayAnimation(mCurrentAnimation, true);
        AcquireSkinImages();
    }
}

bool TMItemPart::PlayAnimation(const std::string& animation, bool keepTime)
{
    if (!mPlayer || animation.empty())
        return false;
    const bool started = mPlayer->Play(SequenceName(animation), keepTime);
    if (started)
        mCurrentAnimation = animation;
    return started;
}

void TMItemPart::SwitchAnimation(const std::string& animation)
{
    if (!mPlayer)
        return;
    std::string name = SequenceName(animation);
    if (name.size() > 259)
        name.resize(259);
    mPlayer->PlayVariant(name);
}

bool TMItemPart::AcquireSkinImages()
{
    if (!mPlayer || !mPlayer->GetData())
        return false;
    std::string key = mSkin;
    if (!mIsCheckmark)
        key += mOrientation;
    for (AnmSequence& sequence : mPlayer->GetData()->mSequences) {
        if (sequence.imageRequested || sequence.name.find(key) == std::string::npos)
            continue;
        sequence.imageRequested = true;
        if (Pyxo::gPyxoAppBase)
            sequence.image = Pyxo::gPyxoAppBase->GetPooledImage(sequence.fileName, "", nullptr);
    }
    return true;
}

void TMItemPart::ReleaseImages()
{
    if (!mPlayer || !mPlayer->GetData())
        return;
    for (AnmSequence& sequence : mPlayer->GetData()->mSequences) {
        if (!sequence.imageRequested)
            continue;
        // The board may still draw this frame; it lets the sheet go when the level is torn down.
        if (gCurrentBoard)
            gCurrentBoard->DeferRelease(&sequence.image);
        else
            sequence.image.Release();
        sequence.imageRequested = false;
    }
}

float TMItemPart::GetDuration() const
{
    return mPlayer ? mPlayer->GetDuration() : 0.0f;
}

void TMItemPart::PlayToFrame(int frame)
{
    if (mPlayer)
        mPlayer->PlayToFrame(frame);
}

void TMItemPart::Pause()
{
    if (mPlayer)
        mPlayer->Pause();
}

void TMItemPart::Resume()
{
    if (mPlayer)
        mPlayer->Resume();
}

void TMItemPart::RunOnIfPlaying(const std::string& animation)
{
    if (!mPlayer)
        return;
    const AnmSequence* sequence = mPlayer->GetCurrentSequence();
    if (sequence && sequence->name.find(animation) != std::string::npos) {
        mPlayer->CancelPlayToFrame();
        mPlayer->Resume();
    }
}

void TMItemPart::Update()
{
    if (!IsVisible())
        return;
    if (mEffect) {
        mEffect->Update(gFrameDelta);
        if (ParticleSystemTable* systems = ParticleSystems())
            systems->UpdateOwner(mEffect.get(), gFrameDelta);
    }
    if (mPlayer) {
        bool ended = false;
        mPlayer->Update(ended);
        if (ended && mOwner)
            mOwner->OnAnimationEnd(this, mCurrentAnimation);
    }
}

void TMItemPart::RebuildCaption()
{
    mCaptionImage = std::make_unique<Pyxo::MemoryImage>();
    mCaptionImage->Create(mCaptionWidth, mCaptionHeight);
    if (mFont) {
        Pyxo::Graphics g(mCaptionImage.get());
        const Pyxo::Rect rect(0, 0, mCaptionWidth, mCaptionHeight);
        constexpr int kCentred = 0;
        if (mSubFont) {
            g.SetFont(mSubFont);
            g.SetColor(CaptionColor(mCaptionShadowColor));
            g.DrawWrappedText(rect, mCaption, -1, kCentred);
        }
        g.SetFont(mFont);
        g.SetColor(CaptionColor(mCaptionColor));
        g.DrawWrappedText(rect, mCaption, -1, kCentred);
    }
    mCaptionDirty = false;
}

void TMItemPart::Draw(Pyxo::Graphics* g)
{
    if (IsVisible()) {
        for (const Afterimage& afterimage : mAfterimages) {
            const float alpha = mAlpha;
            mAlpha = afterimage.life / 255.0f;
            DrawFrame(g, {afterimage.x, afterimage.y}, static_cast<Pyxo::MemoryImage*>(afterimage.image),
                      afterimage.sequenceWidth, afterimage.frame);
            mAlpha = alpha;
        }

        const bool animating =
            mPlayer && (mPlayer->GetState() == AnimPlayer::Playing || mPlayer->GetState() == AnimPlayer::Paused);
        if (animating || mHasCaption) {
            EffectPoint position = GetPosition();
            position.x += mEffectOffset.x;
            position.y += mEffectOffset.y;
            if (!mHasCaption) {
                AnmSequence* sequence = mPlayer->GetCurrentSequence();
                const AnmFrame* frame = mPlayer->GetCurrentFrame();
                if (sequence && frame)
                    DrawFrame(g, position, static_cast<Pyxo::MemoryImage*>(sequence->image), sequence->width, *frame);
            } else {
                if (mCaptionDirty || !mCaptionImage)
                    RebuildCaption();
                const AnmFrame whole{0, 0, mCaptionWidth, mCaptionHeight, 0, 0};
                DrawFrame(g, position, mCaptionImage.get(), mCaptionWidth, whole);
            }
        }
    }
    if (mEffect) {
        mEffect->SetParam(262, g);
        mEffect->SendMessage("render_ps");
    }
}

void TMItemPart::DrawFrame(Pyxo::Graphics* g, EffectPoint position, Pyxo::Image* image, int32_t sequenceWidth,
                           const AnmFrame& frame)
{
    if (!image || !g)
        return;
    const bool mirrored = mMirror && !mIsCheckmark;
    const Pyxo::Color savedColor = g->GetColor();
    const int savedMode = g->GetDrawMode();
    const bool savedColorize = g->GetColorize();

    if (mTint != 0) {
        g->SetColor(Pyxo::Color(mTint));
        g->SetColorize(true);
    }
    const float alpha = std::min(mAlpha, 1.0f);
    if (alpha < 1.0f) {
        if (g->GetColorize()) {
            Pyxo::Color color = g->GetColor();
            color.mAlpha = static_cast<int>(static_cast<float>(color.mAlpha) * alpha);
            g->SetColor(color);
        } else {
            g->SetColor(Pyxo::Color(255, 255, 255, static_cast<int>(alpha * 255.0f)));
            g->SetColorize(true);
        }
    }

    Pyxo::Rect source(frame.x, frame.y, frame.width, frame.height);
    const int64_t offsetX = mirrored ? int64_t{sequenceWidth} - frame.offsetX - frame.width : int64_t{frame.offsetX};
    int x = ClampCoordinate(static_cast<double>(position.x + offsetX));
    int y = ClampCoordinate(static_cast<double>(int64_t{position.y} + frame.offsetY));
    int width = frame.width;
    int height = frame.height;
    if (mFillEnabled) {
        // Only the bottom rows, each where it stands in the full frame.
        const float level = std::clamp(mFillLevel, 0.0f, 1.0f);
        const int rows = static_cast<int>(std::lround(level * static_cast<float>(frame.height)));
        const int skipped = frame.height - rows;
        source.mY = ClampCoordinate(static_cast<double>(int64_t{source.mY} + skipped));
        source.mHeight = rows;
        y = ClampCoordinate(static_cast<double>(int64_t{y} + skipped));
        height = rows;
    }
    if (std::fabs(mScale - 1.0f) >= 0.01f) {
        const auto px = static_cast<float>(int64_t{mScalePointX} + mEffectScalePoint.x);
        const auto py = static_cast<float>(int64_t{mScalePointY} + mEffectScalePoint.y);
        x = ClampCoordinate(static_cast<float>(x) + px * (1.0f - mScale));
        y = ClampCoordinate(static_cast<float>(y) + py * (1.0f - mScale));
        width = ClampCoordinate(static_cast<float>(width) * mScale);
        height = ClampCoordinate(static_cast<float>(height) * mScale);
    }
    const Pyxo::Rect destination(x, y, width, height);
    if (source.mHeight > 0 && source.mWidth > 0) {
        g->DrawImageMirror(image, destination, source, mirrored);
        if (mOwner && mOwner->IsMouseOver()) {
            g->SetDrawMode(1);
            g->SetColor(Pyxo::Color(255, 255, 255, kHighlightAlpha));
            g->SetColorize(true);
            g->DrawImageMirror(image, destination, source, mirrored);
        }
    }
    g->SetColor(savedColor);
    g->SetDrawMode(savedMode);
    g->SetColorize(savedColorize);
}

void TMItemPart::SetText(const std::wstring& text, int32_t width, int32_t height)
{
    mCaptionDirty = true;
    if (text.empty()) {
        mHasCaption = false;
        return;
    }
    mHasCaption = true;
    mCaption = text;
    mCaptionWidth = width;
    mCaptionHeight = height;
}

void TMItemPart::AgeAfterimages(float amount)
{
    for (Afterimage& afterimage : mAfterimages)
        afterimage.life -= amount;
    mAfterimages.remove_if([](const Afterimage& afterimage) { return afterimage.life <= 0.0f; });
}

void TMItemPart::RecordAfterimage()
{
    if (!mPlayer)
        return;
    AnmSequence* sequence = mPlayer->GetCurrentSequence();
    const AnmFrame* frame = mPlayer->GetCurrentFrame();
    if (!sequence || !frame)
        return;
    const EffectPoint position = GetPosition();
    // Copy-constructed: a copy shares the sheet however the sequence holds it.
    mAfterimages.push_back(Afterimage{sequence->image, *frame, sequence->width, position.x + mEffectOffset.x,
                                      position.y + mEffectOffset.y, kAfterimageLife});
}

void TMItemPart::SendEffectMessage(const std::string& message)
{
    if (mEffect)
        mEffect->SendMessage(message.c_str());
}

TMItemPart* TMItemPart::GetParentPart() const
{
    if (mParentZ.empty())
        return nullptr;
    const size_t colon = mParentZ.find(':');
    if (colon == std::string::npos)
        return nullptr;
    TMItem* item = TMItem::FindByName(mParentZ.substr(0, colon));
    return item ? item->FindPart(mParentZ.substr(colon + 1), 0) : nullptr;
}
