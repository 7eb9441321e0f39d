#!/usr/bin/env bash
# Runs one fuzz target over its committed seed corpus (fuzz/corpus/<name>)
# with its dictionary (fuzz/<name>.dict) when there is one. New inputs go to
# a scratch corpus under the work folder, never into the committed seeds.
#   run.sh <target binary> <fuzz source folder> <work folder> [libFuzzer options]
set -eu
binary=$1
src=$2
work=$3
shift 3
name=$(basename "$binary")
scratch="$work/$name"
rm -rf "$scratch"
mkdir -p "$scratch/corpus" "$scratch/artifacts"
dict=()
[ -f "$src/$name.dict" ] && dict=(-dict="$src/$name.dict")
exec "$binary" "${dict[@]}" -artifact_prefix="$scratch/artifacts/" -print_final_stats=1 \
     "$@" "$scratch/corpus" "$src/corpus/$name"
