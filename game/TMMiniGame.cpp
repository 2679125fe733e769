#include "game/TMMiniGame.h"

#include "engine/ControlDrawing.h"
#include "engine/EngineLog.h"
#include "engine/EngineRandom.h"
#include "engine/GameClock.h"
#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMSoundManager.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "game/TBoard_Hud.h"
#include "game/TMBoard_Game3.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

/// The effect element of a part stands this far up and left of it.
constexpr int kEffectDX = -11;
constexpr int kEffectDY = -17;
constexpr const char* kChainMessages[TMMiniGame::kKindCount] = {"onchaincoin", "onchaincleaning", "onchainice",
                                                                "onchainhappy", "onchainspeed"};

} // namespace

TMMiniGame::TMMiniGame(TMBoard_Game3* board, Pyxo::PyxoAppBase* app, pugi::xml_node root)
    : TMDialog(board ? board->GetHud() : nullptr, app), mBoard(board)
{
    LoadByName(root, "minigame");
    if (mWidgetPool.size() < size_t(kMaxParts) || mEffectPool.size() < size_t(kMaxParts))
        EngineLog("minigame: %zu part widgets and %zu effect elements for a tray of %d; fewer parts fit",
                  mWidgetPool.size(), mEffectPool.size(), kMaxParts);
}

TMMiniGame::~TMMiniGame() = default;

void TMMiniGame::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (child && name.rfind("tray", 0) == 0) {
        if (auto* button = dynamic_cast<TMButton*>(child))
            mWidgetPool.push_back(button);
        else
            EngineLog("minigame: \"%s\" is no button; it holds no part", name.c_str());
    } else if (child && name.rfind("effect_ele", 0) == 0) {
        mEffectPool.push_back(child);
    }
    TMDialog::AddChild(name, child);
}

void TMMiniGame::Activate()
{
    TMDialog::Activate();
    if (mTexturesAcquired)
        return;
    for (int kind = 0; kind < kKindCount; ++kind) {
        if (!mTexturesLoaded[size_t(kind)])
            continue;
        for (auto& set : mTextures)
            set[size_t(kind)].Acquire();
    }
    mTexturesAcquired = true;
}

void TMMiniGame::Deactivate()
{
    TMDialog::Deactivate();
    if (!mTexturesAcquired)
        return;
    for (auto& set : mTextures) {
        for (TextureHandle& texture : set)
            texture.Release();
    }
    mTexturesAcquired = false;
}

bool TMMiniGame::IsBoardLoading() const
{
    return mBoard && mBoard->IsWaitingForLoad();
}

void TMMiniGame::PlaySound(const char* name) const
{
    TMEngine::PlaySound(name);
}

// ---- Configuration ------------------------------------------------------------------------------------------------

void TMMiniGame::LoadParts(pugi::xml_node level)
{
    mWeights.clear();
    const pugi::xml_node params = level.child("partparams");
    if (!params)
        EngineLog("minigame: the level has no \"partparams\"; chain payouts add no random parts");
    for (int stage = 0; stage < kStageCount; ++stage) {
        std::array<float, kKindCount> weights{};
        for (int kind = 0; kind < kKindCount; ++kind) {
            char name[32];
            std::snprintf(name, sizeof name, "bonus%02d%02d", kind + 1, stage + 1);
            XmlGetAttrFloat(params, name, weights[size_t(kind)]);
        }
        float sum = 0.0f;
        for (float weight : weights)
            sum += weight;
        if (sum != 0.0f) {
            for (float& weight : weights)
                weight /= sum;
        }
        mWeights[stage] = weights;
    }

    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
    for (int kind = 0; kind < kKindCount && table; ++kind) {
        if (mTexturesLoaded[size_t(kind)])
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "bonus%02d00", kind + 1);
        mTextures[0][size_t(kind)] = table->Find(name);
        std::snprintf(name, sizeof name, "bonus%02d00_e", kind + 1);
        mTextures[2][size_t(kind)] = table->Find(name);
        std::snprintf(name, sizeof name, "bonus%02d00_s", kind + 1);
        mTextures[1][size_t(kind)] = table->Find(name);
        mTexturesLoaded[size_t(kind)] = true;
    }

    mSpeed = 0.0f;
    if (!XmlGetAttrFloat(params, "speed", mSpeed))
        EngineLog("minigame: \"partparams\" has no \"speed\"; parts do not move");
}

