#include "engine/GameClock.h"

#include "engine/TMCountdown.h"

float gGameTime = 0.0f;
float gFrameDelta = 0.0f;

void AdvanceGameTime()
{
    gGameTime += gFrameDelta;
}

void ResetGameTime()
{
    gGameTime = 0.0f;
    TMCountdown::ExpireAll();
}
