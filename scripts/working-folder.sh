# Sourced, not run: prepares a working folder for Veltrix as an operator's
# would be, for scripts/run and the whole-program measurements in bench/.
#
#   prepare_working_folder ROOT FOLDER PORT
#
# ROOT is the source tree. FOLDER gets the three mark bitmaps, a settings
# file QX7300.ini naming port PORT and the start-up configuration
# Startup.hac of a design-fresh set-up; a settings file or start-up
# configuration already there (in any letter case) is kept.
prepare_working_folder() {
  local root=$1 folder=$2 port=$3
  mkdir -p "$folder"
  cp "$root"/resources/tick.bmp "$root"/resources/cross.bmp "$root"/resources/fill.bmp \
    "$root"/resources/tick@2x.bmp "$root"/resources/cross@2x.bmp "$folder"/
  if ! ls "$folder" | grep -qix 'qx7300.ini'; then
    printf '1.14 2nd September 2007;    Software Version\r\n\r\n%s;    Date & Time Saved\r\n%s;    Com Port\r\n8\r\n0\r\nCourier\r\n0\r\n' \
      "$(date '+%d %B %Y %H:%M')" "$port" > "$folder/QX7300.ini"
  fi
  if ! ls "$folder" | grep -qix 'startup.hac'; then
    printf '%s\r\n' 'QX7300 Configuration File' '' 24 3.3 40.2 150 '' 230 40.2 0.75 0 0 0 0 0 0 0 0 0 0 \
      TRUE FALSE FALSE FALSE TRUE FALSE FALSE TRUE FALSE 0 > "$folder/Startup.hac"
  fi
}
