#!/usr/bin/env bash
# Play Orvantis: installs what is missing, builds, and starts the game in
# this terminal (80 x 53 or larger). Extra arguments go to the game.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/tools/setup.sh" deps play
"$here/tools/setup.sh" build build-play -DORVANTIS_TESTS=OFF -DORVANTIS_BENCH=OFF
exec "$here/build-play/orvantis" "$@"
