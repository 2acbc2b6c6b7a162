#!/usr/bin/env bash
# The cabinet a web page installs the player control from: its files, its
# INF, the bitness and version of what it holds, its signature, and the page
# that names it.
# (The x86-64 binutils read the binaries of both bitnesses.)
#   web_cab_check.sh CAB CERT PLATFORM(x86|x64) PAGE
set -euo pipefail
cab=$1 cert=$2 platform=$3 page=$4
windres=x86_64-w64-mingw32-windres objdump=x86_64-w64-mingw32-objdump
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

libraries=(Rewyn.dll Lumora.dll framix.dll auralis.dll capstan.dll)
listed=$(gcab --list "$cab" | sort | tr '\n' ' ')
wanted=$(printf '%s\n' Rewyn.inf "${libraries[@]}" | sort | tr '\n' ' ')
[ "$listed" = "$wanted" ] || fail "the cabinet holds $listed, not $wanted"
gcab --extract --directory "$work" "$cab"
inf=$work/Rewyn.inf
tr -d '\r' <"$inf" >"$work/inf.txt"

# value SECTION KEY: the value of KEY in [SECTION] of the INF.
value() { awk -F= -v s="[$1]" -v k="$2" '/^\[/ {in_s = ($0 == s); next} in_s && $1 == k {print $2}' "$work/inf.txt"; }

case $platform in x86) format=pei-i386 ;; x64) format=pei-x86-64 ;; *) echo "unknown platform $platform"; exit 2 ;; esac
for dll in "${libraries[@]}"; do
  [ "$(value Add.Code "$dll")" = "$dll" ] || fail "[Add.Code] does not install $dll"
  [ "$(value "$dll" "file-win32-$platform")" = thiscab ] || fail "[$dll] does not take it from this cabinet for $platform"
  "$objdump" -f "$work/$dll" | grep -q "file format $format" || fail "$dll is not $format"
done

# The control's section: registered, by its class, at the version the DLL carries.
resources=$("$windres" -i "$work/Rewyn.dll" -O rc 2>/dev/null || true)
version=$(awk '$1 == "FILEVERSION" {$1 = ""; gsub(/ /, ""); print}' <<<"$resources")
[ -n "$version" ] || fail "Rewyn.dll has no version resource"
[ "$(value Rewyn.dll FileVersion)" = "$version" ] || fail "the INF's FileVersion $(value Rewyn.dll FileVersion) is not Rewyn.dll's $version"
[ "$(value Rewyn.dll RegisterServer)" = yes ] || fail "Rewyn.dll is not registered on install"
clsid=$(value Rewyn.dll clsid)
grep -q '"OLESelfRegister"' <<<"$resources" || fail "Rewyn.dll is not marked self-registering"
echo "cabinet for $platform: Rewyn.dll $version, class $clsid"
grep -qiF "classid=\"clsid:${clsid//[\{\}]/}\"" "$page" || fail "the page does not embed class $clsid"
grep -qF "\"$(basename "$cab")\"" "$page" || fail "the page does not name $(basename "$cab")"
grep -qF "#version=$version\"" "$page" || fail "the page's codebase does not ask for version $version"

# The signature holds for the cabinet as made and fails for a changed copy.
osslsigncode verify -CAfile "$cert" -in "$cab" >"$work/verify.txt" 2>&1 || fail "signature: $(tail -3 "$work/verify.txt")"
grep -q "Signature verification: ok" "$work/verify.txt" || fail "osslsigncode did not report a good signature"
cp "$cab" "$work/changed.cab"
size=$(stat -c %s "$cab")
printf '\xff' | dd of="$work/changed.cab" bs=1 seek=$((size / 2)) conv=notrunc status=none
osslsigncode verify -CAfile "$cert" -in "$work/changed.cab" >/dev/null 2>&1 && fail "a changed cabinet still verifies"

[ $failed -eq 0 ] && echo "cabinet, INF and signature as they should be"
exit $failed
