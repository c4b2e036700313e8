#!/usr/bin/env bash
# Installs the Debian packages needed to build and test TarvexLogo.dll.
# Safe to run again and again: it installs only what is missing, and runs
# apt-get update only when something has to be installed.
#
#   scripts/install-deps.sh           what the builds and the test command need
#   scripts/install-deps.sh --bench   that, and what only scripts/bench.sh needs
set -euo pipefail

bench=0
for argument; do
    case $argument in
    --bench) bench=1 ;;
    *)
        echo "usage: scripts/install-deps.sh [--bench]" >&2
        exit 2
        ;;
    esac
done

# Not every developer machine runs us as root; CI does.
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi

# package|what it is needed for
needed=(
    "g++-mingw-w64-i686-posix|cross-compiles the 32-bit DLL and probe, posix thread model for std::thread"
    "binutils-mingw-w64-i686|links and inspects the 32-bit DLL"
    "g++-mingw-w64-x86-64-posix|cross-compiles the 64-bit DLL and probe, posix thread model for std::thread"
    "binutils-mingw-w64-x86-64|links and inspects the 64-bit DLL"
    "mingw-w64-tools|widl and friends for the cross build"
    "wine|runs the cross-built tests"
    "wine64|runs the 64-bit library and probe, and makes the 64-bit prefix every Wine test runs in"
    "xvfb|gives Wine a private X display at a chosen depth"
    "x11-utils|xdpyinfo, used to wait for the X server"
    "cmake|configures every build"
    "g++|builds the winsim variant natively"
    "libgtest-dev|GoogleTest for the unit and conformance tests"
    "libgmock-dev|GoogleMock for the unit tests"
    "libbenchmark-dev|Google Benchmark for the benchmarks"
    "valgrind|memory checks of the native build"
    "clang|builds the fuzz targets"
    "libclang-rt-14-dev|libFuzzer and the sanitizer runtimes for clang"
    "locales|generates the ru_RU.UTF-8 locale, so Wine reads UTF-8 file names under code page 1251"
    "llvm|llvm-dlltool makes the import libraries for Visual Studio's linker, llvm-readobj checks them"
    "osslsigncode|signs the release's binaries with Authenticode and verifies the signatures"
    "strip-nondeterminism|makes the release ZIPs the same bytes from build to build: entries in name order, the source's time, no packager's owner"
    "openssl|makes the throwaway code-signing certificate of the signing test"
)
# Wine's 32-bit half only where the kernel runs 32-bit programs: elsewhere
# neither the i386 architecture nor wine32 is added.
# shellcheck source=scripts/machine.sh
source "$(dirname "${BASH_SOURCE[0]}")/machine.sh"
probe_kernel_32bit
if ((kernel_32bit)); then
    needed+=("wine32:i386|runs the 32-bit library and probe, under WOW64 in a 64-bit prefix")
else
    echo "install-deps: not installing wine32:i386: the kernel refuses 32-bit programs (an i386 program: $kernel_answer)"
fi
# The benchmarks' chart; the test command never draws it.
if ((bench)); then
    needed+=(
        "gnuplot-nox|draws the chart that scripts/bench.sh puts in BENCHMARKS.md"
        "fonts-dejavu-core|the lettering of that chart"
    )
fi

# apt's verdict on a simulated install that does not resolve; nothing when
# it resolves. The unmet dependencies it lists first are the resolver's last
# attempt, seldom the cause: an index that failed to update says more.
apt_refusal() {
    local answer verdict
    answer=$("$@" 2>&1) && return 0
    verdict=$(grep -E '^E:' <<<"$answer" | tail -n 1 || true)
    echo "${verdict:-apt-get -s failed}${update_error:+ (after apt-get update failed: $update_error)}"
}

