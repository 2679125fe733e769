#include "game/TMWorker.h"

#include "engine/EngineLog.h"
#include "engine/NotBuiltYet.h"
#include "engine/XmlConfig.h"

std::map<std::string, TMWorker*> gWorkersByName;
std::map<std::string, WorkerConfig> gWorkerConfigs;
WorkerTuning gWorkerTuning;

// ---- Configuration -----------------------------------------------------------------------------------------------

void WorkerConfig::Load(pugi::xml_node node)
{
    XmlGetAttrFloat(node, "work_time", workTime);
    XmlGetAttrFloat(node, "tidiness_up", tidinessUp);
    XmlGetAttrFloat(node, "tidiness_down", tidinessDown);
    XmlGetAttrInt(node, "direct_character_break_frame", breakFrame);
    XmlGetAttrFloat(node, "direct_character_break_time", breakTime);
    XmlGetAttrFloat(node, "upgrade_tidiness_down", upgradeTidinessDown);
    XmlGetAttrFloat(node, "upgrade_work_speed", upgradeWorkSpeed);
    XmlGetAttrFloat(node, "idle_rastart_time_min", idleRestartMin);
    XmlGetAttrFloat(node, "idle_rastart_time_max", idleRestartMax);
    XmlGetAttrInt(node, "idle_stop_frame", idleStopFrame);
    XmlGetAttrString(node, "snd_worker_begin", workSound);
    XmlGetAttrString(node, "product", product);
    XmlGetAttrString(node, "product_type", productType);
}

void LoadWorkersConfig(pugi::xml_node root)
{
    gWorkerConfigs.clear();
    const pugi::xml_node workers = root.child("workers");
    if (!workers) {
        EngineLog("cfg\\cfg.xml: no \"workers\" element; no worker type is configured");
        return;
    }
    XmlGetAttrFloat(workers, "tidiness_g_level", gWorkerTuning.tidinessGLevel);
    XmlGetAttrFloat(workers, "tidiness_y_level", gWorkerTuning.tidinessYLevel);
    XmlGetAttrFloat(workers, "tidiness_r_level", gWorkerTuning.tidinessRLevel);
    XmlGetAttrFloat(workers, "cleanser_effect", gWorkerTuning.cleanserEffect);
    XmlGetAttrFloat(workers, "brush_effect", gWorkerTuning.brushEffect);
    XmlGetAttrFloat(workers, "worker_alpha_blend_time", gWorkerTuning.alphaBlendTime);
    int32_t sequence = 0;
    for (pugi::xml_node node : workers.children("worker")) {
        std::string name;
        if (!XmlGetAttrString(node, "name", name) || name.empty())
            continue;
        if (gWorkerConfigs.count(name))
            continue;
        WorkerConfig& config = gWorkerConfigs[name];
        config.Load(node);
        config.sequence = ++sequence;
    }
}

void ClearWorkersConfig()
{
    gWorkerConfigs.clear();
}

WorkerConfig* FindWorkerConfig(const std::string& name)
{
    const auto found = gWorkerConfigs.find(name);
    return found == gWorkerConfigs.end() ? nullptr : &found->second;
}

TMWorker* FindWorker(const std::string& name)
{
    const auto found = gWorkersByName.find(name);
    return found == gWorkersByName.end() ? nullptr : found->second;
}

void ClearWorkerBindings()
{
    for (auto& [name, config] : gWorkerConfigs)
        config.boundWorker = nullptr;
}

void CleanAllWorkers(int /*mode*/, float /*amount*/)
{
    ENGINE_NOT_BUILT_YET();
}

// ---- TMWorker ----------------------------------------------------------------------------------------------------

TMWorker::TMWorker() = default;

TMWorker::~TMWorker() = default;

void TMWorker::Activate(bool on)
{
    ENGINE_NOT_BUILT_YET();
    TMItem::Activate(on);
}

void TMWorker::OnAnimationEnd(TMItemPart* part, const std::string& animation)
{
    TMItem::OnAnimationEnd(part, animation);
}

void TMWorker::SetMouseOver(Pyxo::Point point, bool over)
{
    TMItem::SetMouseOver(point, over);
}

void TMWorker::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
}

void TMWorker::ReleaseLevelState()
{
    TMItem::ReleaseLevelState();
}

void TMWorker::Load(pugi::xml_node node)
{
    TMItem::Load(node);
    gWorkersByName.emplace(mName, this);
}

void TMWorker::Unload()
{
    TMItem::Unload();
    const auto found = gWorkersByName.find(mName);
    if (found != gWorkersByName.end() && found->second == this)
        gWorkersByName.erase(found);
}

void TMWorker::Update()
{
    TMItem::Update();
}

bool TMWorker::Interact(TMItem* /*by*/, bool /*checkOnly*/, int32_t* /*extra*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMWorker::ApplyUpgrade(const std::string& /*skin*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMWorker::GetStatValue(float& /*value*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMWorker::GetStatAnimName(std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMWorker::GetStatIconName(std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMWorker::GetStatText(std::string& /*text*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMWorker::SetState(int state)
{
    ENGINE_NOT_BUILT_YET();
    mState = state;
}

float TMWorker::AddTidiness(float delta)
{
    ENGINE_NOT_BUILT_YET();
    mTidiness += delta;
    return mTidiness;
}

float TMWorker::GetWorkProgress() const
{
    ENGINE_NOT_BUILT_YET();
    return -1.0f;
}

bool TMWorker::IsFrozen() const
{
    ENGINE_NOT_BUILT_YET();
    return false;
}
