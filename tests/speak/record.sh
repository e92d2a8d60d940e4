# A stand-in for spd-say: writes its last argument, the words, as a line of
# the file SPEAK_RECORD names.
for last; do :; done
printf '%s\n' "$last" >> "$SPEAK_RECORD"
