#include "engine/TMSoundManager.h"

#include "engine/NotBuiltYet.h"

TMSoundManager::~TMSoundManager() = default;

void TMSoundManager::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::Play(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}

TMSoundChannel* TMSoundManager::CreateChannel(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

void TMSoundManager::PauseGroup(const std::string& /*group*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::ResumeGroup(const std::string& /*group*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::StopGroup(const std::string& /*group*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::PauseAll()
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::ResumeAll()
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::SoundSetEffectsVolume(int /*volume*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMSoundManager::Clear()
{
    ENGINE_NOT_BUILT_YET();
}
