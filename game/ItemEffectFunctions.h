#pragma once

struct EffectCallRecord;

/// The named effect functions that fade, scale, shake, blink and colour scene items and their parts (cash labels,
/// status bubbles, trays, upgrades, tick icons). Each reads its host's EffectTargetList (effect parameter 256),
/// writes one property of its entries from the record's progress t, and returns 1; a host without a list is left
/// alone. Main thread.

/// Registers every function below under its name (and EffectFadeOne also as "EffectBlinkHPOff"). "EffectItemShow"
/// and "EffectItemHide" are the dialog functions under two more names; the dialog functions register them.
void RegisterItemEffectFunctions();

int EffectFadeOne(EffectCallRecord* call);
int EffectFadeZero(EffectCallRecord* call);
int EffectFadeIn(EffectCallRecord* call);
int EffectFadeOut(EffectCallRecord* call);
int EffectScaleZero(EffectCallRecord* call);
int EffectScaleUpRecoil(EffectCallRecord* call);
int EffectScaleDownToOne(EffectCallRecord* call);
int EffectScaleDown(EffectCallRecord* call);
int EffectScalePulse(EffectCallRecord* call);
int EffectSlideUpAccel(EffectCallRecord* call);
int EffectSlideFromBottomDecel(EffectCallRecord* call);
int EffectJumpUp(EffectCallRecord* call);
int EffectShake(EffectCallRecord* call);
int EffectSetCashPenaltyOffset(EffectCallRecord* call);
/// The first entry only.
int EffectSetCheckmarkScalepoint(EffectCallRecord* call);
int EffectSetCashBonusColor(EffectCallRecord* call);
int EffectSetCashPenaltyColor(EffectCallRecord* call);
int EffectSetChainColor(EffectCallRecord* call);
/// The second entry only.
int EffectBlinkHP(EffectCallRecord* call);
int UpgradeEffectBlink(EffectCallRecord* call);
