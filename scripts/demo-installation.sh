# Lays out a desktop-suite installation in the current Wine prefix, as the suite itself would
# leave it: the installation folder (with a space in its name), its Extras folder with a few
# downloaded files, a queue folder for each user, the profile database and the per-user settings.
# Sourced by demo.sh after lib.sh.
# shellcheck shell=bash

DEMO_APP_PATH='C:\Program Files\Tavlo Desktop'
DEMO_SETTINGS_KEY='HKCU\Software\VB and VBA Program Settings\ORVEN PDA\TavloX'

# Users as the suite lists them: display name and folder fragment.
DEMO_USERS=(
  'Anna Berg=AnnaB\'
  'Sam Okafor=SamO\'
  "Kim O'Neill=KimO\\"
)
DEMO_LAST_USER='Anna Berg'

# unix_path WINDOWS_PATH: where a C: path lies in the prefix.
unix_path() { winepath -u "$1" 2>/dev/null; }

# fake_file PATH SIZE SEED: a file of SIZE bytes with content that is the same on every run.
fake_file() {
  head -c "$2" < <(yes "$3" | tr -d '\n') > "$1"
}

make_demo_installation() {
  local app; app=$(unix_path "$DEMO_APP_PATH")
  [ -n "$app" ] || die "winepath failed"
  mkdir -p "$app/Extras"
  fake_file "$app/Extras/Solitaire.app" 38912 'solitaire'
  fake_file "$app/Extras/Recipes.tdb" 123456 'recipes'
  fake_file "$app/Extras/Readme.txt" 1200 'readme'

  local entry name fragment folder
  for entry in "${DEMO_USERS[@]}"; do
    name=${entry%%=*}
    fragment=${entry#*=}
    folder="$app/${fragment//\\//}Acc"
    mkdir -p "$folder"
  done
  # Something already waits in the first user's queue.
  fake_file "$app/AnnaB/Acc/Expenses.tdb" 262400 'expenses'
  fake_file "$app/AnnaB/Acc/Chess.app" 1310720 'chess'

  if [ -x "$BUILD/native/tools/makeprofile" ]; then
    "$BUILD/native/tools/makeprofile" "$app/Profile.mdb" "${DEMO_USERS[@]}" >/dev/null
  else
    log "no profile database yet (the profile writer is not built)"
  fi

  cp "$BUILD/windows/Quenlo.exe" "$app/Quenlo.exe"

  wine reg add "$DEMO_SETTINGS_KEY" /v AppPath /t REG_SZ /d "$DEMO_APP_PATH" /f >/dev/null 2>&1
  wine reg add "$DEMO_SETTINGS_KEY" /v LastUser /t REG_SZ /d "$DEMO_LAST_USER" /f >/dev/null 2>&1
  DEMO_APP_DIR=$app
}
