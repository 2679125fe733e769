#include "game/TMPref.h"

#include "engine/NotBuiltYet.h"

TMPref::TMPref(Pyxo::PyxoAppBase* app) : mApp(app) {}

TMPref::~TMPref() = default;

bool TMPref::Load()
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMPref::Save()
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMPref::CreateProfile(const std::wstring& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool TMPref::DeleteProfile(int /*index*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

ProfileRecord* TMPref::GetProfile()
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

int TMPref::InsertHiScore(bool /*survival*/, const std::wstring& /*name*/, int /*score*/)
{
    ENGINE_NOT_BUILT_YET();
    return 10;
}

void TMPref::ApplySettings()
{
    ENGINE_NOT_BUILT_YET();
}

void TMPref::SetDefaults()
{
    ENGINE_NOT_BUILT_YET();
}

void TMPref::ResetProfile()
{
    ENGINE_NOT_BUILT_YET();
}

void TMPref::NewProfile(const std::wstring& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}
