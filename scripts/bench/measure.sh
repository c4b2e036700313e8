# shellcheck shell=bash
# The builds and the measuring runs of scripts/bench.sh; each writes its raw
# figures under $results. Sourced, not run.

# Native Release tree with Google Benchmark, on winsim.
build_native() {
    say "building the native benchmarks (Release, winsim)"
    cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=ON \
        >"$results/native-configure.log" 2>&1 || die "native configure failed (see $results/native-configure.log)"
    cmake --build "$out/native" -j "$jobs" --target bench_scaling bench_startup_counts >"$results/native-build.log" 2>&1 ||
        die "native build failed (see $results/native-build.log)"
}

# build_windows PRESET: the library and the Wine benchmark programs, as the preset builds them.
build_windows() {
    local preset=$1
    say "building the $preset library and its Wine benchmark programs"
    cmake -S . -B "$out/$preset" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${toolchain_of[$preset]}.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTARVEX_BUILD_TESTS=OFF -DTARVEX_BUILD_BENCH=ON \
        >"$results/$preset-configure.log" 2>&1 || die "$preset configure failed (see $results/$preset-configure.log)"
    cmake --build "$out/$preset" -j "$jobs" --target TarvexLogo OxaRes0 BenchEmpty BenchLogoFloor bench_registry_copy \
        bench_load_cycle bench_logo_time >"$results/$preset-build.log" 2>&1 ||
        die "$preset build failed (see $results/$preset-build.log)"
}

# Registry calls, heap and stack per start; the copy's and the command-line
# tests' cost per unit as inputs grow, by time and by instructions.
measure_native() {
    local counts=$out/native/bench/bench_startup_counts scaling=$out/native/bench/bench_scaling
    say "counting registry calls, heap allocations and stack per start"
    "$counts" >"$results/counts.txt" || die "bench_startup_counts failed"

    say "timing the copy and the command-line tests as they grow (Google Benchmark)"
    "$scaling" --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_format=csv >"$results/scaling.csv" \
        2>"$results/scaling.log" || die "bench_scaling failed"

    say "counting instructions per value and per byte (callgrind)"
    # The library's own functions in the copy; the rest is winsim and the C library.
    local own_symbols='RegKey::|CopyValues|CopyBoundedText|SubkeyList|CopyNewUserDefaults'
    local start values test length cg total own
    for start in first warm; do
        for values in "${copy_sizes[@]}"; do
            cg=$results/callgrind.$start.$values
            valgrind --tool=callgrind --callgrind-out-file="$cg.out" --toggle-collect='*MeasuredDefaultsCopy*' \
                "$counts" copy-once "$values" "$start" >"$cg.txt" 2>"$cg.log" || die "callgrind run failed (see $cg.log)"
            total=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$cg.log")
            own=$(callgrind_annotate --inclusive=no --threshold=100 "$cg.out" 2>/dev/null |
                awk -v pattern="$own_symbols" '$0 ~ pattern { gsub(",", "", $1); sum += $1 } END { print sum + 0 }')
            {
                echo "instructions.$start.$values $total"
                echo "own_instructions.$start.$values $own"
                echo "copy_calls.$start.$values $(awk '$1 == "copy_once.registry_calls" { print $2 }' "$cg.txt")"
            } >>"$results/instructions.txt"
        done
    done
    for test in switch file-type; do
        for length in "${line_lengths[@]}"; do
            cg=$results/callgrind.$test.$length
            valgrind --tool=callgrind --callgrind-out-file="$cg.out" --toggle-collect='*MeasuredCommandLineTest*' \
                "$counts" scan-once "$length" "$test" >/dev/null 2>"$cg.log" || die "callgrind run failed (see $cg.log)"
            echo "instructions.$test.$length $(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$cg.log")" \
                >>"$results/instructions.txt"
        done
    done
}

