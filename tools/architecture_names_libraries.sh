#!/usr/bin/env bash
# Fails when docs/architecture.md does not name, in backticks, a library
# target that the build defines: the page is where readers of the code look
# for what each library holds.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
for name in $(git ls-files '*CMakeLists.txt' | xargs grep -hoE '(add_library|adventure_layer)\([a-z_]+' | sed 's/.*(//' |
  sort -u); do
  if ! grep -q "\`$name\`" docs/architecture.md; then
    echo "docs/architecture.md does not name the library $name" >&2
    status=1
  fi
done
exit $status
