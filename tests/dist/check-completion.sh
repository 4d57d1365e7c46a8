#!/usr/bin/env bash
# quarrix-scan's bash completion: options and their values first, no guess
# for the search text, then files and folders to scan.
# Usage: check-completion.sh COMPLETION_FILE
set -uo pipefail
export LC_ALL=C
source /usr/share/bash-completion/bash_completion
source "$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" && mkdir notes && touch notes.txt report.log

# Completes the last of the words as bash would, and prints the choices.
choices() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _quarrix_scan quarrix-scan "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort | xargs
}

failed=0
expect() {
  local want=$1 got
  shift
  got=$(choices "$@")
  [ "$got" = "$want" ] || { echo "completing '$*': got '$got', want '$want'"; failed=1; }
}

expect "-- --after-context --before-context --changed-after --changed-within --context --count --exclude-dir --files-with-matches --glob --help --json --match-case --max-filesize --output --readers --regex --search-zip --text --type --version --word-regexp -A -B -C -E -c -g -l -w -z" quarrix-scan -
expect "--match-case --max-filesize" quarrix-scan --ma
expect "notes notes.txt" quarrix-scan -C 2 -g '*.txt' alpha no
expect "--output" quarrix-scan --o
expect "txt" quarrix-scan --type tx
expect "report.log" quarrix-scan --output rep
expect "" quarrix-scan no
expect "notes notes.txt" quarrix-scan alpha no
expect "notes notes.txt" quarrix-scan --type txt --output out.txt alpha no
expect "notes notes.txt" quarrix-scan -- -alpha no
expect "" quarrix-scan -- no
exit $failed
