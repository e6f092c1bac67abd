#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode (SHA-256) by osslsigncode:
#   tools/sign.sh <program.exe>
#   . tools/sign.sh; sign_program <program.exe>     (tools/release.sh does this)
# SIGN_PFX       the PKCS#12 file with the key and its certificate (required)
# SIGN_PASSWORD  its password (handed over through a pipe, not the command line)
# SIGN_TIMESTAMP_URL, SIGN_DESCRIPTION, SIGN_URL  optional: -ts, -n and -i
# The signed program is written into a temporary folder beside the program and
# replaces it only when signing succeeded; on failure the program is unchanged
# and the temporary folder is gone.

sign_program() {
  local program=$1 work
  local -a options=(-pkcs12 "${SIGN_PFX:-}" -h sha256)
  if [ ! -f "${SIGN_PFX:-}" ]; then
    echo "sign: SIGN_PFX must name a PKCS#12 file (is '${SIGN_PFX:-}')" >&2
    return 1
  fi
  [ -n "${SIGN_TIMESTAMP_URL:-}" ] && options+=(-ts "$SIGN_TIMESTAMP_URL")
  [ -n "${SIGN_DESCRIPTION:-}" ] && options+=(-n "$SIGN_DESCRIPTION")
  [ -n "${SIGN_URL:-}" ] && options+=(-i "$SIGN_URL")
  work=$(mktemp -d "$program.signing.XXXXXX") || return 1  # osslsigncode writes only new files
  if osslsigncode sign "${options[@]}" -readpass <(printf '%s' "${SIGN_PASSWORD:-}") \
       -in "$program" -out "$work/signed" >/dev/null &&
     chmod --reference="$program" "$work/signed" && mv -f "$work/signed" "$program"; then
    rmdir "$work"
    echo "signed: $program"
    return 0
  fi
  rm -rf "$work"
  echo "sign: signing $program failed" >&2
  return 1
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  . "$(dirname "$0")/strict.sh"
  [ $# -eq 1 ] || { echo "usage: SIGN_PFX=<file.pfx> SIGN_PASSWORD=... $0 <program.exe>" >&2; exit 2; }
  sign_program "$1"
fi
