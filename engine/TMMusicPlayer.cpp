#include "engine/TMMusicPlayer.h"

#include "engine/NotBuiltYet.h"

TMMusicPlayer::~TMMusicPlayer() = default;

bool TMMusicPlayer::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

void TMMusicPlayer::Play(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMMusicPlayer::PauseCurrent()
{
    ENGINE_NOT_BUILT_YET();
}

void TMMusicPlayer::ResumeCurrent()
{
    ENGINE_NOT_BUILT_YET();
}

void TMMusicPlayer::SoundSetMusicVolume(int /*volume*/)
{
    ENGINE_NOT_BUILT_YET();
}

int TMMusicPlayer::SoundGetMusicVolume() const
{
    ENGINE_NOT_BUILT_YET();
    return 100;
}
