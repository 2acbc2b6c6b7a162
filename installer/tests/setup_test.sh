#!/usr/bin/env bash
# The setup program as a person uses it, in a Wine prefix of its own made for
# the run (the test's own Wine server, stopped at the end):
#   - a silent install; files and registry keys where they belong, in both
#     registry views; the version everywhere;
#   - a 64-bit container (the installed player program) and a 32-bit one each
#     create the control and show a fixture opened through FILE OPEN;
#   - the installed Ostra logs in against the recorder simulator and opens the
#     remote functions in the 32-bit stand-in controls (registered here);
#   - the shell opens an .am4 file in the player;
#   - the silent uninstall leaves Program Files, the Start menu and the
#     registry as they were before, but for the user's site list.
#   setup_test.sh SETUP VERSION BIN32 BIN64 WORK
set -euo pipefail
setup=$1 version=$2 bin32=$3 bin64=$4 work=$5
product="DVR Desktop Client"
commas=${version//./,}
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Keys and values that Wine itself, the test's drivers or the person's use
# change while programs run: sound devices, display classes, network cards,
# the console, the drivers' per-program settings, the open-file dialog's
# recent folders, and the uninstaller's copy of itself in Temp, which goes at
# the next start of Windows.
noise='MMDevices\\\\Audio|winepulse\.drv|^\[Console\]|Wine\\\\AppDefaults|Control\\\\Class\\\\\{4D36E96[8E]-|NetworkCards|ComDlg32|PendingFileRenameOperations'

# The prefix at rest: its files under Program Files and the Start menu, and
# its registry as one line a key and one a value (with its key), without the
# times Wine keeps beside each key and without the noise.
snapshot() {
  wineserver -w
  (cd "$WINEPREFIX/drive_c" && find "Program Files" "Program Files (x86)" "ProgramData/Microsoft/Windows/Start Menu" |
    sort) >"$work/$1.files"
  for hive in system user userdef; do
    awk '/^#time=/ {next} /^\[/ {sub(/\] [0-9]+$/, "]"); key = $0; print key; next} NF {print key " " $0}' \
      "$WINEPREFIX/$hive.reg"
  done | grep -Ev "$noise" >"$work/$1.reg"
}

# reg VIEW KEY [NAME]: the data of a value (the default one without NAME), as reg reads it.
reg() {
  local value=(/ve)
  [ $# -gt 2 ] && value=(/v "$3")
  { wine reg query "$2" "${value[@]}" "/reg:$1" 2>/dev/null || true; } | tr -d '\r' |
    awk '!done && ($2 ~ /^REG_/ || $3 ~ /^REG_/) {sub(/^ *(\(Default\)|[^ ]+) +REG_[A-Z_]+ +/, ""); print; done = 1}'
}
expect_reg() {  # expect_reg VIEW KEY NAME|"" WANTED
  local got
  if [ -n "$3" ]; then got=$(reg "$1" "$2" "$3"); else got=$(reg "$1" "$2"); fi
  [ "$got" = "$4" ] || fail "$2 ${3:-(default)} in the $1-bit view is '$got', not '$4'"
}

wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Windows comes with the component categories of safe controls; Wine's prefix
# gains them when a first control registers, so they are made here as Windows has them.
for category in '{7DD95801-9882-11CF-9FA9-00AA006C42C4}:Controls that are safely scriptable' \
  '{7DD95802-9882-11CF-9FA9-00AA006C42C4}:Controls safely initializable from persistent data'; do
  wine reg add "HKCR\\Component Categories\\${category%%:*}" /v 409 /d "${category#*:}" /f /reg:64 >/dev/null 2>&1
done
snapshot before
echo "prefix made; installing"

wine "$setup" /S || { echo "FAIL: the setup program ended with $?"; exit 1; }
wineserver -w
drive=$WINEPREFIX/drive_c
dir64="$drive/Program Files/$product" dir32="$drive/Program Files (x86)/$product"
win64="C:\\Program Files\\$product" win32="C:\\Program Files (x86)\\$product"

# Files of each bitness in their Program Files, and the release's version in ours.
check_files() {  # check_files DIR FORMAT FILE...
  local dir=$1 format=$2 file
  shift 2
  for file in "$@"; do
    [ -f "$dir/$file" ] || { fail "$dir/$file is missing"; continue; }
    x86_64-w64-mingw32-objdump -f "$dir/$file" | grep -q "file format $format" || fail "$dir/$file is not $format"
  done
}
check_files "$dir64" pei-x86-64 Rewyn.dll Lumora.dll framix.dll auralis.dll capstan.dll "Rewyn Player.exe"
check_files "$dir64" pei-i386 uninstall.exe
check_files "$dir32" pei-i386 Rewyn.dll Lumora.dll LumoraBackup.dll framix.dll auralis.dll capstan.dll Ostra.exe \
  Velmora.dll Corvane.dll Hostwell.dll
[ -d "$dir32/CONFIG" ] || fail "no CONFIG folder beside Ostra"
for file in "$dir64/Rewyn.dll" "$dir64/Lumora.dll" "$dir64/Rewyn Player.exe" "$dir32/Rewyn.dll" "$dir32/Lumora.dll" \
  "$dir32/LumoraBackup.dll" "$dir32/Ostra.exe"; do
  got=$(x86_64-w64-mingw32-windres -i "$file" -O rc 2>/dev/null | awk '$1 == "FILEVERSION" {$1 = ""; gsub(/ /, ""); print}')
  [ "$got" = "$commas" ] || fail "$file carries version '$got', not $commas"
done

# The control in both registry views, each pointing at its own bitness, with its type library.
clsid=$(reg 64 'HKCR\REWYN.RewynCtrl.1\CLSID')
[ -n "$clsid" ] || fail "REWYN.RewynCtrl.1 is not registered in the 64-bit view"
expect_reg 32 'HKCR\REWYN.RewynCtrl.1\CLSID' "" "$clsid"
expect_reg 64 "HKCR\\CLSID\\$clsid\\InprocServer32" "" "$win64\\Rewyn.dll"
expect_reg 32 "HKCR\\CLSID\\$clsid\\InprocServer32" "" "$win32\\Rewyn.dll"
libid=$(reg 64 "HKCR\\CLSID\\$clsid\\TypeLib")
for kind in win64 win32; do  # (Wine writes the paths in their \\?\ form)
  got=$(reg 64 "HKCR\\TypeLib\\$libid\\1.0\\409\\$kind")
  [ "${got#\\\\?\\}" = "$([ $kind = win64 ] && echo "$win64" || echo "$win32")\\Rewyn.dll" ] ||
    fail "the type library for $kind is registered at '$got'"
done

# The file type, Add/Remove Programs and the Start menu.
expect_reg 64 'HKCR\.am4' "" Rewyn.BackupFile
expect_reg 64 'HKCR\Rewyn.BackupFile' "" "Backup file"
expect_reg 64 'HKCR\Rewyn.BackupFile\DefaultIcon' "" "$win64\\BackupFile.ico"
expect_reg 64 'HKCR\Rewyn.BackupFile\shell\open\command' "" "\"$win64\\Rewyn Player.exe\" \"%1\""
[ -f "$dir64/BackupFile.ico" ] || fail "the file type's icon is missing"
arp='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DVRDesktopClient'
expect_reg 64 "$arp" DisplayName "$product"
expect_reg 64 "$arp" DisplayVersion "$version"
expect_reg 64 "$arp" UninstallString "\"$win64\\uninstall.exe\""
expect_reg 64 "$arp" QuietUninstallString "\"$win64\\uninstall.exe\" /S"
[ -n "$(reg 64 "$arp" Publisher)" ] || fail "no publisher in Add/Remove Programs"
size=$(reg 64 "$arp" EstimatedSize)
[ $((size)) -gt 1000 ] || fail "the estimated size is '$size' KB"
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/$product"
for link in "Ostra Site Manager.lnk" "Rewyn Backup Player.lnk"; do
  [ -f "$menu/$link" ] || fail "no Start menu entry $link"
done
echo "installed: files, registry views, file type, Add/Remove Programs and Start menu checked"

# Both kinds of container create the installed control and show a file.
open_case='PlayerHost.OpensAFileThroughTheDialogAndShowsItsFirstPicture'
REWYN_PLAYER="$win64\\Rewyn Player.exe" wine "$bin64/playerhost_test.exe" --gtest_filter="$open_case" ||
  fail "the installed 64-bit player program did not show the file"
wine "$bin32/playerhost_test.exe" --gtest_filter="$open_case" || fail "a 32-bit container did not show the file"
wine "$bin64/playerhost_test.exe" --gtest_also_run_disabled_tests \
  --gtest_filter='PlayerHost.DISABLED_TheShellOpensABackupFileInThePlayer' || fail "the shell did not open the file"

# The installed Ostra with the stand-in controls (registered for the run only).
stand_ins=$(winepath -w "$bin32/remote_controls.dll")
wine 'C:\windows\syswow64\regsvr32.exe' /s "$stand_ins"
OSTRA_FOLDER="$win32" wine "$bin32/hosting_test.exe" \
  --gtest_filter='Hosting.EachFunctionHandsTheSiteToItsControlInItsOrderAndClosesBackToTheLauncher' ||
  fail "the installed Ostra did not log in and open the remote functions"
wine 'C:\windows\syswow64\regsvr32.exe' /u /s "$stand_ins"
rm -f "$bin32/remote_controls.log"

# The user's site list, saved as a standard user would, then the quiet uninstall.
printf '[SITE]\r\nCOUNT=0\r\n' >"$dir32/CONFIG/H264Site.ini"
cp "$dir32/CONFIG/H264Site.ini" "$work/site_list"
uninstaller=$(reg 64 "$arp" QuietUninstallString)
uninstaller=${uninstaller#\"}
uninstaller=${uninstaller%%\"*}
wine "$uninstaller" /S
wineserver -w
snapshot after

cmp -s "$work/site_list" "$dir32/CONFIG/H264Site.ini" || fail "the user's site list did not stay"
grep -vxF -e "Program Files (x86)/$product" -e "Program Files (x86)/$product/CONFIG" \
  -e "Program Files (x86)/$product/CONFIG/H264Site.ini" "$work/after.files" >"$work/after.others" || true
diff "$work/before.files" "$work/after.others" >"$work/files.diff" ||
  fail "the uninstall left Program Files or the Start menu otherwise than before: $(head -20 "$work/files.diff")"
diff "$work/before.reg" "$work/after.reg" >"$work/reg.diff" ||
  fail "the uninstall left the registry otherwise than before: $(head -40 "$work/reg.diff")"

[ $failed -eq 0 ] && echo "installed, used and uninstalled as it should be"
exit $failed
