#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix: a silent install (/S) into Program Files
# with a Start-menu entry and an entry in the system's list of programs; the installed program
# shows its start screen and ends with Escape (exit code 0, taskbar back); the silent uninstall
# leaves no file, shortcut or registry entry of ours.
# Usage: installer_check.sh windows-build-folder path/to/tamri_play folder-for-screenshots
source "$(dirname "$0")/wine_desktop.sh"
windows_package 'tamri-*-setup-x64.exe' installer
setup=$package

began=$SECONDS
wine_desktop_start 1024x768
drive=$WINEPREFIX/drive_c
folder="$drive/Program Files/Tamri"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamri'
ours() { # everything of ours left in the prefix
  find "$drive" -iname 'tamri*' 2>/dev/null
  timeout 20 wine reg query "$uninstall_key" >/dev/null 2>&1 && echo "registry: $uninstall_key"
}

rc=0
timeout 120 wine "$setup" /S || rc=$?
[ "$rc" = 0 ] || fail "the silent install ended with exit code $rc"
[ -f "$folder/tamri.exe" ] || fail "no tamri.exe in C:\\Program Files\\Tamri after the install"
shortcut=$(find "$drive" -ipath '*Start Menu/Programs*' -iname 'Tamri.lnk' | head -n1)
[ -n "$shortcut" ] && echo "Start-menu entry: ${shortcut#"$drive/"}" || fail "no Start-menu entry Tamri.lnk"
name=$(timeout 20 wine reg query "$uninstall_key" /v DisplayName 2>/dev/null | tr -d '\r' | awk '/DisplayName/ { $1 = $2 = ""; print substr($0, 3) }')
[ "$name" = Tamri ] && echo "in the list of programs as \"$name\"" || fail "no uninstall entry named Tamri under $uninstall_key"
echo "installed files:"
(cd "$folder" && find . -type f | sort | sed 's/^/  /')

echo "--- the installed program: start screen, then Escape"
wine "$folder/tamri.exe" &
program=$!
driver=0
timeout 60 "$play" escape-start --wine-desktop --shots "$out" || driver=$?
[ "$driver" = 0 ] || fail "the installed program's start screen and Escape (driver exit code $driver)"
await_program 0 10 "the installed program" "Escape"
state=$(taskbar_state)
[ "$state" = visible ] || fail "the taskbar is $state after the installed program ended"
echo "taskbar afterwards: $state"

# The uninstaller copies itself to a temporary folder and returns at once; wait for the copy.
rc=0
timeout 60 wine "$folder/Uninstall.exe" /S || rc=$?
[ "$rc" = 0 ] || fail "the silent uninstall ended with exit code $rc"
for _ in $(seq 150); do [ -z "$(ours)" ] && break; sleep 0.2; done
left=$(ours)
[ -z "$left" ] && echo "nothing of ours left after the uninstall" || fail "left after the uninstall: $left"

echo "installer check took $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "Windows installer under Wine passed" || { echo "$failures failures"; exit 1; }
