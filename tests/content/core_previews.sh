#!/usr/bin/env bash
# Draws the interface core's dialogs as the engine builds them from the built data folder: the HUD in career and in
# survival mode (and once at closing time with the expert banner), the mini-game tray with one part of each kind,
# the briefing card, the upgrade screen, both message boxes and the load screen.
# usage: core_previews.sh PREVIEW_PROGRAM OUT_FOLDER
set -euo pipefail
preview=$1 out=$2
mkdir -p "$out"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# Every tutorial note but the one given (0: none).
notes() { for i in $(seq 1 24); do [ "$i" = "$1" ] || echo --hide "tutorial$i"; done; }
expert=(--hide right_part/expert_bkg --hide right_part/expert_text --hide right_part/expert_value
        --hide right_part/money_expert_value --hide right_part/money_expert_value_ghost
        --hide right_part/money_goal_value_ghost)
levels() { for k in 1 2 3; do for n in 1 2 3 4 5; do
    case " $* " in *" ${k}_0$n "*) ;; *) echo --hide "achievments/ach_${k}_0$n";; esac; done; done; }

"$preview" hud "$out/hud_career.png" --hide left_survival_part --hide survival_life "${expert[@]}" \
    --hide goal_splash --hide expert_splash --hide freeze --hide globalclean --hide left_part/alarm \
    --hide left_part/closed \
    --hide achievments/ach_1 --hide achievments/ach_2 --hide achievments/ach_3 $(levels) $(notes 8) \
    --texture left_part/clock=hud_watch07
"$preview" hud "$out/hud_career_closing.png" --hide left_survival_part --hide survival_life \
    --hide right_part/goal_bkg --hide right_part/goal_text --hide right_part/goal_value \
    --hide right_part/money_goal_value --hide right_part/money_goal_value_ghost \
    --hide right_part/money_expert_value_ghost --hide goal_splash --hide freeze --hide globalclean --hide tutor_bg \
    --hide achievments/ach_3 $(levels 1_02 2_03) $(notes 0) --var money=480 --texture left_part/clock=hud_watch19
"$preview" hud "$out/hud_survival.png" --hide left_part --hide achievments --hide goal_splash --hide expert_splash \
    --hide tutor_bg $(notes 0) "${expert[@]}" --hide survival_life/life_0 --hide survival_life/life_1 \
    --hide survival_life/life_3 --hide globalclean --texture left_survival_part/clock=hud_upgrade_06

# The tray: eleven parts of every kind, the third one's burst playing, the fifth under the pointer.
kinds=(1 1 2 1 3 3 4 5 5 2 1)
tray=()
for i in $(seq 1 16); do
    n=$(printf %02d "$i")
    if [ "$i" -le 11 ]; then tray+=(--texture "tray$n=bonus0${kinds[$((i - 1))]}00"); else tray+=(--hide "tray$n"); fi
    [ "$i" = 3 ] || tray+=(--hide "effect_ele$n")
done
"$preview" minigame "$out/minigame.png" "${tray[@]}" --texture tray05=bonus0300_s --texture effect_ele03=bonus0200_e

"$preview" briefing_dialog "$out/briefing_dialog.png"
"$preview" upgrade_menu "$out/upgrade_menu.png" --hide upgrade_tray1/select --hide upgrade_tray3/select \
    --hide upgrade_tray4
"$preview" dialogbox_2button "$out/dialogbox_2button.png"
"$preview" dialogbox_1button "$out/dialogbox_1button.png"
"$preview" load_screen "$out/load_screen.png"
