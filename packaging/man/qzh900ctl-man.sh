#!/bin/sh
# Writes qzh900ctl's manual page from the program's own help texts, so that the page says what
# the installed program says: NAME, SYNOPSIS, DESCRIPTION with one section per verb, OPTIONS (the
# common ones), EXIT STATUS once, FILES, EXAMPLES, SEE ALSO.
#   qzh900ctl-man.sh QZH900CTL VERSION DATE > qzh900ctl.1
set -eu
ctl=$1 version=$2 date=$3

# Roff-safe lines: "\" doubled as \e, "-" as \-, a leading "." or "'" protected.
roff() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"
}

help=$("$ctl" --help)
verbs=$(printf '%s\n' "$help" | sed -n '/^verbs:/,/^$/s/^  \([a-z][a-z]*\) .*/\1/p')

printf '.TH QZH900CTL 1 "%s" "qzh900ctl %s" "User Commands"\n' "$date" "$version"
printf '.SH NAME\nqzh900ctl \\- command runner of the QZH\\-900 RFID reader maintenance tool\n'
printf '.SH SYNOPSIS\n'
for verb in $verbs; do
  synopsis=$("$ctl" "$verb" --help | sed -n '1s/^usage: qzh900ctl //p' | sed 's/ \[options\]$//')
  printf '.B qzh900ctl\n.RI [ common-options ]\n%s\n.RI [ options ]\n.br\n' \
    "$(printf '%s\n' "$synopsis" | roff)"
done
printf '.SH DESCRIPTION\n'
printf '%s\n' "$help" | sed -n '/^"qzh900ctl VERB --help"/,/^Exit status/p' | sed '$d' | roff
printf '.PP\nCommon options may stand before the verb or after it; "\\-\\-" ends the options.\n'
printf 'Where a verb writes a file, "\\-" stands for standard output.\n'
for verb in $verbs; do
  printf '.SS %s\n.nf\n' "$verb"
  # The verb's own text: up to the verdict rule, which EXIT STATUS states once.
  "$ctl" "$verb" --help | sed -n '/^Exit status, the verdict/q;p' | sed '1d' | roff
  printf '.fi\n'
done
printf '.SH OPTIONS\n.nf\n'
printf '%s\n' "$help" | sed -n '/^common options:/,/^$/p' | sed '1d;$d' | roff
printf '.fi\n.SH "EXIT STATUS"\n'
printf '%s\n' "$help" | sed -n '/^Exit status, the verdict/,/Maintenance Tool/p' | sed '$d' | roff
printf '.PP\nA write to standard output that fails (a closed pipe, a full disk) ends the run as\n'
printf 'SIGTERM would, with exit status 2 and one line on standard error.\n'
cat <<'END'
.SH FILES
.TP
.I ~/.config/norvik/QZH900Tool/QZH900Tool.ini
The settings file shared with the window; read, and written only with \-\-save.
.TP
.I ~/.config/norvik/ports.ini
The port registry: COMn names and the device paths they stand for.
.TP
.I ~/.local/share/norvik/QZH900Tool/ledger.sqlite
The code ledger of series programming on this machine (program and ledger without \-\-ledger).
.TP
.I /usr/share/doc/qzh900\-tool/qzh900ctl.md.gz
The guide to the command runner.
.TP
.I /usr/share/doc/qzh900\-tool/qzh900ctl.schema.json
The JSON Schema of the \-\-json events.
.SH EXAMPLES
.nf
qzh900ctl ports
qzh900ctl \-\-port /dev/ttyUSB0 identify
qzh900ctl \-\-port COM3 read \-\-json
qzh900ctl \-\-port COM3 listen \-\-follow \-\-json \-\-dedup 2000 >> reads.jsonl
qzh900ctl \-\-port COM3 run IDRead1 \-\-animal\-id
qzh900ctl \-\-port COM3 dump \-\-csv \- > tag.csv
qzh900ctl \-\-port COM3 check \-\-no\-link \-\-report ./check
qzh900ctl ledger export \-\-csv \- | head
.fi
.SH "SEE ALSO"
.BR QZH900Tool (1),
.BR qzh900\-sim (1)
END
