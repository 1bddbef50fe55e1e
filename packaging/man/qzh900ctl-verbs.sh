#!/bin/sh
# Writes a help2man include file describing every verb of qzh900ctl from its own "VERB --help",
# so the manual page says what the installed program says.
#   qzh900ctl-verbs.sh QZH900CTL > verbs.h2m
set -eu
ctl=$1
echo "[VERBS]"
for verb in $("$ctl" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p'); do
  printf '.SS %s\n.nf\n' "$verb"
  # Up to the common options, which the main text already lists; roff escapes for "\" and a
  # leading "." or "'".
  "$ctl" "$verb" --help | sed -n '/^common options:/q;p' |
    sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
  printf '.fi\n'
done
cat <<'END'
[FILES]
.TP
.I ~/.config/norvik/QZH900Tool/QZH900Tool.ini
The settings file shared with the window; read, and written only with --save.
.TP
.I ~/.config/norvik/ports.ini
The port registry: COMn names and the device paths they stand for.
.TP
.I ~/.local/share/norvik/QZH900Tool/ledger.sqlite
The code ledger of series programming on this machine (program and ledger without --ledger).
[SEE ALSO]
.BR QZH900Tool (1),
.BR qzh900-sim (1)
END
