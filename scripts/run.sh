#!/usr/bin/env bash
# Installs what is missing, builds Korvo and starts it on the bundled example project.
# Without a display the example is compiled and run headless with korvo-cli instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

example=examples/traffic_light/traffic_light.plp
if [ -x build/bin/korvo ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/korvo "$example"
fi
[ -x build/bin/korvo ] && echo "No display found: running the example headless with korvo-cli." >&2
exec build/bin/korvo-cli run --cycles 500 --tick 10 --trace-summary "$example"
