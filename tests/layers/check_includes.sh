#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own.
# The folders read bottom-up: base -> profiles, ssh -> engine -> panes ->
# app; the resource ids (res/) are for everyone. A file may include its own
# folder and the folders below it, nothing else.
set -u
root="${1:-$(cd "$(dirname "$0")/../.." && pwd)}"

allowed() {  # folder of the including file -> folders it may include
  case "$1" in
    base) echo "base res" ;;
    ssh/crypto) echo "ssh/crypto base" ;;
    ssh) echo "ssh ssh/crypto base res" ;;
    profiles) echo "profiles base res" ;;
    engine) echo "engine profiles ssh ssh/crypto base res" ;;
    panes) echo "panes engine profiles ssh ssh/crypto base res" ;;
    app) echo "app panes engine profiles ssh ssh/crypto base res" ;;
  esac
}

failures=0
for folder in base ssh/crypto ssh profiles engine panes app; do
  may="$(allowed "$folder")"
  for file in "$root/$folder"/*.h "$root/$folder"/*.cpp; do
    [ -f "$file" ] || continue
    while IFS= read -r line; do
      header="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")"
      target="$(dirname "$header")"
      ok=0
      for m in $may; do [ "$target" = "$m" ] && ok=1; done
      if [ $ok -eq 0 ]; then
        echo "${file#"$root"/}: includes $header (a folder above $folder)"
        failures=$((failures + 1))
      fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/[^"]+"' "$file")
  done
done

if [ $failures -ne 0 ]; then
  echo "$failures include(s) run up the layers"
  exit 1
fi
echo "layers: every include stays in its folder or below"
