#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's private prefix:
#   wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is created once, under a lock, so that tests started in parallel
# do not race to create it.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No installer prompts (mscoree, mshtml), and no menu builder: it makes
# menu and desktop folders in the user's home each time the prefix starts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEARCH=win64
if [ ! -e "$prefix/.kx-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -e "$prefix/.kx-ready" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w || true
            touch "$prefix/.kx-ready"
        fi
    ) 9>"$prefix.lock"
fi
exec wine "$@"
