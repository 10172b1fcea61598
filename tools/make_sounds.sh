#!/usr/bin/env bash
# Records the narrator's words with espeak-ng and trims them with sox.
#   make_sounds.sh <catalogue.tsv> <sounds-folder>   (its "sounds" rows)
# Voice: Polish, 150 words a minute, a little lower than the default pitch,
# clear word gaps. Each file: silence trimmed at both ends, 40 ms of quiet
# after the word so that words do not run together, peak-normalised to
# -1 dBFS, 22050 Hz mono 16-bit PCM.
set -euo pipefail
list=$1
out=$2
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
while IFS=$'\t' read -r folder file check meaning text how; do
    [[ "$folder" == sounds ]] || continue
    # A comma keeps the tone up, as in the middle of a sentence.
    [[ "$how" == dalej ]] && text="$text,"
    espeak-ng -v pl -s 150 -p 45 -g 2 -w "$tmp/raw.wav" "$text"
    sox "$tmp/raw.wav" -r 22050 -c 1 -b 16 -e signed-integer "$tmp/out.wav" \
        silence 1 0.01 0.5% reverse silence 1 0.01 0.5% reverse \
        pad 0 0.04 norm -1
    mv "$tmp/out.wav" "$out/$file"
done <"$list"
