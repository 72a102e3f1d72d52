#!/usr/bin/env bash
# Set up, build and start the window program; arguments go to the program.
#   scripts/run.sh [--no-splash] [FILE.sic | FILE.ppt]
# The command-line program instead: scripts/run.sh zelm ARGS... (for example
# scripts/run.sh zelm --help).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build" >&2
if [ "${1:-}" = "zelm" ]; then
  shift
  exec "$here/build/bin/zelm" "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
There is no display to show the window program on. To run it on a virtual
X server (Xvfb, installed by the set-up):

    xvfb-run -a -s "-screen 0 1280x800x24" scripts/run.sh $*

or look at its windows with scripts/screenshots.sh. The command-line program
needs no display: scripts/run.sh zelm --help
MSG
  exit 1
fi
exec "$here/build/bin/zelm-tessara" "$@"
