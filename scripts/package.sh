#!/usr/bin/env bash
# Builds (when needed) and writes the Debian package zelm-tessara_VERSION_ARCH.deb
# into the build folder, with CPack's DEB generator.
#   scripts/package.sh [BUILD_DIR]      (default: build-package beside the sources)
# It builds only what the package ships (the programs, their modules and
# data, the manual pages): no tests, no benchmarks. The folder is a plain
# RelWithDebInfo build of its own; one made for another purpose (a Debug,
# sanitizer or fuzzing build, or one with the tests) is configured back to
# that first: a package is made only of a whole, plain build.
# Install it with: sudo apt-get install ./BUILD_DIR/zelm-tessara_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-package}

# The packaging tools, by the Debian package that brings each.
missing=()
for tool in cmake:cmake cpack:cmake ninja:ninja-build dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev \
  gzip:gzip; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "package.sh: the packaging tools are missing; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  echo "(or run scripts/setup.sh $build, which installs everything the build needs)" >&2
  exit 1
fi

cache_value() { # NAME: the value in the build folder's cache, "" when unset
  sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null | head -1
}
is_on() { case "${1^^}" in ON | 1 | TRUE | YES | Y) return 0 ;; *) return 1 ;; esac; }

configure=()
plain=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELM_SANITIZE=OFF -DZELM_FUZZ=OFF -DZELM_TESTS=OFF)
if [ ! -f "$build/CMakeCache.txt" ]; then
  configure=("${plain[@]}")
else
  type=$(cache_value CMAKE_BUILD_TYPE)
  tests=$(cache_value ZELM_TESTS)
  if [ "$type" != Release ] && [ "$type" != RelWithDebInfo ] ||
    is_on "$(cache_value ZELM_SANITIZE)" || is_on "$(cache_value ZELM_FUZZ)" ||
    [ -z "$tests" ] || is_on "$tests"; then
    echo "package.sh: $build is a ${type:-untyped} build" \
      "(sanitizers: $(cache_value ZELM_SANITIZE), fuzzing: $(cache_value ZELM_FUZZ)," \
      "tests: ${tests:-ON});" \
      "configuring it to build only what the package ships" >&2
    configure=("${plain[@]}")
  fi
fi
if [ ${#configure[@]} -gt 0 ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  generator=()
  [ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$here" -B "$build" "${generator[@]}" "${launcher[@]}" "${configure[@]}" >/dev/null
fi

# Everything of this build, which is what the package installs, so that no
# installed file is missing or stale.
cmake --build "$build" -j"$(nproc)"

rm -f "$build"/zelm-tessara_*.deb
(cd "$build" && cpack --config CPackConfig.cmake -B "$build" >"$build/package.log" 2>&1) || {
  cat "$build/package.log" >&2
  exit 1
}
rm -rf "$build/_CPack_Packages"
deb=$(ls "$build"/zelm-tessara_*.deb)
echo "$deb"
