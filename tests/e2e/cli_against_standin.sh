#!/usr/bin/env bash
# Every command of warblet-cli against a fresh stand-in of the service.
# Usage: cli_against_standin.sh WARBLET_CLI WARBLET_STANDIN SEED_FILE
set -euo pipefail
cli=$(realpath "$1") standin=$(realpath "$2") seed=$(realpath "$3")

work=$(mktemp -d)
cli_args=(--data-dir "$work")
source "$(dirname "$0")/checks.sh"
"$standin" --seed "$seed" --port-file "$work/port" >"$work/standin.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
host="127.0.0.1:$(cat "$work/port")"
export WARBLET_MAIN_HOST=$host WARBLET_API_HOST=$host WARBLET_SEARCH_HOST=$host
cd "$work"

last_id() { tail -n 1 <<<"$1" | sed -n 's/^{"id":\([0-9]*\),.*/\1/p'; }

run 0 account set demo demo --auto-reload
run 0 account show
expect_in "account: demo" "$out"
expect_in "auto_reload_type: EVERY3MINUTES" "$out"
run 0 dump setting/setting.dat
expect_in '"account": "demo"' "$out"

run 0 fetch timeline --count 5
[ "$(lines "$out")" -eq 5 ] || fail "timeline --count 5 gave $(lines "$out") lines"
newest=$(last_id "$out")
[ -n "$newest" ] || fail "no id in the timeline"
oldest_first=$(sed -n 's/^{"id":\([0-9]*\),.*/\1/p' <<<"$out")
[ "$oldest_first" = "$(sort -n <<<"$oldest_first")" ] || fail "timeline not oldest first"
run 0 fetch timeline --since "$newest"
[ -z "$out" ] || fail "nothing is newer than the newest status"

run 0 fetch mentions --count 3
expect_in "@demo" "$out"
run 0 fetch directmessages
[ "$(lines "$out")" -ge 1 ] || fail "no direct messages"

run 0 lists
expect_in '"tech,demo"' "$out"
run 0 subscriptions
expect_in ',kenji_dev"' "$out"
run 0 saved-searches
expect_in '"ラーメン"' "$out"
run 0 fetch list demo tech --count 2
[ "$(lines "$out")" -eq 2 ] || fail "list --count 2 gave $(lines "$out") lines"
run 0 fetch search "ラーメン" --rpp 1 --page 2
[ "$(lines "$out")" -eq 1 ] || fail "search --rpp 1 gave $(lines "$out") lines"
expect_in "ラーメン" "$out"

run 0 post "end to end 🍜 & more"
run 0 fetch timeline --since "$newest"
expect_in '"text":"end to end 🍜 & more"' "$out"
posted=$(last_id "$out")
run 0 post "@demo a reply" --reply "$posted"
run 0 fetch mentions --since "$posted"
expect_in "@demo a reply" "$out"

run 0 favorite "$posted"
run 0 fetch timeline --since "$newest"
expect_in "\"id\":$posted,\"created_at\"" "$out"
grep -F "\"id\":$posted," <<<"$out" | grep -qF '"favorited":true' || fail "favourite not set"
run 0 unfavorite "$posted"
run 0 fetch timeline --since "$newest"
grep -F "\"id\":$posted," <<<"$out" | grep -qF '"favorited":false' || fail "favourite not cleared"

# Repeat someone else's status: it comes back as the account's newest.
run 0 fetch timeline --count 50
theirs=$(grep -vF '"screen_name":"demo"' <<<"$out" | tail -n 1 | sed -n 's/^{"id":\([0-9]*\),.*/\1/p')
[ -n "$theirs" ] || fail "no status of another in the timeline"
run 0 repeat "$theirs"
run 0 fetch timeline --count 1
expect_in '"screen_name":"demo"' "$out"
run 1 repeat "$posted"
expect_in "You cannot repeat your own status." "$err"
run 1 repeat 999999999
expect_in "No status found with that ID." "$err"

# A direct message reaches the recipient's inbox; nobody's is refused.
run 0 message hanako "DM from the command line & more"
run 0 account set hanako hanako
run 0 fetch directmessages --count 1
expect_in '"screen_name":"demo"' "$out"
expect_in '"text":"DM from the command line & more"' "$out"
run 0 account set demo demo --auto-reload
run 1 message nobody "x"
expect_in "No user with that name." "$err"

# The conversation of the reply: what it answers, then the reply, oldest first.
run 0 fetch mentions --since "$posted"
reply=$(last_id "$out")
run 0 conversation "$reply"
[ "$(sed -n 's/^{"id":\([0-9]*\),.*/\1/p' <<<"$out" | tr '\n' ' ')" = "$posted $reply " ] ||
    fail "conversation of $reply gave: $out"

# Deleting the account's own status notes it beside the logs; another's is refused.
run 0 delete "$reply"
[ "$(cat "$work/log/demo/deleted.txt")" = "$reply" ] || fail "deleted.txt does not hold $reply"
run 0 fetch mentions --since "$posted"
[ -z "$out" ] || fail "the deleted reply still came: $out"
run 1 delete "$theirs"
expect_in "You may not delete another user's status." "$err"
run 1 conversation "$reply"
expect_in "No status found with that ID." "$err"

# What the service refuses: status 1, its own message on standard error, nothing on standard output.
run 1 post ""
expect_in "Status is empty." "$err"
run 1 post "$(printf 'x%.0s' $(seq 141))"
expect_in "Status is over 140 characters." "$err"
run 1 fetch list demo no-such-list
expect_in "Not found" "$err"
[ -z "$out" ] || fail "an unknown list brought statuses"
run 1 favorite 999999999
expect_in "No status found with that ID." "$err"

# A text with what would end or add a query parameter arrives whole.
run 0 post "C++ & #tag&in_reply_to_status_id=5 100%"
run 0 fetch timeline --since "$newest"
expect_in '"text":"C++ & #tag&in_reply_to_status_id=5 100%"' "$out"

# A refused credential is a failure: status 1, the service's own message on standard error.
run 0 account set demo wrong
for command in "fetch timeline" "fetch mentions" "lists" "saved-searches" "favorite 1"; do
    # shellcheck disable=SC2086
    run 1 $command
    [ -z "$out" ] || fail "a refused credential brought output for $command"
    expect_in "Could not authenticate you." "$err"
done
run 1 post "refused"
expect_in "Could not authenticate you." "$err"

# No service at all: a network failure, status 2, its message on standard error.
WARBLET_MAIN_HOST=127.0.0.1:1 run 2 fetch timeline
[ -n "$err" ] || fail "no message for a network failure"
run 2 fetch nosuchkind

finish "all warblet-cli commands passed against the stand-in"
