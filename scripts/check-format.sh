#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format (.clang-format)
# would write it. `clang-format -i FILE` puts one right.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "format: every file as clang-format writes it"
