#!/usr/bin/env bash
# The AppStream metainfo is valid and names the release being built.
# Usage: check-metainfo.sh METAINFO VERSION
set -euo pipefail
appstreamcli validate --no-net "$1"
grep -q "<release version=\"$2\"" "$1" ||
  { echo "no <release version=\"$2\"> in $1: add the release with its date" >&2; exit 1; }
