#!/usr/bin/env bash
# Every path that a page of the docs names in backticks exists in the repository: a map that points
# at moved or removed files is worse than none.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
missing=0
checked=0
for page in "$root"/docs/*.md; do
  while read -r path; do
    checked=$((checked + 1))
    # A name with * stands for the files it matches.
    if ! compgen -G "$root/$path" >/dev/null; then
      echo "${page#$root/}: $path does not exist"
      missing=$((missing + 1))
    fi
  done < <(grep -oE '`(src|tests|bench|tools|docs|cmake|samples)/[^` ]*`' "$page" | tr -d '`' | sort -u)
done
echo "$checked paths named, $missing missing"
[ "$missing" -eq 0 ] && [ "$checked" -gt 0 ]
