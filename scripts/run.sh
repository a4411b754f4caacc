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
# In the IDE: pick "Visualization > Traffic light crossing" and press Run.
if [ -x build/bin/korvo ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/korvo examples/crossing/crossing.plp
fi
[ -x build/bin/korvo ] && echo "No display found: running the example headless with korvo-cli." >&2
# 12 s of plant time: the pedestrian presses the button at 0.5 s; after that the walkers get green.
exec build/bin/korvo-cli run --cycles 1200 --tick 10 --at 50:%IX0.0=1 --at 60:%IX0.0=0 \
  --print phase --print car_green --print walk_green --stats "$example"
