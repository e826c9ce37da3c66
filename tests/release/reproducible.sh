#!/usr/bin/env bash
# Two releases of this tree (tools/release), each made from a copy in folders of other names and
# depths, give the same programs and the same zips, byte for byte.
set -euo pipefail
trap 'echo "reproducible.sh: failed: $BASH_COMMAND" >&2' ERR
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
one="$root/build/reproducible/one/veltra"
two="$root/build/reproducible/the/second/checkout"
epoch="$(git -C "$root" log -1 --format=%ct)" # the copies have no history to date the zips by

rm -rf "$root/build/reproducible"
for copy in "$one" "$two"; do
    mkdir -p "$copy"
    tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$copy" -x
    SOURCE_DATE_EPOCH="$epoch" "$copy/tools/release" >"$copy.log" 2>&1 ||
        { cat "$copy.log"; exit 1; }
done
for file in build/release/x64/VeltraSetup.exe build/release/x86/VeltraSetup.exe dist/SHA256SUMS; do
    cmp "$one/$file" "$two/$file"
done
cat "$one/dist/SHA256SUMS"
