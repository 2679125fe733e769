#pragma once

struct EffectCallRecord;
class TMEffect;

/// The game's particle effect functions, named in cfg\effect.xml: star bursts for the goal and expert messages
/// and the smoke of a working worker. The systems they make live in the effect's parameters 258 to 261 and in the
/// engine's particle-system table under the effect. Main thread.

/// "call" commands: draw, or stop the emission of, the systems in parameters 258 to 261. Both need the graphics
/// of a draw in parameter 262 and answer 0 without one.
int RenderPSFunc(TMEffect* effect);
int StopPSFunc(TMEffect* effect);

/// Timer controls: at t 0 the two star systems start (made on first use), at t 1 their emission stops.
int FuncOnGoalExpertPSEffect(EffectCallRecord* call);
/// Timer control on an item part: smoke from the part's anchor, turned by its orientation and mirror.
int FuncOnWorkerWorkingPSEffect(EffectCallRecord* call);

/// Registers the four functions under their names.
void RegisterParticleEffectFunctions();
