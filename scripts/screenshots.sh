#!/usr/bin/env bash
# Makes every picture in docs/screenshots/ from the current program:
#   scripts/screenshots.sh [BUILD_DIR]     (default build/release)
# It builds the virtual board and the development tools that take the
# pictures, then runs them on a private X display (Xvfb, 1600x900) in a mount
# namespace of its own, where the user's home is /home/user, the program
# folder /home/user/veltra (holding the examples) and the runtime folder
# /run/user/1000: no path of this machine or of the build shows in a picture.
#
# A new picture is one line at the end of this script, or one row in a
# tool's own list (kShots in devtools/EditorScreenshots.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

tools=(veltra-board veltra-editor-screenshots veltra-help-screenshots veltra-board-screenshot
       veltra-run-screenshot)

if [ -z "${VELTRA_SHOTS_STAGE:-}" ]; then
    build=$(realpath -m "${1:-build/release}")
    for tool in Xvfb unshare; do
        command -v "$tool" >/dev/null || {
            echo "screenshots.sh needs $tool (apt-get install xvfb util-linux)" >&2
            exit 1
        }
    done
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF >/dev/null
    fi
    cmake --build "$build" -j"$(nproc)" --target "${tools[@]}"
    # The tools and the examples wait where the private mounts below leave
    # them in sight (the tree itself may live under /home).
    stage=$(mktemp -d /tmp/veltra-shots.XXXXXX)
    trap 'rm -rf "$stage"' EXIT
    mkdir "$stage/bin" "$stage/out"
    for tool in "${tools[@]}"; do cp "$build/bin/$tool" "$stage/bin/"; done
    cp examples/*.txt "$stage/"
    # Private mounts, and root inside so that they can be made, for this run only.
    VELTRA_SHOTS_STAGE=$stage unshare --mount --map-root-user --propagation private "$0"
    cp "$stage"/out/*.png docs/screenshots/
    echo "written to docs/screenshots/: $(cd "$stage/out" && echo *.png)"
    exit 0
fi

stage=$VELTRA_SHOTS_STAGE
bin=$stage/bin
out=$stage/out

# The neutral folders, in memory that goes when this run ends.
mount -t tmpfs tmpfs /home
mount -t tmpfs tmpfs /run
home=/home/user
folder=$home/veltra
mkdir -p "$folder" "$home/.config" "$home/.local/state" /run/user/1000
chmod 700 /run/user/1000
cp "$stage"/*.txt "$folder/"
# The virtual board on COM1, which the editor starts itself; COM2 an adapter
# that is not plugged in.
printf '[LINK]\nPORT_NAME=COM1\n[PORTS]\nCOM1=/run/user/1000/veltra/virtual-board\nCOM2=/dev/ttyUSB0\n' \
    >"$folder/Veltra.ini"

export HOME=$home USER=user LOGNAME=user
export XDG_CONFIG_HOME=$home/.config XDG_STATE_HOME=$home/.local/state XDG_RUNTIME_DIR=/run/user/1000
export LANG=C.UTF-8 QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done

# The pictures: the editor's (it starts the virtual board beside itself),
# the help windows', the board window's, the run view paused at a breakpoint.
cd "$folder"
"$bin/veltra-editor-screenshots" "$out"
"$bin/veltra-help-screenshots" "$out"
"$bin/veltra-board-screenshot" "$out/virtual-board.png"
"$bin/veltra-board-screenshot" "$out/virtual-board-running.png" "$folder/04-port-patterns.txt" 1850
"$bin/veltra-run-screenshot" "$folder/02-traffic-light.txt" 18 "$out/run-view.png"
