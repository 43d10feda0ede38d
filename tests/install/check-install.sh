#!/usr/bin/env bash
# Installs a build tree into a temporary DESTDIR under the prefix /usr and
# checks what lands there: the programs with their manual pages, the menu
# entry, the icon in every size, the metainfo and the documentation. The
# validators run when they are installed.
# Usage: check-install.sh CMAKE BUILD_DIR PROGRAM...
set -euo pipefail
cmake=$1
build=$2
shift 2
programs=("$@")
id=io.github.veltra.Veltra

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR=$dest "$cmake" --install "$build" --prefix /usr >/dev/null
root=$dest/usr
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

[ "$(ls -A "$dest")" = usr ] || fail "files outside the prefix: $(ls -A "$dest")"
[ ${#programs[@]} -gt 0 ] || fail "no programs named"
metainfo=$root/share/metainfo/$id.metainfo.xml
for program in "${programs[@]}"; do
  [ -x "$root/bin/$program" ] || fail "bin/$program missing or not executable"
  page=$root/share/man/man1/$program.1.gz
  if ! gzip -t "$page" 2>/dev/null; then
    fail "$program has no manual page ${page#"$root"/}"
    continue
  fi
  grep -q "<binary>$program</binary>" "$metainfo" || fail "the metainfo does not provide $program"
  # Every option the program's usage names is in its manual page (the
  # editor has no usage to print: started, it opens its window).
  [ "$program" = veltra ] && continue
  manual=$(gzip -dc "$page" | sed 's/\\-/-/g')
  while read -r option; do
    grep -qE -- "(^|[^a-z0-9-])$option([^a-z0-9-]|\$)" <<<"$manual" || fail "the manual page of $program lacks $option"
  done < <("$root/bin/$program" --help | grep -oE -- '--[a-z0-9-]+' | sort -u)
done
# A program installed without being named has no manual page or metainfo entry.
for file in "$root"/bin/*; do
  name=${file##*/}
  [[ " ${programs[*]} " == *" $name "* ]] || fail "bin/$name is installed but not among the programs"
done
for file in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg share/doc/veltra/README.md \
  share/doc/veltra/docs/scenarios.md share/doc/veltra/docs/editors.md \
  share/doc/veltra/docs/screenshots/virtual-board.png share/doc/veltra/README.ru.md \
  share/doc/veltra/copyright; do
  [ -s "$root/$file" ] || fail "$file missing"
done

# Each PNG has the size of the folder it is in (width and height from its header).
for size in 16 24 32 48 64 128 256; do
  png=$root/share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ ! -s "$png" ]; then
    fail "$png missing"
    continue
  fi
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((w0 << 24) + (w1 << 16) + (w2 << 8) + w3))
  h=$(((h0 << 24) + (h1 << 16) + (h2 << 8) + h3))
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x${h}"
done

# The menu entry starts a program that was installed and names the icon.
desktop=$root/share/applications/$id.desktop
# It takes the file "Open with" gives it, and docks pair the window with it
# by the window class the editor sets.
grep -qx "Exec=veltra %f" "$desktop" || fail "Exec is not the installed veltra with its file"
grep -qx "StartupWMClass=veltra" "$desktop" || fail "StartupWMClass is not the editor's window class"
grep -qx "Icon=$id" "$desktop" || fail "Icon is not $id"
grep -qx "Categories=Development;Electronics;" "$desktop" || fail "Categories"
grep -q "^Name\[ru\]=" "$desktop" || fail "no Russian name"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not launch the desktop entry"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate not installed: not run"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" >/dev/null || fail "appstreamcli validate"
else
  echo "appstreamcli not installed: not run"
fi

# The installed tools work on the installed examples.
examples=$root/share/doc/veltra/examples
"$root/bin/veltra-check" --format=gcc "$examples"/*.txt || fail "installed examples do not check"
for scenario in "$examples"/*.scenario; do
  "$root/bin/veltra-board" --scenario "$scenario" >/dev/null || fail "$scenario"
done

# The installed language server answers an editor's first and last words.
lsp_message() { printf 'Content-Length: %d\r\n\r\n%s' "${#1}" "$1"; }
answer=$({
  lsp_message '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}}'
  lsp_message '{"jsonrpc":"2.0","id":2,"method":"shutdown"}'
  lsp_message '{"jsonrpc":"2.0","method":"exit"}'
} | "$root/bin/veltra-lsp") || fail "installed veltra-lsp did not exit 0 after shutdown and exit"
case $answer in *'"name":"veltra-lsp"'*) ;; *) fail "installed veltra-lsp did not answer initialize" ;; esac

[ "$failed" = 0 ] && echo "installed tree complete"
exit "$failed"
