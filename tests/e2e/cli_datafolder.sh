#!/usr/bin/env bash
# warblet-cli's data folder, service file, password input and manners, in a throwaway home.
# Usage: cli_datafolder.sh WARBLET_CLI
set -euo pipefail
cli=$(realpath "$1")

work=$(mktemp -d)
cli_args=()
source "$(dirname "$0")/checks.sh"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
unset XDG_DATA_HOME WARBLET_MAIN_HOST WARBLET_API_HOST WARBLET_SEARCH_HOST
mkdir -p "$HOME" "$work/elsewhere"
cd "$work/elsewhere"


run 0 --help
expect_in "--data-dir DIR" "$out"
expect_in "service set HOST" "$out"
run 0 --version
expect_in "warblet-cli " "$out"
run 2
run 2 --data-dir

# The default folder: made owner-only under ~/.local/share, nothing left where the tool ran.
default="$HOME/.local/share/warblet"
run 0 account set alice <<<"s3cret"
[ -f "$default/setting/setting.dat" ] || fail "no settings file in $default"
[ "$(stat -c %a "$default")" = 700 ] || fail "$default is $(stat -c %a "$default"), not 700"
[ -z "$(ls -A)" ] || fail "left behind in the current folder: $(ls -A)"
run 0 dump "$default/setting/setting.dat"
expect_in '"account": "alice"' "$out"
has_credential() { grep -qF "$(printf '%s' "$1" | base64 -w0)" "$default/setting/setting.dat"; }
has_credential "alice:s3cret" || fail "the password read from standard input is not alice's s3cret"

# A password read from standard input keeps every character but the line end.
printf 'pass word\r\n' | run 0 account set bob --auto-reload
run 0 dump "$default/setting/setting.dat"
has_credential "bob:pass word" || fail "the password read from standard input is not 'pass word'"
expect_in '"auto_reload_type": "EVERY3MINUTES"' "$out"
run 2 account set </dev/null
run 2 account set carol </dev/null

# XDG_DATA_HOME moves the default; a current folder with a settings file and --data-dir win.
XDG_DATA_HOME="$work/xdg" run 0 account set xdg pw
[ -f "$work/xdg/warblet/setting/setting.dat" ] || fail "XDG_DATA_HOME was not followed"
mkdir -p "$work/prepared/setting" && cp "$work/xdg/warblet/setting/setting.dat" "$work/prepared/setting/"
(cd "$work/prepared" && run 0 account show && expect_in "account: xdg" "$out")
run 0 --data-dir "$work/given" account set given pw
[ -f "$work/given/setting/setting.dat" ] || fail "--data-dir was not followed"
run 0 account show
expect_in "account: bob" "$out"

# The service file: one line per role, the settings archive untouched, variables override.
before=$(od -An -tx1 "$default/setting/setting.dat")
run 0 service set 127.0.0.1:8080
[ "$(cat "$default/setting/service.conf")" = $'main_host=127.0.0.1:8080\napi_host=127.0.0.1:8080\nsearch_host=127.0.0.1:8080' ] ||
    fail "service.conf holds: $(cat "$default/setting/service.conf")"
[ "$before" = "$(od -An -tx1 "$default/setting/setting.dat")" ] || fail "service set changed setting.dat"
run 0 service set --search search.example:81
run 0 service show
[ "$out" = $'main_host=127.0.0.1:8080\napi_host=127.0.0.1:8080\nsearch_host=search.example:81' ] ||
    fail "service show gave: $out"
WARBLET_API_HOST=override:9 run 0 service show
expect_in "api_host=override:9  # from WARBLET_API_HOST" "$out"
for bad in "host:0" "host:x" ":80" "two words" "host:65536"; do
    run 2 service set "$bad"
    expect_in "Not a host name or name:port" "$err"
done
run 2 service set --other host
printf 'main_host=fine\nmian_host=typo\n' >"$default/setting/service.conf"
run 2 service show
expect_in "setting/service.conf line 2: unknown key 'mian_host'" "$err"
printf 'main_host=fine\napi_host=a\nmain_host=other\n' >"$default/setting/service.conf"
run 2 service show
expect_in "setting/service.conf line 3: 'main_host' is set again (first on line 1)" "$err"
rm "$default/setting/service.conf"
WARBLET_MAIN_HOST=$'evil\r\nX: y' run 2 service show
expect_in "WARBLET_MAIN_HOST: Not a host name or name:port: 'evil\\r\\nX: y'" "$err"
[ "$(printf '%s' "$err" | tr -d '[:print:]\n' | wc -c)" -eq 0 ] || fail "control bytes in: $err"

# A data folder others may write in, or one that is no folder at all, is refused saying why.
mkdir "$work/open" && chmod 0777 "$work/open"
run 2 --data-dir "$work/open" account show
expect_in "Cannot use the data folder '$work/open': it is writable by others without the sticky bit (mode 0777)" "$err"
[ ! -e "$work/open/setting" ] || fail "the open folder was used"
touch "$work/plain"
run 2 --data-dir "$work/plain" account show
expect_in "'$work/plain' is a file, not a folder" "$err"
ln -s "$work/nowhere" "$work/dangling"
run 2 --data-dir "$work/dangling" account show
expect_in "'$work/dangling' is a symbolic link to '$work/nowhere', which does not exist" "$err"

finish "the data folder, the service file and the password input behave"