# Installed libraries of this machine's own architecture, of a multi-arch
# set ("Multi-Arch: same"), whose i386 twin that PACKAGES need exists only at
# other versions, while the main suite has them at one version for both.
# Prints "NAME INSTALLED MAIN" a line.
mismatched_twins() {
    local native name status version multiarch suite
    native=$(dpkg --print-architecture)
    declare -A twin_versions=() main_version=()
    local twins
    twins=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances "$@" 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
    [[ -n $twins ]] || return 0
    # One madison call for all: "name | version | source suite/component arch Packages".
    while IFS='|' read -r name version suite; do
        name=${name// /} version=${version// /}
        name=${name%:i386}
        if [[ $suite == *" i386 "* ]]; then
            twin_versions[$name]+=" $version "
        elif [[ $suite == *" $codename/"*" $native "* && -z ${main_version[$name]-} ]]; then
            main_version[$name]=$version
        fi
    done < <(apt-cache madison $twins $(sed 's/$/:i386/' <<<"$twins") 2>/dev/null)
    while read -r name status version multiarch; do
        [[ $status == installed && $multiarch == same && -n ${main_version[$name]-} ]] || continue
        [[ ${twin_versions[$name]-} == *" $version "* ]] && continue
        echo "$name $version ${main_version[$name]}"
    done < <(dpkg-query -W -f='${Package} ${db:Status-Status} ${Version} ${Multi-Arch}\n' \
        $(sed "s/\$/:$native/" <<<"$twins") 2>/dev/null)
}

# Installs `missing` by the first plan that apt-get -s resolves, each one
# resolution of everything missing, so that what one package takes first
# never stands in the way of the next: the plain install; then, where a
# mirror's i386 index is out of step with its amd64 one, the main suite as
# the target release, naming at the main suite's version each installed
# library whose i386 twin exists only at another one. Without a plan,
# wine32:i386 is left out and the rest goes in. Says in one line what it did.
install_by_plans() {
    local plain=(apt-get install -y --no-install-recommends) refusal twins=() taken_back=() name version main
    refusal=$(apt_refusal "${plain[@]}" -s "${missing[@]}")
    if [[ -z $refusal ]]; then
        apt_quietly "${plain[@]}" "${missing[@]}"
        echo "install-deps: installed ${#missing[@]} packages"
        return
    fi
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME-}")
    if [[ -n $codename ]]; then
        local suited=(apt-get install -y --no-install-recommends -t "$codename" --allow-downgrades)
        while read -r name version main; do
            [[ -n $name ]] || continue
            twins+=("$name/$codename")
            dpkg --compare-versions "$main" lt "$version" && taken_back+=("$name $version -> $main")
        done < <(mismatched_twins "${missing[@]}")
        if [[ -z $(apt_refusal "${suited[@]}" -s "${missing[@]}" "${twins[@]}") ]]; then
            apt_quietly "${suited[@]}" "${missing[@]}" "${twins[@]}"
            local back=
            ((${#taken_back[@]} == 0)) ||
                back="; taken back to the main suite's older version, which undoes a security update on this machine: $(IFS=,; echo "${taken_back[*]}" | sed 's/,/, /g')"
            echo "install-deps: installed ${#missing[@]} packages with $codename as the target release, i386 and $(dpkg --print-architecture) from one suite, because the plain install did not resolve ($refusal)$back"
            return
        fi
    fi
    local rest=()
    for name in "${missing[@]}"; do [[ $name == wine32:i386 ]] || rest+=("$name"); done
    ((${#rest[@]} < ${#missing[@]})) || apt_quietly "${plain[@]}" "${missing[@]}"
    echo "install-deps: wine32:i386 could not be installed by any plan: $refusal" >&2
    echo "install-deps: installing the rest; the 32-bit build's Wine layers will be skipped" >&2
    ((${#rest[@]} == 0)) || apt_quietly "${plain[@]}" "${rest[@]}"
    echo "install-deps: installed ${#rest[@]} packages"
}

missing=()
for entry in "${needed[@]}"; do
    pkg=${entry%%|*}
    why=${entry#*|}
    # dpkg-query fails for a package it has never seen; that only means missing.
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    if [[ $status != "install ok installed" ]]; then
        echo "install-deps: installing $pkg ($why)"
        missing+=("$pkg")
    fi
done

if ((${#missing[@]} == 0)); then
    echo "install-deps: everything needed is installed"
else
    # apt's progress (database reading, unpacking, triggers) goes to a log;
    # all of it is shown when apt fails.
    log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX.log")
    echo "install-deps: apt's output goes to $log"
    apt_try() { "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "$@" </dev/null >>"$log" 2>&1; }
    apt_quietly() {
        if ! apt_try "$@"; then
            cat "$log" >&2
            echo "install-deps: $* failed (the log above is $log)" >&2
            exit 1
        fi
    }
    # wine32 is an i386 package; apt cannot see it until the architecture is added.
    if ((kernel_32bit)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
        apt_quietly dpkg --add-architecture i386
    fi
    # CI runs with no stdin: keep apt and debconf from asking anything. A
    # mirror in the middle of a sync fails an index now and then: try again,
    # then install from the indexes fetched, by the plans below.
    updated=0
    for attempt in 1 2 3; do
        if apt_try apt-get update; then
            updated=1
            break
        fi
        ((attempt == 3)) || sleep 20
    done
    update_error=
    if ((!updated)); then
        update_error=$(grep -m 1 '^E: Failed to fetch' "$log" || grep -m 1 '^E:' "$log" || true)
        echo "install-deps: apt-get update failed 3 times; installing from the indexes it fetched ($update_error)" >&2
    fi
    install_by_plans
fi

# The cross toolchain file calls the plain compiler names. The win32 thread
# model behind them has no std::thread or std::mutex (GoogleTest and our code
# need them), so if both models are installed, point the names at posix.
for tool in i686-w64-mingw32-g++ i686-w64-mingw32-gcc x86_64-w64-mingw32-g++ x86_64-w64-mingw32-gcc; do
    posix=/usr/bin/$tool-posix
    query=$(update-alternatives --query "$tool" 2>/dev/null) || continue
    current=$(sed -n 's/^Value: //p' <<<"$query")
    if [[ $current != "$posix" ]] && grep -qx "Alternative: $posix" <<<"$query"; then
        echo "install-deps: switching $tool to the posix thread model"
        "${sudo[@]}" update-alternatives --set "$tool" "$posix"
    fi
done

# Wine converts file names with the C library's locale and takes the ANSI code
# page from its name: a folder in any script under code page 1251 needs
# ru_RU.UTF-8 to exist, and a fresh machine has only C.UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8'; then
    echo "install-deps: generating the ru_RU.UTF-8 locale (file names in any script under code page 1251)"
    "${sudo[@]}" localedef -i ru_RU -c -f UTF-8 ru_RU.UTF-8
fi
