#!/usr/bin/env bash
# Fails when any C++ file of the repository differs from what clang-format
# (with the repository's .clang-format) would write.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' '*.inl' | xargs -0 clang-format --dry-run --Werror
echo "format: clean"