// ---- Parts --------------------------------------------------------------------------------------------------------

void TMMiniGame::AddPart(int kind, bool enabled, bool atFront)
{
    if (kind < 0 || kind >= kKindCount) {
        EngineLog("minigame: no part kind %d", kind);
        return;
    }
    Part part;
    part.kind = kind;
    for (size_t set = 0; set < mTextures.size(); ++set)
        part.textures[set] = mTextures[set][size_t(kind)];
    PlacePart(std::move(part), enabled, atFront);
}

void TMMiniGame::AddRandomPart(int stage)
{
    const auto found = mWeights.find(stage);
    if (found == mWeights.end())
        return;
    const std::array<float, kKindCount>& weights = found->second;
    int excluded = -1;
    if (mTray.size() >= 2 && mTray[mTray.size() - 1].kind == mTray[mTray.size() - 2].kind)
        excluded = mTray.back().kind;
    // A kind of weight 0 is never drawn (a draw of 0 would otherwise pick the first one), and with no other kind
    // there is nothing to draw.
    bool drawable = false;
    for (int kind = 0; kind < kKindCount; ++kind)
        drawable = drawable || (kind != excluded && weights[size_t(kind)] > 0.0f);
    if (!drawable)
        return;
    float r = RandFloatRange(0.0f, 1.0f);
    for (;;) {
        for (int kind = 0; kind < kKindCount; ++kind) {
            if (kind == excluded || !(weights[size_t(kind)] > 0.0f))
                continue;
            r -= weights[size_t(kind)];
            if (r <= 0.0f) {
                AddPart(kind, true, false);
                return;
            }
        }
    }
}

void TMMiniGame::PlacePart(Part part, bool enabled, bool atFront)
{
    if (mTray.size() >= size_t(kMaxParts)) {
        mPending.push_back(mTray.front().kind);
        RemovePart(0, kRemoveQuiet);
    }
    if (mWidgetPool.empty() || mEffectPool.empty()) {
        if (!mPoolEmptyLogged) {
            mPoolEmptyLogged = true;
            EngineLog("minigame: no free \"%s\" left; the part is not added",
                      mWidgetPool.empty() ? "tray" : "effect_ele");
        }
        return;
    }
    part.widget = mWidgetPool.front();
    mWidgetPool.pop_front();
    part.effect = mEffectPool.front();
    mEffectPool.pop_front();

    part.widget->SetDisabled(!enabled);
    part.widget->SetTextureAll(part.textures[0]);
    part.widget->SetStateTexture(part.textures[1], TMButton::kOver);
    ControlDrawing::SetTexture(part.effect, part.textures[2]);

    if (atFront) {
        part.position = 0.0f;
        part.widget->Move(0, kPartY);
        TMButton* widget = part.widget;
        mTray.insert(mTray.begin(), std::move(part));
        widget->Show();
    } else {
        part.position = static_cast<float>(mWidth);
        part.widget->Move(mWidth, kPartY);
        mTray.push_back(std::move(part));
        mTray.back().widget->Show();
    }
}

void TMMiniGame::RemovePart(size_t index, int mode)
{
    if (index >= mTray.size())
        return;
    for (size_t i = 0; i <= index; ++i) {
        const Part& part = mTray[i];
        part.effect->Move(part.widget->mX + kEffectDX, part.widget->mY + kEffectDY);
    }
    Part& part = mTray[index];
    if (mode == kRemoveQuiet) {
        part.widget->Hide();
    } else {
        const bool animated = part.widget->SendEffectMessage(mode == kRemoveClick ? "onclick" : "onchain");
        if (mode >= kRemoveChain && mode < kRemoveChain + kKindCount)
            part.effect->SendEffectMessage(kChainMessages[mode - kRemoveChain]);
        // Without the animation the part would stay on screen, clickable, while its widget is back in the pool.
        if (!animated)
            part.widget->SetVisible(false);
    }
    mWidgetPool.push_back(part.widget);
    mEffectPool.push_back(part.effect);
    mTray.erase(mTray.begin() + static_cast<std::ptrdiff_t>(index));
}

