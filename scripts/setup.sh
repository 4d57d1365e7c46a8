#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking
# Quarrix Pro needs. Idempotent and non-interactive; run as root or through sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # mail text of documents
  libgmime-3.0-dev
  # regular expressions
  libpcre2-dev
  # text of Office Open XML and OpenDocument packages, and of PDF
  libzip-dev zlib1g-dev libpoppler-cpp-dev libpoppler-private-dev
  # character maps of CJK PDFs (also a run-time dependency)
  poppler-data
  # the document reader's confinement
  libseccomp-dev
  # archives and compressed files
  libarchive-dev
  # workbooks encrypted with the default password (libcrypto)
  libssl-dev
  # tests, sanitizers, fuzzing, style
  googletest libgtest-dev libgmock-dev clang clang-format clang-tidy libclang-rt-dev
  xvfb xauth
  # a Latin-1 locale made for the command-line tool's test; a terminal for it
  locales bsdutils
  # printed pages read back as text and images
  poppler-utils
  # access control lists that the editor's save must keep
  acl
  # run time: the desktop opener for Launch File, help and the About links
  xdg-utils
  # the installed files checked as the desktop and Debian see them, and the
  # package built (cpack finds the libraries through file and dpkg-shlibdeps)
  desktop-file-utils appstream mandoc bash-completion file dpkg-dev lintian
  # benchmark
  ripgrep grep gzip findutils
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
