#!/bin/sh
# Checks that every C++ file the project tracks is laid out as .clang-format
# says; prints the files that are not and fails. Run by make test.
# Usage: check-format.sh [project folder]
set -eu
cd "${1:-$(dirname "$0")/..}"
files=$(git ls-files '*.cpp' '*.h')
[ -n "$files" ] || { echo "no C++ files found (not a git checkout?)" >&2; exit 1; }
bad=""
for f in $files; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad="$bad $f"
done
if [ -n "$bad" ]; then
    echo "Not laid out as .clang-format says (run clang-format -i on them):" >&2
    for f in $bad; do echo "  $f" >&2; done
    exit 1
fi
