# shellcheck shell=bash
# The chart of the copy's cost per value over the tree sizes, drawn with
# gnuplot from this run's figures. Sourced, not run.

# draw_copy_chart PNG: time (Google Benchmark) and instructions (callgrind)
# per value, first and warm start, over the sizes of copy_sizes.
draw_copy_chart() {
    local png=$1 data=$results/copy-cost-per-value.dat size
    {
        echo "# values first_ns warm_ns first_instructions warm_instructions"
        for size in "${copy_sizes[@]}"; do
            echo "$size $(get "scale.BM_DefaultsCopyFirstStart.$size") $(get "scale.BM_DefaultsCopyWarmStart.$size")" \
                "$(calc "$(get "instructions.first.$size") / $size" 1)" "$(calc "$(get "instructions.warm.$size") / $size" 1)"
        done
    } >"$data"
    mkdir -p "$(dirname "$png")"
    gnuplot >"$results/gnuplot.log" 2>&1 <<GNUPLOT || die "gnuplot failed (see $results/gnuplot.log)"
set terminal pngcairo size 960,420 font "DejaVu Sans,10"
set output "$png"
set multiplot layout 1,2 title "Defaults copy: cost per value as the tree grows (winsim, 10 values per key, fan-out 10; $(get run.started))"
set logscale x
set xrange [70:140000]
set xtics ("100" 100, "1,000" 1000, "10,000" 10000, "100,000" 100000)
set xlabel "values in the defaults tree"
set yrange [0:*]
set grid ytics
set key bottom right
set title "Time (Google Benchmark, fastest of 5)"
set ylabel "ns per value"
plot "$data" using 1:2 with linespoints pt 7 lw 2 title "first start", \
     "$data" using 1:3 with linespoints pt 5 lw 2 title "warm start"
set title "Instructions (callgrind, winsim included)"
set ylabel "instructions per value"
plot "$data" using 1:4 with linespoints pt 7 lw 2 title "first start", \
     "$data" using 1:5 with linespoints pt 5 lw 2 title "warm start"
unset multiplot
GNUPLOT
}
