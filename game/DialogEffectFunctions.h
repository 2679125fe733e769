#pragma once

class TMEffect;
struct EffectCallRecord;

/// The named effect functions that fade, scale, slide, spin and blink widgets (dialogs, buttons, texts, whole
/// screens). Each computes one value from the record's progress t, in single precision, writes it into its host,
/// and returns 1. Alpha, scale and visibility go through the effect's target, so they work on any host; offsets,
/// scale points, rotation and sizes belong to the host widget (effect parameter 6), and a host that is not a
/// widget is left alone. Main thread.

/// Registers every function below under its name; DlgShow and DlgHide also as "EffectItemShow" and
/// "EffectItemHide", WidgetsLock and WidgetsUnlock in both call shapes (a control or a "call" command).
void RegisterDialogEffectFunctions();

int DlgShow(EffectCallRecord* call);
int DlgHide(EffectCallRecord* call);
/// Alpha 1, scale 1, offset (0, 0).
int DlgReset(EffectCallRecord* call);
int DlgFadeIn(EffectCallRecord* call);
int DlgFadeOut(EffectCallRecord* call);
int DlgScaleUpRecoil(EffectCallRecord* call);
int DlgScaleUpEaseOut(EffectCallRecord* call);
int DlgSmallScaleUpAccel(EffectCallRecord* call);
int DlgSmallScaleDownAccel(EffectCallRecord* call);
int DlgBigScaleDownAccel(EffectCallRecord* call);
int DlgStampSplash(EffectCallRecord* call);
/// A text host at alpha 1 shows the first t of its expanded characters (rounded up); any other host is left alone.
int DlgTypeIn(EffectCallRecord* call);
int DlgSetCenterScalePoint(EffectCallRecord* call);
int DlgShiftDown(EffectCallRecord* call);
int DlgShiftDownAccel(EffectCallRecord* call);
int DlgShiftToRight(EffectCallRecord* call);
int DlgSlideDownAccel(EffectCallRecord* call);
int DlgSlideRightAccel(EffectCallRecord* call);
int DlgSlideLeftAccel(EffectCallRecord* call);
int DlgSlideUp20(EffectCallRecord* call);
int DlgSlideDown20(EffectCallRecord* call);
int DlgSlideLeftAccel400(EffectCallRecord* call);
int DlgSlideLeftAccel400M(EffectCallRecord* call);
int DlgSlideFromRightAccel(EffectCallRecord* call);
int DlgSlideFromBottomAccel(EffectCallRecord* call);
int DlgSlideFromLeftAccel(EffectCallRecord* call);
int DlgSlideFromLeftAccel400(EffectCallRecord* call);
int DlgSlideFromLeftAccel400M(EffectCallRecord* call);
int DlgSlideDownAccel485(EffectCallRecord* call);
int DlgSlideFromBottomAccel485(EffectCallRecord* call);
/// The dialog slides while its child "girl_front" stays in place; a dialog without that child is left alone.
int DlgSlideRightAccelGirl(EffectCallRecord* call);
int DlgSlideFromRightAccelGirl(EffectCallRecord* call);
/// Two dips of alpha while the pointer is not over the widget.
int DlgUpgradeBtnBlink(EffectCallRecord* call);
int Rotate360(EffectCallRecord* call);
/// Moves the widget to a random place on the 800 x 600 screen, its scale point following.
int SparklingStar(EffectCallRecord* call);
/// The engine's input-blocking overlay in front and shown, or hidden; the argument is not used.
int WidgetsLock(EffectCallRecord* call);
int WidgetsUnlock(EffectCallRecord* call);
int WidgetsLockMessage(TMEffect* effect);
int WidgetsUnlockMessage(TMEffect* effect);
/// Over the host's target list (parameter 256): alpha 1 - t, and hidden at the end.
int WindowFadeOut(EffectCallRecord* call);
/// The host's visibility (parameter 257) and every entry of its target list shown, at alpha 1.
int WindowReset(EffectCallRecord* call);
