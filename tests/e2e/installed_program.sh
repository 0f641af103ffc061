#!/usr/bin/env bash
# Installs the build into a temporary folder (DESTDIR) and runs what was installed, as a user with
# a fresh home would: the manners of the three programs, then the window off screen against the
# installed stand-in, then --demo. Usage: installed_program.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1 build=$(realpath "$2")

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$work/root" "$cmake" --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log"; exit 1; }
usr="$work/root/usr"
for file in bin/warblet bin/warblet-cli bin/warblet-standin share/warblet/standin-seed.json \
    share/warblet/dat/comments.ico share/warblet/dat/arrow_refresh_h.ico \
    share/applications/org.warblet.Warblet.desktop \
    share/metainfo/org.warblet.Warblet.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.warblet.Warblet.svg \
    share/doc/warblet/copyright share/doc/warblet/changelog.gz share/man/man1/warblet.1.gz \
    share/man/man1/warblet-cli.1.gz share/man/man1/warblet-standin.1.gz; do
    [ -f "$usr/$file" ] || fail "not installed: /usr/$file"
done

# A fresh user: an empty home, no display, no variables of ours, started from an empty folder.
export HOME="$work/home"
unset DISPLAY WAYLAND_DISPLAY XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
unset WARBLET_MAIN_HOST WARBLET_API_HOST WARBLET_SEARCH_HOST
mkdir -p "$HOME" "$work/elsewhere"
cd "$work/elsewhere"

for program in warblet warblet-cli warblet-standin; do
    for option in --help --version; do
        "$usr/bin/$program" "$option" >"$work/out" 2>&1 || fail "$program $option exited $?"
        grep -q "$program" "$work/out" || fail "$program $option printed: $(head -c 300 "$work/out")"
    done
done
grep -q -- "--data-dir" <("$usr/bin/warblet" --help) || fail "warblet --help names no --data-dir"
grep -q -- "--demo" <("$usr/bin/warblet" --help) || fail "warblet --help names no --demo"
grep -q -- "--quiet" <("$usr/bin/warblet-standin" --help) || fail "the stand-in names no --quiet"

# The installed stand-in, the account and the hosts kept in the default data folder.
"$usr/bin/warblet-standin" --seed "$usr/share/warblet/standin-seed.json" --live \
    --interval-ms 500 --quiet --port-file "$work/port" >"$work/standin.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
host="127.0.0.1:$(cat "$work/port")"
data="$HOME/.local/share/warblet"
"$usr/bin/warblet-cli" account set demo --auto-reload <<<"demo" || fail "account set exited $?"
"$usr/bin/warblet-cli" service set "$host" || fail "service set exited $?"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data is not owner-only"

# The window, off screen, for a few seconds: icons from the installed share/warblet/dat, the
# first automatic reload logged into the data folder. The stand-in logs no request lines.
QT_QPA_PLATFORM=offscreen timeout -s TERM 8 "$usr/bin/warblet" >"$work/warblet.log" 2>&1 &&
    fail "warblet ended before it was stopped: $(cat "$work/warblet.log")"
grep -q "Cannot load the icon" "$work/warblet.log" && fail "warblet lacked icons: $(cat "$work/warblet.log")"
ls "$data"/log/demo/timeline/*.dat >/dev/null 2>&1 || fail "no home timeline logged in $data"
[ -d "$data/dat" ] && fail "icons were copied into the data folder"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "left in the folder it was started from: $(ls -A)"
[ "$(grep -vc '^listening on' "$work/standin.log")" -eq 0 ] ||
    fail "the quiet stand-in wrote: $(head -c 300 "$work/standin.log")"

# --demo killed outright leaves nothing in the temporary folder, and its port file in the demo
# folder does not mislead the next start.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
QT_QPA_PLATFORM=offscreen timeout -s KILL 5 "$usr/bin/warblet" --demo >"$work/demo.log" 2>&1 &&
    fail "warblet --demo ended before it was killed: $(cat "$work/demo.log")"
[ -z "$(find "$TMPDIR" -maxdepth 1 -name 'warblet-*')" ] ||
    fail "a killed --demo left behind: $(ls "$TMPDIR")"
demo="$HOME/.cache/warblet/demo"
[ -s "$demo/standin.port" ] || fail "the killed --demo had no port file yet"
rm -rf "$demo/log"

# --demo: its own stand-in and folder in the cache, signed in, the stand-in gone with the window.
QT_QPA_PLATFORM=offscreen timeout -s TERM 8 "$usr/bin/warblet" --demo >"$work/demo.log" 2>&1 &&
    fail "warblet --demo ended before it was stopped: $(cat "$work/demo.log")"
ls "$demo"/log/demo/timeline/*.dat >/dev/null 2>&1 || fail "--demo logged nothing in $demo: $(cat "$work/demo.log")"
# A second run shows the stand-in's history of the first, under the same ids, and adds only what
# its live feed makes, not the seed's statuses again.
status_ids() { grep -o '"id":[0-9]*' "$demo/standin-state.json" | sort -u; }
first_ids=$(status_ids)
[ -n "$first_ids" ] || fail "--demo kept no state of its stand-in"
QT_QPA_PLATFORM=offscreen timeout -s TERM 8 "$usr/bin/warblet" --demo >"$work/demo2.log" 2>&1 &&
    fail "the second warblet --demo ended before it was stopped: $(cat "$work/demo2.log")"
second_ids=$(status_ids)
[ -z "$(comm -23 <(echo "$first_ids") <(echo "$second_ids"))" ] ||
    fail "the second --demo run lost statuses of the first"
added=$(comm -13 <(echo "$first_ids") <(echo "$second_ids") | wc -l)
[ "$added" -le 4 ] || fail "the second --demo run added $added records, the seed's again"
sleep 0.5
for proc in /proc/[0-9]*; do
    command_line=$(tr '\0' ' ' <"$proc/cmdline" 2>/dev/null) || continue
    [[ $command_line == "$usr/bin/warblet-standin --seed $usr/share/warblet/standin-seed.json --live --quiet "* ]] &&
        fail "the demo's stand-in outlived the window: ${proc#/proc/}"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "the installed programs run from their installed places"
