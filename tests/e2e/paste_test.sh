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
