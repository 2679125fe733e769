#include "game/TMItemBonus.h"

#include "engine/TMItemPart.h"

#include <memory>

namespace {

constexpr int32_t kIdleCaptionWidth = 100;
constexpr int32_t kCaptionWidth = 204;
constexpr int32_t kCaptionHeight = 30;

} // namespace

TMItemBonus* GetBonusItem()
{
    return dynamic_cast<TMItemBonus*>(gBonusItem);
}

void TMItemBonus::Activate(bool on)
{
    TMItem::Activate(on);
    if (!on)
        return;
    for (const std::unique_ptr<TMItemPart>& part : mParts) {
        part->PlayAnimation("idle", false);
        part->SetText(L"$", kIdleCaptionWidth, kCaptionHeight);
        part->SetVisible(false);
    }
}

std::wstring TMItemBonus::CashCaption(int amount)
{
    // "$+5" and "$-5": the sign always shows.
    return (amount > 0 ? L"$+" : L"$") + std::to_wstring(amount);
}

void TMItemBonus::ShowAmount(int kind, TMItem* target, int amount, const std::wstring& text)
{
    if (amount == 0 || !target)
        return;
    const char* name = kind == kCash ? "cash" : "bonus";
    TMItemPart* part = FirstFreePart(name);
    const TMItemPart* anchor = target->FindPart(name);
    if (!part || !anchor)
        return;
    part->mOffsX = anchor->mOffsX + target->mPosX + target->mOffsX;
    part->mOffsY = anchor->mOffsY + target->mPosY + target->mOffsY;
    // The pop-up's effect scales it about the anchor's point.
    part->mScalePointX = anchor->mScalePointX;
    part->mScalePointY = anchor->mScalePointY;
    if (kind == kCash) {
        part->SetText(CashCaption(amount), kCaptionWidth, kCaptionHeight);
        part->SendEffectMessage(amount > 0 ? "on_cash" : "on_penalty");
        part->SetVisible(true);
    } else {
        part->SetText(text, kCaptionWidth, kCaptionHeight);
        part->SetVisible(true);
        part->SendEffectMessage("on_bonus");
    }
}

TMItemPart* TMItemBonus::FirstFreePart(const std::string& name) const
{
    for (const std::unique_ptr<TMItemPart>& part : mParts) {
        if (part->GetName() == name && !part->IsVisible())
            return part.get();
    }
    return nullptr;
}
