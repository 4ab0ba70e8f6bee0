#!/usr/bin/env bash
# Keeps the layering of the product code: each folder includes only folders
# of its own layer or below (docs/porting.md lists the layers), and only
# backend files include platform headers; no two files include each other,
# even through others. Prints each offending include or cycle and fails
# when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Folder -> layer, bottom 0.
declare -A layer=(
  [base]=0 [resources]=0
  [net]=1 [overlay]=1
  [settings]=2
  [photos]=3
  [slideshow]=4
  [update]=5 [weather]=5
  [harvest]=6
  [setup]=7
  [host]=8
)
# A backend file is named for its platform; the GL renderer is the one
# portable file that may include the GL headers.
backend='_(x11|win32|gtk|cairo|curl|wininet|dbus|gio|turbojpeg|fontconfig|xdg|posix|gdiplus|wgl)\.(cpp|h)$'
platform='^(X11/|GL/glx|gtk/|gdk/|gdk-pixbuf/|cairo|pango|curl/|turbojpeg|glib|gio/|fontconfig/|windows\.h|wininet\.h|shlobj\.h|objbase\.h|netlistmgr\.h|gdiplus|commctrl\.h)'
gl='^GL/'

bad=0
complain() {
  printf '%s:%s: %s\n' "$1" "$2" "$3"
  bad=1
}

for dir in "${!layer[@]}"; do
  [ -d "$dir" ] || continue
  while IFS= read -r file; do
    while IFS=: read -r line text; do
      inc=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$text")
      if [[ "$text" == *'"'* ]]; then
        top=${inc%%/*}
        if [ "$top" != "$inc" ] && [ -n "${layer[$top]+x}" ] && ((layer[$top] > layer[$dir])); then
          complain "$file" "$line" "$dir/ includes $inc from the layer above"
        fi
      elif ! [[ "$file" =~ $backend ]]; then
        if [ "$file" = overlay/gl_renderer.cpp ]; then
          [[ "$inc" =~ $gl || "$inc" == windows.h || ! "$inc" =~ $platform ]] ||
            complain "$file" "$line" "the renderer includes the platform header <$inc>"
        elif [[ "$inc" =~ $platform || "$inc" =~ $gl ]]; then
          complain "$file" "$line" "portable file includes the platform header <$inc>"
        fi
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include' "$file" || true)
  done < <(find "$dir" -name '*.cpp' -o -name '*.h')
done

# No include cycle anywhere, inside a folder too: a file and its header are
# one component, and each project include an edge between components.
folders=$(IFS='|'; echo "${!layer[*]}")
edges=$(grep -rHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"('"$folders"')/' \
          --include='*.cpp' --include='*.h' "${!layer[@]}" 2>/dev/null |
        sed -E 's/^([^:]+)\.(cpp|h):.*"([^"]+)\.(cpp|h)".*/\3 \1/' | awk '$1 != $2')
if ! cycle=$(tsort <<<"$edges" 2>&1 >/dev/null) || [ -n "$cycle" ]; then
  echo "include cycle:" >&2
  grep -v 'input contains a loop' <<<"$cycle" | sed 's/^tsort: /  /' >&2
  bad=1
fi

if [ "$bad" -ne 0 ]; then
  echo "layer check failed" >&2
  exit 1
fi
echo "layers: ok"
