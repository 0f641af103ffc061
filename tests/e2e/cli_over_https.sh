#!/usr/bin/env bash
# warblet-cli against the stand-in over https: certificates made here with openssl, trusted through
# ca_file, each bad certificate named, and the plain-HTTP port's redirect to https followed.
# Usage: cli_over_https.sh WARBLET_CLI WARBLET_STANDIN SEED_FILE
set -euo pipefail
cli=$(realpath "$1") standin=$(realpath "$2") seed=$(realpath "$3")

work=$(mktemp -d)
cli_args=(--data-dir "$work/data")
source "$(dirname "$0")/checks.sh"
servers=()
trap 'for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
unset WARBLET_MAIN_HOST WARBLET_API_HOST WARBLET_SEARCH_HOST
cd "$work"


# A throwaway CA, a stranger's CA, and server certificates signed by them.
ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
make_ca() { openssl req -x509 "${ec[@]}" -keyout "$1.key" -out "$1.pem" -days 2 -subj "/CN=$1" 2>/dev/null; }
# make_certificate NAME CA SUBJECT_ALT_NAMES
make_certificate() {
    openssl req "${ec[@]}" -keyout "$1.key" -out "$1.csr" -subj "/CN=$1" 2>/dev/null
    openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 1 \
        -out "$1.pem" -extfile <(printf 'subjectAltName=%s\n' "$3") 2>/dev/null
}
make_ca ca
make_ca stranger
make_certificate good ca "DNS:localhost,IP:127.0.0.1"
make_certificate strangers stranger "DNS:localhost,IP:127.0.0.1"
make_certificate elsewhere ca "DNS:service.example"

# start NAME OPTIONS...: a stand-in over https with NAME's certificate; its ports in $port (and
# $redirect with --redirect-http).
start() {
    local name=$1
    shift
    "$standin" --seed "$seed" --tls-cert "$name.pem" --tls-key "$name.key" \
        --port-file "$work/$name.port" "$@" >"$work/$name.log" 2>&1 &
    servers+=($!)
    for _ in $(seq 100); do [ -s "$work/$name.port" ] && break; sleep 0.05; done
    port=$(sed -n 1p "$work/$name.port")
    redirect=$(sed -n 2p "$work/$name.port")
}

run 0 account set demo demo
start good --redirect-http 0
run 0 service set "https://localhost:$port" --ca-file ca.pem
run 0 service show
expect_in "main_host=https://localhost:$port" "$out"
expect_in "ca_file=$work/ca.pem" "$out"
[ -z "$err" ] || fail "service show noted plain HTTP for https hosts: $err"
run 0 fetch timeline --count 5
[ "$(lines "$out")" -eq 5 ] || fail "timeline over https gave $(lines "$out") lines: $err"
run 0 service set "https://127.0.0.1:$port"
run 0 fetch search "ラーメン" --rpp 1
expect_in "ラーメン" "$out"

# The plain-HTTP port sends the client to https on the same host: followed, the answer read.
run 0 service set "127.0.0.1:$redirect"
run 0 service show
expect_in "put https:// in front of a host" "$err"
run 0 fetch mentions --count 3
[ "$(lines "$out")" -eq 3 ] || fail "mentions through the redirect gave $(lines "$out") lines: $err"
[ "$(grep -c "^GET /statuses/mentions.xml?count=3 " "$work/good.log")" -eq 2 ] &&
    grep -A1 "^GET /statuses/mentions.xml?count=3 307$" "$work/good.log" | grep -q " 200$" ||
    fail "not one redirect then the answer over https: $(cat "$work/good.log")"

# No CA file: only the system's store, which does not know the test CA.
run 0 service set "https://localhost:$port" --ca-file ''
run 2 fetch timeline
expect_in "The certificate of 'localhost' is not trusted: unable to get local issuer certificate" "$err"
[ -z "$out" ] || fail "an untrusted server's answer was printed"

start strangers
run 0 service set "https://localhost:$port" --ca-file ca.pem
run 2 fetch timeline
expect_in "The certificate of 'localhost' is not trusted" "$err"

start elsewhere
run 0 service set "https://localhost:$port"
run 2 fetch timeline
expect_in "The certificate of 'localhost' is for 'service.example', not 'localhost'" "$err"

# A CA file that holds no certificate is refused when it is set.
echo "not a certificate" >bad.pem
run 2 service set --ca-file bad.pem
expect_in "Cannot use '$work/bad.pem' as a CA file: no PEM certificate in it" "$err"
run 2 service set "ftp://localhost"
expect_in "the scheme is not http:// or https://" "$err"

finish "warblet-cli reaches the stand-in over https and names each bad certificate"
