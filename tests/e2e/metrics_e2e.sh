#!/usr/bin/env bash
# Runs the metrics test against a real Prometheus server: picks free loopback ports for
# Prometheus and for Vantrel's endpoint, writes a scrape configuration (every second) into
# WORKDIR, starts Prometheus there with its data in WORKDIR/data, starts an echo server at
# the far end of with_veth.sh's adapter (so that traffic comes in through it), runs the
# test, and has promtool check the exposition the test saved. Everything it started is
# stopped on the way out.
# Usage: metrics_e2e.sh WORKDIR COMMAND...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
work=$(cd "$1" && pwd)
shift
rm -rf "$work/data" "$work/metrics-sample.txt" "$work/echo.port" "$work/prometheus.log"

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
prometheus_port=$(free_port)
metrics_port=$(free_port)
while [[ "$metrics_port" == "$prometheus_port" ]]; do metrics_port=$(free_port); done

cat >"$work/prometheus.yml" <<CONFIG
global:
  scrape_interval: 1s
  scrape_timeout: 1s
scrape_configs:
  - job_name: vantrel
    static_configs:
      - targets: ['127.0.0.1:$metrics_port']
CONFIG

started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
  --web.listen-address="127.0.0.1:$prometheus_port" >"$work/prometheus.log" 2>&1 &
started+=($!)
ready=
for _ in $(seq 300); do
  if python3 -c "import urllib.request, sys; urllib.request.urlopen('http://127.0.0.1:$prometheus_port/-/ready', timeout=2)" 2>/dev/null; then
    ready=1
    break
  fi
  kill -0 "${started[0]}" 2>/dev/null || break
  sleep 0.2
done
[[ -n "$ready" ]] || { echo "metrics_e2e.sh: Prometheus did not start:" >&2; tail -20 "$work/prometheus.log" >&2; exit 1; }

if [[ -n "${VANTREL_E2E_NETNS:-}" ]]; then
  ip netns exec "$VANTREL_E2E_NETNS" python3 "$here/echo_server.py" "$VANTREL_E2E_PEER" "$work/echo.port" &
  started+=($!)
  for _ in $(seq 100); do
    [[ -s "$work/echo.port" ]] && break
    sleep 0.1
  done
  [[ -s "$work/echo.port" ]] || { echo "metrics_e2e.sh: the echo server did not start" >&2; exit 1; }
  export VANTREL_E2E_ECHO_PORT=$(cat "$work/echo.port")
fi

export VANTREL_METRICS_PORT=$metrics_port VANTREL_PROMETHEUS_PORT=$prometheus_port VANTREL_METRICS_WORK=$work
status=0
"$@" || status=$?
# The exposition the service served, as Prometheus's own checker reads it.
if [[ -f "$work/metrics-sample.txt" ]]; then
  promtool check metrics <"$work/metrics-sample.txt" || status=1
fi
exit "$status"
