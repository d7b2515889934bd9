#!/usr/bin/env bash
# The user guide installs beside the program: every page of docs/guide as HTML with its pictures under
# share/doc/vantri/guide, where Help looks from bin/vantri, and no page links to a Markdown file or to
# a page or picture that is not there.
set -euo pipefail
build=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
guide=$prefix/share/doc/vantri/guide
[ -x "$prefix/bin/vantri" ] || { echo "no bin/vantri"; exit 1; }
faults=0
for page in "$root"/docs/guide/*.md; do
  html=$guide/$(basename "${page%.md}").html
  if [ ! -f "$html" ]; then
    echo "missing: ${html#$prefix/}"; faults=$((faults + 1)); continue
  fi
  while read -r target; do
    file=${target%%#*}
    [ -n "$file" ] || continue
    case $file in http:* | https:* | mailto:*) continue ;; esac
    if [ ! -f "$guide/$file" ]; then
      echo "$(basename "$html") links to a missing $target"; faults=$((faults + 1))
    fi
  done < <(grep -oE '(href|src)="[^"]*"' "$html" | sed -E 's/^(href|src)="//; s/"$//' | sort -u)
done
echo "$(ls "$guide"/*.html | wc -l) pages installed, $faults faults"
[ "$faults" -eq 0 ]
