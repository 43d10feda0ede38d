#!/usr/bin/env bash
# Installs what is missing, builds in Release and starts the editor connected
# to the virtual board: veltra-board runs in the background on a
# pseudo-terminal, COM1 of the editor's Veltra.ini is pointed at it, and the
# board stops when the editor exits.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
veltra_install_deps

build="$PWD/build/release"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

bin="$build/bin"
ini="$bin/Veltra.ini"
link="$build/virtual-board"
log="$build/virtual-board.log"

# Sets KEY=VALUE in [SECTION] of an INI file and leaves every other line as
# it is: the line of the key is replaced, or the key is added after the
# section's last key, or the section is appended. The editor keeps the file
# without write bits between its accesses; they are put back the same way.
set_ini_key() {
    local file=$1 section=$2 key=$3 value=$4
    [ -e "$file" ] || : >"$file"
    chmod u+w "$file"
    awk -v section="$section" -v key="$key" -v value="$value" '
        function trim(s) { sub(/^[ \t]+/, "", s); sub(/[ \t\r]+$/, "", s); return s }
        function flush_insert() {
            if (in_section && !done) { lines[insert_at] = lines[insert_at] "\n" key "=" value eol; done = 1 }
        }
        {
            line = $0
            eol = (line ~ /\r$/) ? "\r" : ""
            body = trim(line)
            n++
            lines[n] = line
            if (body ~ /^\[/) {
                flush_insert()
                name = body; sub(/^\[[ \t]*/, "", name); sub(/[ \t]*\].*$/, "", name)
                in_section = (toupper(name) == toupper(section)) && !seen
                if (in_section) { seen = 1; insert_at = n }
                next
            }
            if (in_section && !done && body !~ /^[;#]/ && index(body, "=") > 0) {
                k = trim(substr(body, 1, index(body, "=") - 1))
                if (toupper(k) == toupper(key)) { lines[n] = key "=" value eol; done = 1; next }
                insert_at = n
            }
        }
        END {
            flush_insert()
            for (i = 1; i <= n; i++) print lines[i]
            if (!done) { print "[" section "]"; print key "=" value }
        }' "$file" >"$file.new"
    mv "$file.new" "$file"
    chmod a-w "$file"
}

# On a desktop the board shows its window (LEDs, ports, buttons) beside the
# editor: left of where the editor centres itself (642 pixels wide), since its
# help windows dock at its right; the board works out the place from the
# screen and both windows' frames, narrowing its window where it must.
view=()
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then view=(--view --beside 642); fi

rm -f "$link"
"$bin/veltra-board" --link "$link" "${view[@]}" 2>"$log" >/dev/null &
board=$!
stop_board() {
    kill "$board" 2>/dev/null || true
    wait "$board" 2>/dev/null || true
}
trap stop_board EXIT

for _ in $(seq 200); do
    [ -e "$link" ] && break
    if ! kill -0 "$board" 2>/dev/null; then
        echo "veltra-board did not start; see $log" >&2
        exit 1
    fi
    sleep 0.05
done
[ -e "$link" ] || { echo "veltra-board made no $link; see $log" >&2; exit 1; }

set_ini_key "$ini" PORTS COM1 "$link"
if grep -qiE '^[[:space:]]*PORT_NAME[[:space:]]*=' "$ini" &&
   ! grep -qiE '^[[:space:]]*PORT_NAME[[:space:]]*=[[:space:]]*COM1[[:space:]]*$' "$ini"; then
    echo "Note: the settings choose another port than COM1; choose COM1 in the settings dialog for the virtual board." >&2
fi

echo "virtual board on $link (frames logged to $log)"
"$bin/veltra"
