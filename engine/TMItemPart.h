#pragma once

#include "engine/AnimPlayer.h"
#include "engine/EffectTargetList.h"
#include "engine/TMIEffect.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

namespace Pyxo {
class Font;
class Graphics;
class Image;
class MemoryImage;
} // namespace Pyxo
class TMEffect;
class TMItem;

/// One drawable layer of a scene item: an animation player over the part's animation file whose sequences are
/// chosen by part name + skin + orientation + animation, drawn mirrored for the "m" orientations, scaled about a
/// point, faded, tinted and highlighted under the mouse; it may carry a caption instead, leaves afterimages behind
/// a fast figure, has its own effect, and carries the depth data the z-order builder sorts by. Owned by its item.
/// Main thread, except Load (the level-loading thread).
class TMItemPart : public TMIEffect {
public:
    struct Afterimage {
        Pyxo::ImagePoolRef image;
        AnmFrame frame;
        int32_t sequenceWidth = 0;
        int32_t x = 0;
        int32_t y = 0;
        float life = 0.0f;
    };

    /// Registers the part's entry in the owner's target list.
    explicit TMItemPart(TMItem* owner);
    ~TMItemPart() override;
    TMItemPart(const TMItemPart&) = delete;
    TMItemPart& operator=(const TMItemPart&) = delete;

    // TMIEffect
    void SetAlpha(float alpha) override { mAlpha = alpha; }
    void SetScale(float scale) override { mScale = scale; }
    void SetVisible(bool visible) override { mVisible = visible; }
    void SetScalePointX(int x) override { mScalePointX = x; }
    void SetScalePointY(int y) override { mScalePointY = y; }
    void SetOffsetX(int x) override { mEffectOffset.x = x; }
    void SetOffsetY(int y) override { mEffectOffset.y = y; }

    /// Reads the part element and loads anm\<name>.anm; always true.
    bool Load(pugi::xml_node node);
    /// "onshow" or "onhide" to the part's effect; without an effect that takes it, SetVisible.
    void Show(bool show);
    /// The part and its owner are visible.
    [[nodiscard]] bool IsVisible() const;
    /// Through the exchange table.
    void SetSkin(const std::string& skin);
    void SetOrientation(const std::string& orientation, bool restart);
    bool PlayAnimation(const std::string& animation, bool keepTime);
    void SwitchAnimation(const std::string& animation);
    /// Fetches the sheets of every sequence whose name contains skin + orientation.
    bool AcquireSkinImages();
    /// Hands every fetched sheet to the current board to release at level teardown.
    void ReleaseImages();
    [[nodiscard]] float GetDuration() const;
    void PlayToFrame(int frame);
    void Pause();
    void Resume();
    /// When the current sequence's name contains the text: its run to a frame is cancelled and it runs on.
    void RunOnIfPlaying(const std::string& animation);
    void Update();
    void Draw(Pyxo::Graphics* g);
    /// An empty text removes the caption.
    void SetText(const std::wstring& text, int32_t width, int32_t height);
    void AgeAfterimages(float amount);
    void RecordAfterimage();
    void SendEffectMessage(const std::string& message);
    /// The part named by "parent_z" ("object:part"), or null.
    [[nodiscard]] TMItemPart* GetParentPart() const;

    /// Owner position + owner offset + part offset.
    [[nodiscard]] EffectPoint GetPosition() const;
    /// The sequence name for an animation: part name + skin + orientation (not for a checkmark) + animation.
    [[nodiscard]] std::string SequenceName(const std::string& animation) const;

    [[nodiscard]] TMItem* GetOwner() const { return mOwner; }
    [[nodiscard]] AnimPlayer* GetPlayer() const { return mPlayer.get(); }
    [[nodiscard]] TMEffect* GetEffect() const { return mEffect.get(); }
    [[nodiscard]] const std::string& GetName() const { return mName; }
    [[nodiscard]] const std::string& GetCurrentAnimation() const { return mCurrentAnimation; }
    [[nodiscard]] const std::string& GetSkin() const { return mSkin; }
    [[nodiscard]] const std::string& GetOrientation() const { return mOrientation; }
    [[nodiscard]] bool IsMirrored() const { return mMirror; }
    [[nodiscard]] bool IsCheckmark() const { return mIsCheckmark; }
    [[nodiscard]] bool HasCaption() const { return mHasCaption; }
    [[nodiscard]] const std::list<Afterimage>& GetAfterimages() const { return mAfterimages; }

    // Drawing state that effects, movers, the z-order builder and the game's indicators change directly.
    bool mVisible = true;
    bool mOwnDepth = false; // "zover": placed by itself in the depth order
    float mScale = 1.0f;
    float mAlpha = 1.0f;
    int32_t mScalePointX = 0;
    int32_t mScalePointY = 0;
    EffectPoint mEffectScalePoint;
    EffectPoint mEffectOffset;
    uint32_t mCaptionColor = 0xffffffff;       // 0xRRGGBBAA
    uint32_t mCaptionShadowColor = 0x000000ff; // 0xRRGGBBAA
    uint32_t mTint = 0;                        // 0xAARRGGBB; 0 = none
    /// Status bubbles fill their product from the bottom: with the flag, only the bottom round(level x height)
    /// rows of the frame are drawn, in their own place. level is 0..1.
    bool mFillEnabled = false;
    float mFillLevel = 1.0f;
    std::string mParentZ;
    int32_t mOffsX = 0;
    int32_t mOffsY = 0;
    std::array<EffectPoint, 3> mOrderPoints{};
    EffectPoint mAnchor;

private:
    void DrawFrame(Pyxo::Graphics* g, EffectPoint position, Pyxo::Image* image, int32_t sequenceWidth,
                   const AnmFrame& frame);
    void RebuildCaption();

    TMItem* mOwner = nullptr; // borrowed
    std::unique_ptr<AnimPlayer> mPlayer;
    std::string mSkin;
    std::string mOrientation;
    bool mIsCheckmark = false;
    std::map<std::string, std::string> mExchangeSkins;
    std::unique_ptr<TMEffect> mEffect;
    EffectTargetList mTargets; // the part's own one entry, for its effect
    bool mHasCaption = false;
    bool mCaptionDirty = false;
    std::wstring mCaption;
    Pyxo::Font* mFont = nullptr;    // borrowed from the engine's font table
    Pyxo::Font* mSubFont = nullptr; // borrowed
    int32_t mCaptionWidth = 0;
    int32_t mCaptionHeight = 0;
    std::unique_ptr<Pyxo::MemoryImage> mCaptionImage;
    std::list<Afterimage> mAfterimages;
    std::string mName;
    std::string mCurrentAnimation;
    bool mMirror = false;
};