void TMMiniGame::EnablePartAt(int position)
{
    if (position < 0 || position >= static_cast<int>(mTray.size()))
        return;
    mTray[size_t(position)].widget->SetDisabled(false);
}

void TMMiniGame::OnControl(intptr_t controlId)
{
    OnPartClicked(controlId);
}

void TMMiniGame::OnPartClicked(intptr_t widget)
{
    if (IsBoardLoading())
        return;
    for (size_t i = 0; i < mTray.size(); ++i) {
        if (reinterpret_cast<intptr_t>(mTray[i].widget) == widget) {
            RemovePart(i, kRemoveClick);
            PlaySound("minigame_hit");
            return;
        }
    }
}

void TMMiniGame::Clear()
{
    while (!mTray.empty())
        RemovePart(mTray.size() - 1, kRemoveQuiet);
    mPending.clear();
}

int TMMiniGame::GetPartCount() const
{
    return static_cast<int>(mTray.size());
}

std::vector<int> TMMiniGame::GetPartKinds() const
{
    std::vector<int> kinds;
    for (const Part& part : mTray)
        kinds.push_back(part.kind);
    return kinds;
}

TMButton* TMMiniGame::GetPartWidget(int position) const
{
    return position >= 0 && position < static_cast<int>(mTray.size()) ? mTray[size_t(position)].widget : nullptr;
}

const std::array<float, TMMiniGame::kKindCount>* TMMiniGame::GetStageWeights(int stage) const
{
    const auto found = mWeights.find(stage);
    return found != mWeights.end() ? &found->second : nullptr;
}

// ---- Frame --------------------------------------------------------------------------------------------------------

void TMMiniGame::Update()
{
    TMDialog::Update();
    if (IsBoardLoading())
        return;

    while (mTray.size() < size_t(kMaxParts) && !mPending.empty()) {
        const int kind = mPending.front();
        mPending.pop_front();
        AddPart(kind, true, true);
    }

    int target = kFirstX;
    bool moved = false;
    int runKind = -1;
    size_t runStart = 0;
    int runLength = 0;
    for (size_t i = 0; i < mTray.size(); ++i) {
        Part& part = mTray[i];
        if (part.position == static_cast<float>(target)) {
            if (!moved) {
                if (runLength > 0 && part.kind == runKind) {
                    ++runLength;
                } else {
                    if (runLength >= 3)
                        break;
                    runKind = part.kind;
                    runStart = i;
                    runLength = 1;
                }
            }
        } else {
            const float step = std::trunc(mSpeed * gFrameDelta);
            if (part.position > static_cast<float>(target))
                part.position = std::max(static_cast<float>(target), part.position - step);
            else
                part.position = std::min(static_cast<float>(target), part.position + step);
            part.widget->Move(static_cast<int>(part.position), kPartY);
            moved = true;
        }
        target = part.widget->mX + part.widget->mWidth - 1;
    }
    if (runLength < 3)
        return;
    std::vector<TMButton*> run;
    for (size_t i = runStart; i < runStart + size_t(runLength); ++i)
        run.push_back(mTray[i].widget);
    if (mBoard)
        mBoard->ApplyMiniGameBonus(runKind, runLength - 2);
    // The reward reaches the tutorial, which may add parts meanwhile: the run's parts are found by their widgets.
    for (TMButton* widget : run) {
        for (size_t i = 0; i < mTray.size(); ++i) {
            if (mTray[i].widget == widget) {
                RemovePart(i, kRemoveChain + runKind);
                break;
            }
        }
    }
}
