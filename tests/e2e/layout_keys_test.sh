#!/usr/bin/env bash
# Typing with the keys of the target's keyboard layout ("typemode" 1) into a target that ignores
# Unicode key events, as remote-desktop clients do; with "rescan" 0 the same code shown again is
# not typed again.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/option_lib.sh"

e2e_begin
e2e_program_folder 'Opt dir' 'window=never'

log "rescan 0, layout keys into a target that ignores Unicode key events"
reg_set "$SETTINGS_KEY" rescan 0
reg_set "$SETTINGS_KEY" typemode 1
keys2=$E2E_TMP/keys2.log
# shellcheck disable=SC2119 # no arguments: a normal start
start_tolvira
wait_for 10 "the engine's start record" test -s "$PROG_DIR/zbarcam.starts"
expect_eq "the engine's arguments" "$(sed -n 's/^started [0-9]*//p' "$PROG_DIR/zbarcam.starts" | tr -d '\r')" ' args -Sqrcode.binary -Stest-inverted --escape'
start_target_edit "$keys2" --keys-only
scan 'Ab-1@x'
expect_target 'Ab-1@x'
sleep 2
scan 'Ab-1@x'
sleep 1
expect_target 'Ab-1@x'
log "ok: with rescan 0 the same code is typed once"
expect_eq "Unicode key events sent" "$(grep -c ' ignored ' "$keys2" || true)" 0
