#!/usr/bin/env bash
# Set up, build and start the program; arguments go to the program.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build" >&2
exec "$here/build/bin/zelm" "$@"
