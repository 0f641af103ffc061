#!/usr/bin/env bash
# warblet-cli against the stand-in playing GNU social and Friendica, over plain HTTP and over https
# with certificates made here: the server found from the address typed, every command answered
# under its API root, what a server lacks not asked for, and the request lines the stand-in saw.
# Usage: cli_servers.sh WARBLET_CLI WARBLET_STANDIN SEED_FILE
set -euo pipefail
cli=$(realpath "$1") standin=$(realpath "$2") seed=$(realpath "$3")

work=$(mktemp -d)
cli_args=(--data-dir "$work/data")
source "$(dirname "$0")/checks.sh"
servers=()
trap 'for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
unset WARBLET_MAIN_HOST WARBLET_API_HOST WARBLET_SEARCH_HOST
cd "$work"


# start NAME OPTIONS...: a stand-in; its port in $port (and the plain one in $redirect).
start() {
    local name=$1
    shift
    "$standin" --seed "$seed" --port-file "$work/$name.port" "$@" >"$work/$name.log" 2>&1 &
    servers+=($!)
    for _ in $(seq 100); do [ -s "$work/$name.port" ] && break; sleep 0.05; done
    port=$(sed -n 1p "$work/$name.port")
    redirect=$(sed -n 2p "$work/$name.port")
}
saw() { grep -qF -- "$2" "$work/$1.log" || fail "the $1 stand-in did not see '$2': $(tail -5 "$work/$1.log")"; }
never() { ! grep -qF -- "$2" "$work/$1.log" || fail "the $1 stand-in was asked for '$2'"; }

run 0 account set demo demo
run 2 fetch timeline
expect_in "No server is set" "$err"

# GNU social over plain HTTP, found under /index.php/api from its address with that path.
start gnusocial --flavour gnusocial
run 0 service set "http://127.0.0.1:$port/index.php"
expect_in "GNU social 1.20.9, text limit 1000 at http://127.0.0.1:$port/index.php/api" "$out"
run 0 service show
expect_in "server=http://127.0.0.1:$port/index.php/api" "$out"
expect_in "flavour=gnusocial" "$out"
expect_in "text_limit=1000" "$out"
expect_in "server over plain HTTP" "$err"
run 0 fetch timeline --count 200
expect_in '"screen_name":"hanako","name":"山田 花子","text":"RT @kenji_dev QString' "$out"
run 0 lists
expect_in '"tech,demo"' "$out"
run 0 saved-searches
[ -z "$out" ] || fail "GNU social gave saved searches: $out"
never gnusocial "saved_searches"
run 0 fetch list demo tech
[ "$(lines "$out")" -gt 0 ] || fail "no list statuses from GNU social"
saw gnusocial "GET /index.php/api/demo/lists/tech/statuses.xml 200"
run 0 fetch search Qt --rpp 2
[ "$(lines "$out")" -eq 2 ] || fail "GNU social search gave $(lines "$out") lines"
run 0 post "hello from the command line"
saw gnusocial "POST /index.php/api/statuses/update.xml?status=hello%20from%20the%20command%20line 200"
run 1 post "$(printf 'a%.0s' $(seq 1001))"
expect_in "Maximum notice size is 1000 characters" "$err"
run 0 fetch timeline --since 0 --count 1
own=$(sed -n 's/^{"id":\([0-9]*\),.*/\1/p' <<<"$out")
expect_in '"text":"hello from the command line"' "$out"
run 1 repeat "$own"
expect_in "Cannot repeat your own notice." "$err"
saw gnusocial "POST /index.php/api/statuses/retweet/$own.xml 400"
run 0 message hanako "a word in private"
saw gnusocial "POST /index.php/api/direct_messages/new.xml?screen_name=hanako&text=a%20word%20in%20private 200"
run 0 conversation "$own"
[ "$(lines "$out")" -eq 1 ] || fail "GNU social conversation gave $(lines "$out") lines: $err"
saw gnusocial "GET /index.php/api/statuses/show/$own.xml 200"
run 0 delete "$own"
saw gnusocial "POST /index.php/api/statuses/destroy/$own.xml 200"
grep -qx "$own" "$work/data/log/demo@127.0.0.1:$port/deleted.txt" ||
    fail "the deletion is not noted in the server account's folder"

# Friendica over https, named by its host alone, trusted through the CA file; then through the
# plain-HTTP port that sends every request to https.
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
openssl req -x509 "${ec[@]}" -keyout ca.key -out ca.pem -days 2 -subj "/CN=ca" 2>/dev/null
openssl req "${ec[@]}" -keyout good.key -out good.csr -subj "/CN=localhost" 2>/dev/null
openssl x509 -req -in good.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 1 -out good.pem \
    -extfile <(printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n') 2>/dev/null
start friendica --flavour friendica --tls-cert good.pem --tls-key good.key --redirect-http 0
run 1 service set --server "localhost:$port"
expect_in "Cannot reach https://localhost:$port: The certificate of 'localhost' is not trusted" "$err"
run 0 service set --server "localhost:$port" --ca-file ca.pem
expect_in "Friendica 2024.09-rc, text limit 200000 at https://localhost:$port/api" "$out"
run 0 fetch mentions --count 3
[ "$(lines "$out")" -eq 3 ] || fail "Friendica mentions gave $(lines "$out") lines: $err"
mentioned=$(sed -n '1s/^{"id":\([0-9]*\),.*/\1/p' <<<"$out")
run 0 lists
expect_in '"tech,5100001"' "$out"
run 0 fetch list 5100001 tech --count 2
[ "$(lines "$out")" -eq 2 ] || fail "Friendica list gave $(lines "$out") lines: $err"
saw friendica "GET /api/lists/statuses.xml?list_id=5100001&count=2 200"
run 0 subscriptions
[ -z "$out" ] || fail "Friendica gave list subscriptions: $out"
never friendica "lists/subscriptions"
run 0 favorite "$mentioned"
saw friendica "POST /api/favorites/create.xml?id=$mentioned 200"
run 0 repeat "$mentioned"
saw friendica "POST /api/statuses/retweet/$mentioned.xml 200"
run 1 message nobody "x"
expect_in "HTTP/1.1 404 Not Found" "$err"
run 1 delete "$mentioned"
expect_in "HTTP/1.1 403 Forbidden" "$err"
run 0 conversation "$mentioned"
saw friendica "GET /api/statuses/show/$mentioned.xml 200"
run 0 service set "http://localhost:$redirect/api"
expect_in "at https://localhost:$port/api" "$out"
run 0 fetch search Qt --rpp 1
[ "$(lines "$out")" -eq 1 ] || fail "Friendica search gave $(lines "$out") lines: $err"

# A server that is neither: the service's own stand-in.
start service
run 1 service set "http://127.0.0.1:$port/"
expect_in "No GNU social or Friendica server at http://127.0.0.1:$port: /api: HTTP/1.1 404 Not Found; /index.php/api: HTTP/1.1 404 Not Found" "$err"
run 0 service show
expect_in "server=https://localhost:" "$out"

# Hosts again put the service in use.
run 0 service set "127.0.0.1:$port"
run 0 service show
[ "$out" = "main_host=127.0.0.1:$port
api_host=127.0.0.1:$port
search_host=127.0.0.1:$port
ca_file=$work/ca.pem" ] || fail "service show gave: $out"
run 0 fetch timeline --count 2
[ "$(lines "$out")" -eq 2 ] || fail "the service's stand-in gave $(lines "$out") lines"

finish "warblet-cli finds and uses GNU social and Friendica over http and https"
