#!/bin/sh
# Checks that every #include "folder/..." of the program's own folders points
# down the layers: base <- platform <- settings <- metadata <- engine <-
# {cli, ui}. A file may include its own folder and any folder to its left,
# never one to its right; cli and ui never include each other. Tests, fuzz
# targets and benchmarks may include anything.
#
#   tests/check_layers.sh [ROOT]     (ROOT: the source tree, default ".")
# Prints every wrong include and exits 1 when there is one.
root=${1:-.}
rank() {
  case $1 in
    base) echo 0 ;; platform) echo 1 ;; settings) echo 2 ;; metadata) echo 3 ;;
    engine) echo 4 ;; cli) echo 5 ;; ui) echo 6 ;; *) echo -1 ;;
  esac
}
for folder in base platform settings metadata engine cli ui; do
  [ -d "$root/$folder" ] || continue
  own=$(rank "$folder")
  # file:line:#include "target/..."
  find "$root/$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -exec \
    grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]*/' {} + |
  while IFS= read -r hit; do
    target=$(printf '%s\n' "$hit" | sed 's/.*#[[:space:]]*include[[:space:]]*"\([^"/]*\)\/.*/\1/')
    to=$(rank "$target")
    [ "$to" -lt 0 ] && continue          # not one of the layers
    if [ "$to" -gt "$own" ] || { [ "$folder" = ui ] && [ "$target" = cli ]; }; then
      echo "wrong direction: ${hit#$root/}"
    fi
  done
done | { out=$(cat); [ -z "$out" ] || { echo "$out"; exit 1; }; }
