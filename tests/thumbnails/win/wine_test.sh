#!/usr/bin/env bash
# The thumbnail server under Wine, as the shell meets it:
#   wine_test.sh CASES_TOOL DLL COM_TEST WORKDIR
# regsvr32 registers the server; reg query finds the module keys, the 102 extension handlers and the
# class entries; com_test.exe creates the classes through COM and compares their bitmaps with the
# pictures CASES_TOOL draws with the Linux core; regsvr32 /u removes it all but the extension keys and
# another program's handler. The Wine prefix lives in WORKDIR and is kept for the next run.
set -euo pipefail
cases_tool=$1 dll=$2 com_test=$3
mkdir -p "$4"
work=$(cd "$4" && pwd) # Wine wants an absolute prefix

export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY # nothing here needs a window; without a display Wine draws into memory only

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Every Wine process gets a deadline, so that a stuck one cannot hold up the run.
w() { timeout -k 10 120 wine "$@"; }
windows_path() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
trap 'timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true' EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "-- making the Wine prefix $WINEPREFIX"
  timeout -k 10 600 wineboot -i >"$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
fi
# One server for all the calls below (killed on exit): a server that quits between two calls can fail
# the second. wineboot's own, or one an interrupted run left, goes first.
timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true
timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
timeout -k 10 60 wineserver -p </dev/null >/dev/null 2>&1

rm -rf "$work/cases"
mkdir -p "$work/cases"
"$cases_tool" "$work/cases"

dll_win=$(windows_path "$dll")
handler='{BB2E617C-0920-11d1-9A0B-00C04FC2D6C1}'
appid='{021587A7-4EBB-436B-AF8E-A628AA88880B}'
libid='{884EF2A1-8F54-487E-9951-614DF5534BD1}'
declare -A clsid=([di]='{CC2003B7-1D01-4101-99CB-17FB41C57F20}' [mdt]='{460A2961-F7AC-4719-A061-10964D608739}'
                  [spm]='{2D582CE5-FF71-412B-B7C1-8C2A34F767C6}')
extensions=(.spm .mdt)
classes=(spm mdt)
for n in $(seq -w 0 99); do extensions+=(".0$n"); classes+=(di); done

# reg query KEY [ARGS...] -> its output without carriage returns; fails as reg does. Asked twice before
# taking a failure for an answer: a Wine process now and then fails to start.
query() {
  local out
  out=$(w reg query "$@" 2>/dev/null) || out=$(w reg query "$@" 2>/dev/null) || return 1
  printf '%s\n' "${out//$'\r'/}"
}
# expect_in TEXT WANTED... -> a failure for each WANTED line that TEXT does not hold.
expect_in() {
  local text=$1 what=$2; shift 2
  for wanted in "$@"; do grep -qiF -- "$wanted" <<<"$text" || fail "$what lacks: $wanted"; done
}

# A clean start, whatever an earlier run left, and another program's handler that must survive us.
w regsvr32 /u /s "$dll_win" >/dev/null 2>&1 || true
w reg delete 'HKCR\.mdt\ShellEx' /f >/dev/null 2>&1 || true
other='{E357FCCD-A995-4576-B01F-234630154E96}'
w reg add "HKCR\\.mdt\\ShellEx\\$other" /ve /d '{00000000-1111-2222-3333-444444444444}' /f >/dev/null
query "HKCR\\.000\\ShellEx\\$handler" >/dev/null && fail "a handler is registered before regsvr32"

echo "-- regsvr32"
w regsvr32 /s "$dll_win" || fail "regsvr32 returned $?"

found=0
for i in "${!extensions[@]}"; do
  ext=${extensions[$i]}
  if out=$(query "HKCR\\$ext\\ShellEx\\$handler" /ve) && grep -qiF "${clsid[${classes[$i]}]}" <<<"$out"; then
    found=$((found + 1))
  else
    fail "$ext has no handler naming ${clsid[${classes[$i]}]}"
  fi
done
echo "extension handlers found: $found of ${#extensions[@]}"
[ "$found" -eq 102 ] || fail "$found extension handlers, expected 102"

out=$(query "HKCR\\AppID\\$appid" /ve) || fail "AppID\\$appid missing"
expect_in "$out" "AppID\\$appid" VantriThumbnails
out=$(query 'HKCR\AppID\VantriThumbnails.DLL' /v AppID) || fail "AppID\\VantriThumbnails.DLL missing"
expect_in "$out" "AppID\\VantriThumbnails.DLL" "$appid"

entries=0
for c in di mdt spm; do
  progid="VantriThumbnails.${c}ImExtractor"
  name="C${c}ImExtractor Object"
  if out=$(query "HKCR\\CLSID\\${clsid[$c]}" /s); then
    entries=$((entries + 1))
    expect_in "$out" "CLSID\\${clsid[$c]}" "$name" "\\ProgID" "$progid.1" "\\VersionIndependentProgID" \
      "\\Programmable" "\\InprocServer32" "$dll_win" "ThreadingModel" "Apartment" "\\TypeLib" "$libid" "$appid"
  else
    fail "CLSID\\${clsid[$c]} missing"
  fi
  out=$(query "HKCR\\$progid.1" /s) || fail "$progid.1 missing"
  expect_in "$out" "$progid.1" "$name" "${clsid[$c]}"
  out=$(query "HKCR\\$progid" /s) || fail "$progid missing"
  expect_in "$out" "$progid" "$name" "${clsid[$c]}" "\\CurVer" "$progid.1"
done
echo "class entries found: $entries of 3"
out=$(query "HKCR\\TypeLib\\$libid" /s) || fail "TypeLib\\$libid missing"
expect_in "$out" "TypeLib\\$libid" "1.0" "win64" "$dll_win"

echo "-- com_test.exe"
w "$(windows_path "$com_test")" "$dll_win" "$(windows_path "$work/cases")" || fail "com_test.exe returned $?"

echo "-- regsvr32 /u"
w regsvr32 /u /s "$dll_win" || fail "regsvr32 /u returned $?"
kept=0 gone=0
for ext in "${extensions[@]}"; do
  if ! out=$(query "HKCR\\$ext" /s); then
    fail "$ext itself was removed"
    continue
  fi
  kept=$((kept + 1))
  if grep -qiF "$handler" <<<"$out"; then
    fail "$ext still has the handler"
  else
    gone=$((gone + 1))
  fi
  # ShellEx goes with our handler unless something else is left in it (as under .mdt here).
  [ "$ext" = .mdt ] || ! grep -qiF '\ShellEx' <<<"$out" || fail "$ext\\ShellEx is left empty instead of removed"
done
echo "after regsvr32 /u: $kept extension keys kept, $gone handlers removed"
out=$(query "HKCR\\.mdt\\ShellEx\\$other" /ve) || fail "another program's handler under .mdt was removed"
w reg delete 'HKCR\.mdt\ShellEx' /f >/dev/null 2>&1 || true
for key in "AppID\\$appid" 'AppID\VantriThumbnails.DLL' "TypeLib\\$libid" "CLSID\\${clsid[di]}" \
    "CLSID\\${clsid[mdt]}" "CLSID\\${clsid[spm]}" VantriThumbnails.diImExtractor VantriThumbnails.diImExtractor.1 \
    VantriThumbnails.mdtImExtractor VantriThumbnails.mdtImExtractor.1 VantriThumbnails.spmImExtractor \
    VantriThumbnails.spmImExtractor.1; do
  query "HKCR\\$key" >/dev/null && fail "HKCR\\$key is left after regsvr32 /u"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "all passed"
