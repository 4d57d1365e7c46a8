#!/usr/bin/env bash
# Builds the Windows programs and libraries whose version resources the tests
# read. Run by hand after changing a .rc file; the results are committed, so
# neither the build nor CI needs the cross tools (Debian: mingw-w64,
# binutils-mingw-w64).
set -euo pipefail
cd "$(dirname "$0")"

build() { # target-prefix output rc-file-or-empty [linker options...]
    local prefix=$1 output=$2 rc=$3
    shift 3
    local objects=()
    if [ -n "$rc" ]; then
        "$prefix-windres" --input-format=rc --output-format=coff -o "$output.res" "$rc"
        objects+=("$output.res")
    fi
    "$prefix-gcc" -Os -s -nostdlib -Wl,--entry="$entry_symbol" -o "$output" stub.c \
        "${objects[@]}" "$@"
    rm -f "$output.res"
}

entry_symbol=_entry
build i686-w64-mingw32 app32.exe app32.rc
build i686-w64-mingw32 twolang.dll twolang.rc -shared
build i686-w64-mingw32 nostrings.exe nostrings.rc
build i686-w64-mingw32 noresource.exe ""
entry_symbol=entry
build x86_64-w64-mingw32 lib64.dll lib64.rc -shared
build x86_64-w64-mingw32 otherkey.dll otherkey.rc -shared
