#!/usr/bin/env bash
# package.sh: builds the 32-bit and the 64-bit Windows builds and makes the
# release in build/package: a ZIP of each (CPack), the files of both unpacked
# beside them, and SHA256SUMS of all of it (check with `sha256sum -c
# SHA256SUMS` in build/package).
#
# Signed with Authenticode when a code-signing certificate is given:
#   TARVEX_SIGN_PKCS12=cert.p12 TARVEX_SIGN_PASSWORD=... scripts/package.sh
# and time-stamped with TARVEX_SIGN_TIMESTAMP_URL=http://... (a server of your
# certificate authority's choosing). The binaries' own time stamp is the last
# commit's (SOURCE_DATE_EPOCH overrides it), and CPack's ZIPs are rewritten
# in name order with that time (cmake/normalize_package.cmake), so two runs
# for one source give the same SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
out=$PWD/build/package
rm -rf "$out"
mkdir -p "$out"
for preset in win32 win64; do
    echo "package: building the $preset preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" >/dev/null
    echo "package: packing the $preset build${TARVEX_SIGN_PKCS12:+, signed}"
    (cd "build/$preset" && cpack -B "$out" >"$out/cpack-$preset.log") ||
        { cat "$out/cpack-$preset.log" >&2; exit 1; }
done
rm -rf "$out/_CPack_Packages"
cd "$out"
for zip in *.zip; do
    mkdir -p "${zip%.zip}"
    cmake -E chdir "${zip%.zip}" cmake -E tar xf "../$zip"
done
find . -type f \( -name '*.zip' -o -path './TarvexStartup-*/*' \) | LC_ALL=C sort | xargs sha256sum >SHA256SUMS
echo "package: $out"
ls -1 "$out"/*.zip "$out/SHA256SUMS"
