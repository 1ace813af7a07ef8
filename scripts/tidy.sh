#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy (bug-prone constructs, needless
# copies) over the program's sources, using the compile commands of build/.
# Extra arguments name the files to check (default: every source under src/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[ -f "$build/compile_commands.json" ] || "$root/scripts/build.sh" >/dev/null
cd "$root"
if [ $# -gt 0 ]; then files=("$@"); else mapfile -t files < <(git ls-files 'src/*.cpp'); fi
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
