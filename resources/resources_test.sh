#!/bin/bash
# Checks the Windows program file: console subsystem, only system DLLs
# imported, the icon group with one 64x64 32-bit image, the project's version.
# Usage: resources_test.sh PROGRAM VERSION (four numbers, dotted)
set -eu
exe=$1
version=${2//./, }
icon=$(sed -n 's/^#define ZV_ICON_RESOURCE \([0-9]*\)$/\1/p' "$(dirname "$0")/resource_ids.h")
fail() { echo "FAIL: $*"; exit 1; }
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
grep -q 'Subsystem.*(Windows CUI)' <<<"$headers" || fail "not a console program"
while read -r dll; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | shell32.dll | shlwapi.dll | oleaut32.dll | msvcrt.dll) ;;
    *) fail "imports a non-system DLL: $dll" ;;
  esac
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
rc=$(x86_64-w64-mingw32-windres -J coff -i "$exe" -O rc)
grep -q "^$icon 14 /\\* RT_GROUP_ICON \\*/" <<<"$rc" || fail "no icon group $icon"
grep -q 'Has 1 elements' <<<"$rc" || fail "icon group must hold one image"
grep -q '"\\100\\100\\000\\000", 1, 32,' <<<"$rc" || fail "icon is not 64x64 at 32 bits"
grep -q "FILEVERSION $version\$" <<<"$rc" || fail "file version"
grep -q "PRODUCTVERSION $version\$" <<<"$rc" || fail "product version"
grep -q "\"FileVersion\", \"${2}\"" <<<"$rc" || fail "file version text"
echo "1 passed, 0 failed"
