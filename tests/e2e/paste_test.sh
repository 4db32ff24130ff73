#!/usr/bin/env bash
# Pasting ("typemode" 2): the code goes to the target by Ctrl+V, and the clipboard holds the
# user's text again afterwards.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/option_lib.sh"

e2e_begin
e2e_program_folder 'Opt dir' 'window=never'

log "pasted, the clipboard put back as it was"
reg_set "$SETTINGS_KEY" typemode 2
reg_set "$SETTINGS_KEY" o0 False
reg_set "$SETTINGS_KEY" o1 True
keys3=$E2E_TMP/keys3.log
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
start_target_edit "$keys3"
probe set-clipboard 'the user'"'"'s text' || fail "cannot set the clipboard"
scan 'pasted 中文'
expect_target $'pasted 中文'
clipboard_back() { [[ "$(probe clipboard)" == "the user's text" ]]; }
wait_for 5 "the clipboard to be put back" clipboard_back
log "ok: the clipboard holds the user's text again"
expect_eq "Ctrl+V pressed" "$(grep -c ' keydown 56 ctrl' "$keys3" || true)" 1

log "with the copy option on, two codes 100 ms apart: A then B, each once, and B left on the clipboard"
probe click bset
probe click Check2
checked() { [[ "$(probe check-state Check2)" == 1 ]]; }
wait_for 5 "the copy option to be on" checked
probe activate "$TARGET_TITLE" 10000 || fail "the target could not be brought back to the front"
feed 'QR-Code:paste-A'
sleep 0.1
feed 'QR-Code:paste-B'
expect_target $'pasted 中文\npaste-A\npaste-B'
clipboard_b() { [[ "$(probe clipboard)" == paste-B ]]; }
wait_for 5 "paste-B on the clipboard" clipboard_b
log "ok: paste-B is on the clipboard"
expect_eq "Ctrl+V pressed" "$(grep -c ' keydown 56 ctrl' "$keys3" || true)" 3
