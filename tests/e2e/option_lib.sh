# Helpers of the options' end-to-end scripts: sourced after lib.sh.

scan() {
    feed "QR-Code:$1"
    probe wait-item CodeList 0 "QR-Code:$1" || fail "\"$1\" was not listed"
}

target_is() { [[ "$(target_text)" == "$1" ]]; }
expect_target() {
    wait_for 10 "the target to hold \"$1\"" target_is "$1"
    log "ok: the target holds \"$1\""
}

# Microsecond stamps of the characters the target got, the Enter's CR left out.
char_key_times() { awk '$2 == "char" && $3 != "d" { print $1 }' "$1"; }
