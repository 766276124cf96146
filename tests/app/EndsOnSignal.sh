#!/bin/sh
# The window program ends cleanly on a signal and its settings file is only
# ever replaced whole.
#   EndsOnSignal.sh MORVANE RECORDING INT|TERM          the signal closes the window:
#       status 0, the settings written, stale temporaries of killed writes gone
#   EndsOnSignal.sh MORVANE RECORDING TERM full          the settings cannot be written
#       whole (a file size limit, as on a full disk): the earlier file stays byte for byte
set -u
export LC_ALL=C
program=$1 recording=$2 signal=$3 mode=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; ls -la "$config"; exit 1; }

config="$work/config/Quillstead Morvane"
settings="$config/morvane.ini"
mkdir -p "$config"
if [ "$mode" = full ]; then
    # Longer than the size limit below, so the new file cannot be written whole.
    note=$(head -c 6000 /dev/zero | tr '\0' 'n')
    printf '[Data]\nFreq1=1234\nNote=%s\n' "$note" > "$settings"
else
    printf '[Data]\nFreq1=1234\n' > "$settings"
fi
cp "$settings" "$work/before.ini"
# What killed writes leave: Qt's temporary, a second name of an ended
# process (no process has the largest id); and files that are not theirs.
if [ "$mode" != full ]; then
    printf 'x' > "$settings.AbC123"
    printf 'x' > "$config/.morvane-2147483646-0000abcd.tmp"
fi
printf 'keep' > "$config/notes.txt"
printf 'keep' > "$settings.keep-me"

case $signal in INT) number=2 ;; TERM) number=15 ;; *) fail "signal INT or TERM" ;; esac
(
    [ "$mode" = full ] && { trap '' XFSZ; ulimit -f 4; }
    # A background job of a script starts with SIGINT ignored; a person's Ctrl-C does not.
    exec env --default-signal=INT HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen \
        "$program" --input "$recording" > "$work/out" 2>&1
) &
pid=$!
# Wait until the program itself runs (not the shell or env before it) and
# handles the signal (its bit in SigCgt).
binary=$(readlink -f "$program")
tries=0
until [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$binary" ] &&
      mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null) && [ -n "$mask" ] &&
      [ $(( (0x$mask >> (number - 1)) & 1 )) -eq 1 ]; do
    tries=$((tries + 1))
    if [ $tries -gt 1200 ] || ! kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null
        cat "$work/out"
        fail "the program never took SIG$signal"
    fi
    sleep 0.1
done
kill -s "$signal" "$pid"
wait "$pid"
status=$?
cat "$work/out"
[ $status -eq 0 ] || fail "exit status $status after SIG$signal"

if [ "$mode" = full ]; then
    cmp "$work/before.ini" "$settings" || fail "the earlier settings file changed"
    left=$(ls -A "$config" | sort | tr '\n' ' ')
    [ "$left" = "morvane.ini morvane.ini.keep-me notes.txt " ] || fail "left in the folder: $left"
else
    grep -q '^Freq1=1234' "$settings" || fail "Low: not kept"
    grep -q '^ShowGrid=1' "$settings" || fail "the window's values not written"
    grep -q '^MainDlg\\Width=' "$settings" || fail "the window's placement not written"
    left=$(ls -A "$config" | sort | tr '\n' ' ')
    [ "$left" = "morvane.ini morvane.ini.keep-me notes.txt " ] || fail "left in the folder: $left"
fi
echo "ok: SIG$signal $mode"
