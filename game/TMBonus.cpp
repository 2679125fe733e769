#include "game/TMBonus.h"

#include "engine/EngineLog.h"
#include "engine/GameClock.h"
#include "engine/TMEngine.h"
#include "engine/TMLocTable.h"
#include "engine/XmlConfig.h"
#include "game/TMBoard_Game3.h"
#include "game/TMItemBonus.h"

namespace {

constexpr size_t kLocIdSize = 260;

} // namespace

void TMBonus::Load(pugi::xml_node root)
{
    mStages.clear();
    mCurrent.reset();
    mCounter = 0;
    mElapsed = 0.0f;

    const pugi::xml_node config = root.child("bonus_config");
    float timeout = 0.0f;
    if (!XmlGetAttrFloat(config, "rush_timeout", timeout) || !(timeout > 0.0f)) {
        EngineLog("chain bonus: \"bonus_config\" has no positive \"rush_timeout\"; %.1f s used",
                  static_cast<double>(kDefaultRushTimeout));
        timeout = kDefaultRushTimeout;
    }
    mRushTimeout = timeout;

    const TMEngine* engine = TMEngine::GetEngine();
    const TMLocTable* loc = engine ? engine->GetLocTable() : nullptr;
    for (pugi::xml_node element : config.children("bonus_stages")) {
        BonusStage stage;
        stage.index = static_cast<int>(mStages.size());
        XmlGetAttrInt(element, "action", stage.action);
        XmlGetAttrInt(element, "bonus", stage.bonus);
        std::string id;
        if (XmlGetAttrString(element, "loc_str", id, kLocIdSize) && loc)
            stage.text = loc->GetText(id);
        mStages.push_back(std::move(stage));
    }
}

void TMBonus::OnAction(int kind, TMItem* object)
{
    if (kind == 0) {
        mCounter = 0;
        mElapsed = 0.0f;
        mCurrent.reset();
        return;
    }
    if (kind != 1)
        return;
    ++mCounter;
    mElapsed = 0.0f;
    for (size_t i = 0; i < mStages.size(); ++i) {
        if (mStages[i].action == mCounter) {
            mCurrent = i;
            break;
        }
    }
    if (mCurrent)
        ApplyStage(object);
}

void TMBonus::Update()
{
    mElapsed += gFrameDelta;
    if (mElapsed >= mRushTimeout) {
        mCounter = 0;
        mElapsed = 0.0f;
        mCurrent.reset();
    }
}

void TMBonus::ApplyStage(TMItem* object)
{
    if (!mCurrent || *mCurrent >= mStages.size())
        return;
    const BonusStage& stage = mStages[*mCurrent];
    if (object) {
        if (TMItemBonus* display = GetBonusItem())
            display->ShowAmount(TMItemBonus::kBonusText, object, stage.bonus, stage.text);
    }
    if (gGameBoard)
        gGameBoard->OnChainBonus(stage.index);
}
