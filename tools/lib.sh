# Shell helpers of the tools; sourced, not run.

# The repository's root folder.
ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs a command with its output held back; prints it when the command fails.
quietly() {
  local out
  out=$("$@" 2>&1) || { printf '%s\n' "$out" >&2; return 1; }
}