# Every Wine program of both builds in one private session: the 64-bit one
# under wine64, the 32-bit one under WOW64. Raw figures in $results/ARCH/.
measure_wine() {
    say "running the Wine benchmarks of both builds (private 64-bit prefix and display)"
    # The first argument says which: every program at 96 DPI (0), or the
    # time to the logo alone in a session at that DPI (the wineserver reads
    # the DPI when it starts), the second in which round.
    local script='
        set -e
        dpi=$1 round=$2
        shift 2
        while (($#)); do
            bin=$1 loader=$2 into=$3
            shift 3
            cd "$bin"
            if ((dpi)); then
                BENCH_LOGO_SCALED=1 "$loader" ./bench_logo_time.exe /standard >"$into/logo${dpi}_$round.txt" \
                    2>"$into/logo${dpi}_$round.log"
                ((dpi > 96)) || continue
                # The same with a resource library that has no larger logos.
                (cd no_variants && BENCH_LOGO_SCALED=1 BENCH_LOGO_NO_VARIANTS=1 "$loader" ./bench_logo_time.exe \
                    /standard >"$into/logo${dpi}stretched_$round.txt" 2>"$into/logo${dpi}stretched_$round.log")
                continue
            fi
            "$loader" ./bench_registry_copy.exe >"$into/copy.txt" 2>"$into/copy.log"
            "$loader" ./bench_load_cycle.exe /nologo >"$into/cycle.txt" 2>"$into/cycle.log"
            "$loader" ./bench_logo_time.exe /standard >"$into/logo.txt" 2>"$into/logo.log"
        done'
    local arguments=() preset
    for preset in $(presets); do
        mkdir -p "$results/${arch_of[$preset]}"
        # The programs beside the resource library without the larger logos.
        cp "$out/$preset/bin/"{TarvexLogo.dll,BenchLogoFloor.dll,BenchEmpty.dll,bench_logo_time.exe} \
            "$out/$preset/bin/no_variants/"
        arguments+=("$root/$out/$preset/bin" "${loader_of[$preset]}" "$root/$results/${arch_of[$preset]}")
    done
    scripts/wine-session.sh --prefix "$root/$out/wine/prefix" -- bash -c "$script" bash 0 0 "${arguments[@]}" \
        >"$results/wine.log" 2>&1 || die "the Wine benchmarks failed (see $results/wine.log and $results/*/*.log)"
    # A session's round trips may cost several times another's: each round
    # has a session at each DPI, one after the other, and the ratios are
    # taken within a round.
    local round dpi
    for round in $(seq "$dpi_rounds"); do
        for dpi in 96 144 192; do
            scripts/wine-session.sh --dpi "$dpi" --prefix "$root/$out/wine/prefix" -- bash -c "$script" bash "$dpi" \
                "$round" "${arguments[@]}" >"$results/wine${dpi}_$round.log" 2>&1 ||
                die "the Wine benchmarks at $dpi DPI failed (see $results/wine${dpi}_$round.log and $results/*/logo$dpi*.log)"
        done
    done
    local arch file
    for arch in $(arches); do
        for file in copy cycle logo; do
            tr -d '\r' <"$results/$arch/$file.txt" >"$results/$arch/$file.figures"
        done
        for file in logo96 logo144 logo192 logo144stretched logo192stretched; do
            dpi_round_figures "$results/$arch" "$file" >"$results/$arch/$file.figures"
        done
    done
}

# dpi_round_figures FOLDER NAME: the median over the rounds of each figure of
# NAME_<round>.txt (the first round's text for a figure that is not a
# number), and the median of the rounds' ratios of the library's and the
# floor's time to the logo against the same round at 96 DPI.
dpi_round_figures() {
    local folder=$1 name=$2 round
    for round in $(seq "$dpi_rounds"); do
        tr -d '\r' <"$folder/${name}_$round.txt" | sed "s/^/$round /"
        awk -v round="$round" '$1 == "logo.library.median_us" { print round, "96.library", $2 }
            $1 == "logo.floor.median_us" { print round, "96.floor", $2 }' "$folder/logo96_$round.txt"
    done | awk '
        function median(key, n,   i, j, t, a) {
            for (i = 1; i <= n; i++) a[i] = values[key, i]
            for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        { key = $2; value = $0; sub(/^[^ ]+ [^ ]+ /, "", value); sub(/\r$/, "", value)
          if (!(key in count)) order[++keys] = key
          values[key, ++count[key]] = value }
        END {
            for (k = 1; k <= keys; k++) {
                key = order[k]
                if (key ~ /^96\./) continue
                if (values[key, 1] ~ /^-?[0-9]+(\.[0-9]+)?$/) printf "%s %.3f\n", key, median(key, count[key])
                else print key, values[key, 1]
            }
            for (i = 1; i <= count["logo.library.median_us"]; i++) {
                values["lib", i] = values["logo.library.median_us", i] / values["96.library", i]
                values["floor", i] = values["logo.floor.median_us", i] / values["96.floor", i]
            }
            printf "logo.library.against96_x %.3f\n", median("lib", count["logo.library.median_us"])
            printf "logo.floor.against96_x %.3f\n", median("floor", count["logo.floor.median_us"])
        }'
}

# Each build's DLL size, and the product objects that call mingw-w64's own
# printf, which is linked in whole rather than imported from the C runtime.
measure_sizes() {
    local preset arch printf_users
    for preset in $(presets); do
        arch=${arch_of[$preset]}
        printf_users=$("${toolchain_of[$preset]}-nm" -A -u "$out/$preset/src/libtarvex_core.a" 2>/dev/null |
            sed -n 's/^[^:]*:\([^:]*\):.* U \(_*mingw_[a-z]*printf\)$/\1 (\2)/p' | sort -u | paste -sd' ' || true)
        {
            echo "dll.size $(stat -c %s "$out/$preset/bin/TarvexLogo.dll")"
            echo "dll.static_printf ${printf_users:-none}"
        } >"$results/$arch/size.figures"
    done
}
