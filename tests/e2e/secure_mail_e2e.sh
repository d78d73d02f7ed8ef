#!/usr/bin/env bash
# Runs the secure mail test: makes a test CA and its certificates with openssl in WORKDIR,
# starts the TLS SMTP servers on 127.0.0.1 and runs the test program with their ports.
# Usage: secure_mail_e2e.sh WORKDIR COMMAND...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
dir=$(cd "$1" && pwd)/tls
shift
rm -rf "$dir"
mkdir -p "$dir"

quiet() { "$@" >/dev/null 2>&1 || { echo "secure_mail_e2e.sh: failed: $*" >&2; exit 1; }; }
ca() {  # name subject
  quiet openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 2 -keyout "$1.key" -out "$1.pem" -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
}
leaf() {  # name ca host
  printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' "$3" >"$1.ext"
  quiet openssl req -newkey rsa:2048 -nodes -sha256 -keyout "$1.key" -out "$1.csr" -subj "/CN=$3"
  quiet openssl x509 -req -sha256 -days 1 -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -set_serial "0x$(openssl rand -hex 8)" \
    -extfile "$1.ext" -out "$1.pem"
}
(
  cd "$dir"
  ca ca "Vantrel Test CA"
  ca otherca "Nobody's CA"
  leaf good ca localhost
  leaf other otherca localhost
  leaf wrongname ca mail.other.example
)

/usr/bin/python3 "$here/tls_smtp_server.py" "$dir" &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [[ -f "$dir/ports" ]] && break
  kill -0 "$server" 2>/dev/null || { echo "secure_mail_e2e.sh: the TLS server did not start" >&2; exit 1; }
  sleep 0.2
done
[[ -f "$dir/ports" ]] || { echo "secure_mail_e2e.sh: the TLS server did not listen" >&2; exit 1; }
while IFS== read -r kind port; do
  export "VANTREL_TLS_PORT_${kind^^}=$port"
done <"$dir/ports"
export VANTREL_TLS_DIR="$dir"
"$@"
