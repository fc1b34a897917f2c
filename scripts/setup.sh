#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (and, with --test, the
# extra tools the test suite uses), then exits. Packages already present are
# left alone; nothing is installed when everything is there.
#
#   scripts/setup.sh            packages to build and run
#   scripts/setup.sh --package  also the tools that make the Debian package
#   scripts/setup.sh --test     also the cross-check decoders, the encoders the
#                               HEIF and WebP tests make their files with,
#                               transicc (colour conversion reference), the
#                               browser, what the package check uses, and GNU
#                               Parallel and Slurm (with munge) for the tests
#                               that run the batch under them
set -euo pipefail

build_pkgs=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libheif-dev libwebp-dev
    liblcms2-dev
    libfreetype-dev libfontconfig-dev fonts-liberation
    googletest libgtest-dev libbenchmark-dev
)
package_pkgs=(dpkg-dev file)
test_pkgs=(
    imagemagick python3-pil libjpeg-turbo-progs libheif-examples webp liblcms2-utils
    libimage-exiftool-perl chromium locales
    xvfb xauth xdotool xclip desktop-file-utils appstream
    "${package_pkgs[@]}" man-db
    parallel munge slurm-wlm
)

pkgs=("${build_pkgs[@]}")
if [[ "${1:-}" == "--test" ]]; then
    pkgs+=("${test_pkgs[@]}")
elif [[ "${1:-}" == "--package" ]]; then
    pkgs+=("${package_pkgs[@]}")
fi

missing=()
for p in "${pkgs[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

# The tests check that written numbers and dates ignore a decimal-comma
# locale; they need one to exist.
need_locale() {
    [[ "${1:-}" == "--test" ]] && ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'
}

if [[ ${#missing[@]} -eq 0 ]] && ! need_locale "${1:-}"; then
    exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "setup: these packages are missing and there is no sudo: ${missing[*]}" >&2
    exit 1
fi
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "setup: installing ${missing[*]}"
    # munge and Slurm come with services that their installation would
    # start; the tests start their own daemons. Where nothing forbids it yet,
    # a policy for the length of the installation does.
    policy=/usr/sbin/policy-rc.d
    if [[ ! -e $policy ]]; then
        printf '#!/bin/sh\n# Left by scripts/setup.sh while it installs\nexit 101\n' |
            "${sudo[@]}" tee "$policy" >/dev/null
        "${sudo[@]}" chmod 755 "$policy"
        trap '"${sudo[@]}" rm -f "$policy"' EXIT
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if need_locale "${1:-}"; then
    echo "setup: generating the de_DE.UTF-8 locale"
    "${sudo[@]}" localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || echo "setup: could not generate de_DE.UTF-8" >&2
fi
