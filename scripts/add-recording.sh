#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/add-recording.sh FILE [NAME]: makes a received recording a test.
# It must replay clean with today's program (tavrix-replay --hands); then it
# is copied to tests/recordings/NAME.ktrace, where ctest runs it as
# recording_NAME from the next build on. BUILD names the build tree (build).
set -eu
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: scripts/add-recording.sh FILE [NAME]" >&2
    exit 2
fi
file=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
name=${2:-$(basename "$file" .ktrace)}
case $name in
    *[!A-Za-z0-9._-]* | "" | .*) echo "add-recording: name '$name': letters, digits, '.', '_' and '-' only" >&2; exit 2 ;;
esac
target=$root/tests/recordings/$name.ktrace
if [ -e "$target" ]; then
    echo "add-recording: $target exists; give another NAME" >&2
    exit 1
fi
cmake --build "$build" --target tavrix-replay >/dev/null
if ! "$build/trace/tavrix-replay" --hands --offscreen "$file"; then
    echo "add-recording: $file does not replay clean, not added (see above)" >&2
    exit 1
fi
cp "$file" "$target"
echo "added $target: ctest -R recording_$name runs it after the next build"
