#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck (suppressions in .cppcheck-suppressions) over
# src/, with the compile commands of the plain build; any finding fails.
set -euo pipefail
cmake --preset main >/dev/null
db=build/main
log="$db/clang-tidy.log"
if ! run-clang-tidy -p "$db" -quiet -j "$(nproc)" "$PWD/src/" >"$log" 2>&1; then
    grep -v 'warnings generated' "$log"
    exit 1
fi
echo "clang-tidy: $(grep -c '^clang-tidy' "$log") files of src/ checked, no findings"
cppcheck --project="$db/compile_commands.json" --file-filter='src/*' --std=c++17 --library=opengl \
    --enable=warning,style,performance,portability,information --inline-suppr \
    --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet -j "$(nproc)"
echo "cppcheck: src/ checked, no findings"
# Every C++ file of the repository follows .clang-format.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "clang-format: every C++ file formatted"
