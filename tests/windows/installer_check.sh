#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix, installed silently twice: for the user
# alone (/CurrentUser /S: into %LOCALAPPDATA%\Programs\Tamri, the user's Start menu and list of
# programs, nothing for all users) and for all users (/S, as an administrator: into Program Files).
# Each time the installed program shows its start screen and ends with Escape (exit code 0,
# taskbar back), and the silent uninstall leaves no file, shortcut or registry key of ours.
# Wine always runs as an administrator, so that a standard user's install is judged by what the
# installer asks Windows for (its manifest) and where it writes.
# Usage: installer_check.sh windows-build-folder path/to/tamri_play folder-for-screenshots
source "$(dirname "$0")/wine_desktop.sh"
windows_package 'tamri-*-setup-x64.exe' installer
setup=$package

began=$SECONDS
wine_desktop_start 1024x768
drive=$WINEPREFIX/drive_c
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Tamri'
vendor_key='Software\Tamri developers'
registry() { timeout 20 wine reg query "$@" 2>/dev/null | tr -d '\r'; }
ours() { # everything of ours left in the prefix
  find "$drive" -iname 'tamri*' 2>/dev/null
  local hive key
  for hive in HKLM HKCU; do
    for key in "$uninstall_key" "$vendor_key"; do
      registry "$hive\\$key" >/dev/null && echo "registry: $hive\\$key"
    done
  done
}

# Requested in the installer's manifest: "requireAdministrator" would ask every user for an
# administrator; "highestAvailable" asks a standard user for nothing.
level=$(grep -ao 'requestedExecutionLevel level="[A-Za-z]*"' "$setup" | head -n1)
[ "$level" = 'requestedExecutionLevel level="highestAvailable"' ] && echo "the installer asks Windows for: $level" \
  || fail "the installer asks Windows for ${level:-nothing}, expected the level \"highestAvailable\""

nothing_of_ours() { [ -z "$(ours)" ]; }

# Installs with the switches, checks where the installer wrote, starts the program, uninstalls.
install_and_remove() { # name hive folder start-menu-folder switches...
  local name=$1 hive=$2 folder=$3 menu=$4 other
  shift 4
  [ "$hive" = HKLM ] && other=HKCU || other=HKLM
  echo "--- installed $name ($*)"
  local rc=0
  timeout 120 wine "$setup" "$@" || rc=$?
  [ "$rc" = 0 ] || fail "$name: the silent install ended with exit code $rc"
  local program entry
  for program in Tamri.exe tamri-check.exe; do
    [ -f "$folder/$program" ] && echo "program: ${folder#"$drive/"}/$program" \
      || fail "$name: no $program in ${folder#"$drive/"}; found in any case: $(find "$drive" -iname "$program")"
  done
  for entry in Tamri 'Tamri Systemprüfung'; do
    [ -f "$menu/Tamri/$entry.lnk" ] && echo "Start-menu entry: ${menu#"$drive/"}/Tamri/$entry.lnk" \
      || fail "$name: no Start-menu entry \"$entry\" in ${menu#"$drive/"}; found: $(find "$drive" -iname '*.lnk')"
  done
  entry=$(registry "$hive\\$uninstall_key" /v DisplayName | awk '/DisplayName/ { $1 = $2 = ""; print substr($0, 3) }')
  [ "$entry" = Tamri ] && echo "in the list of programs as \"$entry\" under $hive" \
    || fail "$name: no uninstall entry named Tamri under $hive\\$uninstall_key"
  registry "$other\\$uninstall_key" >/dev/null && fail "$name: an uninstall entry under $other as well"
  for key in "$vendor_key" 'Software\Tamri'; do
    registry "HKLM\\$key" >/dev/null && fail "$name: the installer wrote HKLM\\$key"
    registry "HKCU\\$key" >/dev/null && fail "$name: the installer wrote HKCU\\$key"
  done
  if [ "$hive" = HKCU ]; then
    # Nothing for all users: not in Program Files, not in the common Start menu.
    local shared
    shared=$(find "$drive/Program Files" "$drive/ProgramData" -iname 'tamri*' 2>/dev/null)
    [ -z "$shared" ] || fail "$name: written for all users: $shared"
  fi
  [ -f "$folder/Tamri.exe" ] || return
  echo "installed files:"
  (cd "$folder" && find . -type f | sort | sed 's/^/  /')

  echo "the installed program: start screen, then Escape"
  wine "$folder/Tamri.exe" &
  program=$!
  local driver=0
  timeout 60 "$play" escape-start --wine-desktop --shots "$out" || driver=$?
  [ "$driver" = 0 ] || fail "$name: the installed program's start screen and Escape (driver exit code $driver)"
  await_program 0 10 "the installed program" "Escape"
  local state
  state=$(taskbar_state)
  [ "$state" = visible ] || fail "$name: the taskbar is $state after the installed program ended"
  echo "taskbar afterwards: $state"

  # The uninstaller copies itself to a temporary folder and returns at once; wait for the copy.
  rc=0
  timeout 60 wine "$folder/Uninstall.exe" /S || rc=$?
  [ "$rc" = 0 ] || fail "$name: the silent uninstall ended with exit code $rc"
  wait_for 30 nothing_of_ours
  local left
  left=$(ours)
  [ -z "$left" ] && echo "nothing of ours left after the uninstall" || fail "$name: left after the uninstall: $left"
}

user=$(ls "$drive/users" | grep -v -x -i public | head -n1)
install_and_remove "for the user alone" HKCU "$drive/users/$user/AppData/Local/Programs/Tamri" \
  "$drive/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" /CurrentUser /S
install_and_remove "for all users" HKLM "$drive/Program Files/Tamri" \
  "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs" /S

echo "installer check took $((SECONDS - began)) s"
[ "$failures" -eq 0 ] && echo "Windows installer under Wine passed" || { echo "$failures failures"; exit 1; }
