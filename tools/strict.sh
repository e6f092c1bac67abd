# Sourced first by every script: stop at the first command that fails, and say
# which command it was, where it stands and its exit code, so that no run ends
# with a non-zero code and no word. Commands whose failure a script tests or
# lets pass (if, ||, and command substitutions, where -e is off) say nothing.
set -eEuo pipefail
say_failure() {  # <exit code> <command> <file> <line>
  [[ $- == *e* ]] || return 0
  printf '%s: "%s" failed with exit code %s (%s, line %s)\n' "${0##*/}" "$2" "$1" "$3" "$4" >&2
}
trap 'say_failure $? "$BASH_COMMAND" "${BASH_SOURCE[0]}" "$LINENO"' ERR
