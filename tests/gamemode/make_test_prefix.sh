#!/usr/bin/env bash
# Creates the game-mode suites' own Wine prefix (once) and registers the
# browser stand-in for http and https in it, so pages a game mode opens land
# in a log instead of a browser, and shortcuts land on this prefix's desktop
# (HOME is a scratch folder, so no desktop of the user is linked in).
#   make_test_prefix.sh BUILD_DIR
set -euo pipefail
BUILD="$1"
# This prefix gets its own persistent server, started detached by scripts/wine.
unset VENTARO_WINE_WARM
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="$BUILD/gamemode-test/prefix" HOME="$BUILD/gamemode-test/home"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
"$ROOT/scripts/wine" --init
browser="$(winepath -w "$BUILD/bin/BrowserStandIn.exe" 2>/dev/null)"
for scheme in http https; do
    "$ROOT/scripts/wine" reg add "HKCR\\$scheme\\shell\\open\\command" /ve /d "\"$browser\" \"%1\"" /f >/dev/null
done
# The same for the COM service (shell links need it).
"$ROOT/scripts/wine" net start RpcSs </dev/null >/dev/null 2>&1 || true
# Wine starts its desktop process with the first window of a session; start
# it here, detached, so it never holds the output pipe of a suite.
VENTARO_STUB_LOG= "$ROOT/scripts/wine" "$BUILD/bin/StubProgram.exe" </dev/null >/dev/null 2>&1 &
sleep 3
"$ROOT/scripts/wine" taskkill /im StubProgram.exe </dev/null >/dev/null 2>&1 || true
wait || true
echo "game-mode test prefix ready: $WINEPREFIX"
