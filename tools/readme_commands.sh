#!/usr/bin/env bash
# Runs every ./export.sh command the README shows, as written, from the
# repository's root, and fails at the first that does not succeed. The
# outputs go where the README says (out/, training/), which git ignores.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's own Python, which has NumPy from the test packages.
export PATH="/usr/bin:$PATH"
mapfile -t commands < <(grep -E '^    (\./export\.sh|python3 -c) ' README.md | sed 's/^    //; s/ *#[^\x27"]*$//')
for command in "${commands[@]}"; do
    echo "+ $command"
    bash -c "$command" >/dev/null
done
# The edited track the README exports in the circuit's frame must be one the
# first command wrote.
test -f out/Monza.trk
echo "all ${#commands[@]} README commands ran"
