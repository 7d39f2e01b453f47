"""The plot of scripts/bench, drawn by gnuplot into a PNG.

Top: the speed of each of our figures relative to its reference (1 = as
fast as the reference; above 1 faster), with the goal marked. Bottom left:
Reader's time to the setup program's start against md5sum + cp of the same
bytes, per setup-file size. Bottom right: Reader's peak resident memory.
"""
import shutil
import subprocess

NATIVE_COLOR = "#1f77b4"
WINE_COLOR = "#d62728"
REF_COLOR = "#7f7f7f"


def quote(text):
    return '"' + text.replace('"', "'") + '"'


def number(value):
    return "NaN" if value is None else repr(float(value))


def plot(rows, installer_rows, machine_line, out_dir, png):
    """Writes png; returns None, or the reason why no plot was made."""
    gnuplot = shutil.which("gnuplot")
    if not gnuplot:
        return "gnuplot is not installed (Debian package gnuplot-nox)"

    relative = [r for r in rows if r["relative"] is not None]
    with open(out_dir / "plot-relative.dat", "w") as f:
        for i, r in enumerate(relative):
            short = "W" if r["platform"] != "native" else "N"
            f.write("%d\t%s\t%s\t%s\t%d\n" % (i, quote("%s [%s]" % (r["name"], short)), number(r["relative"]),
                                               number(r["goal"]), 1 if short == "N" else 2))
    sizes = []
    for r in installer_rows:
        if r["size"] not in sizes:
            sizes.append(r["size"])
    by = {(r["size"], r["platform"]): r for r in installer_rows}
    with open(out_dir / "plot-installer.dat", "w") as f:
        for s in sizes:
            native = by.get((s, "native"))
            wine = next((r for (size, p), r in by.items() if size == s and p != "native"), None)
            f.write("%s\t%s\t%s\t%s\t%s\t%s\n" % (
                quote(s), number(native and native["to_setup"]), number(native and native["ref"]),
                number(wine and wine["to_setup"]), number(native and native["rss"]), number(wine and wine["rss"])))

    values = [r["relative"] for r in relative] + [r["goal"] for r in relative if r["goal"]] + [1.0]
    ymin, ymax = min(values) / 1.5, max(values) * 1.5
    rss = [r["rss"] for r in installer_rows if r.get("rss")] + [64]
    rss_top = max(rss) * 6
    template = """
set terminal pngcairo size 1500,1050 font "DejaVu Sans,10"
set output {png}
set datafile separator "\\t"
set termoption noenhanced
set multiplot title {title} font ",11"
""" + ("""
set origin 0,0.45
set size 1,0.52
set title "Speed relative to the reference (1 = as fast; higher is better)   [N] native, [W] Wine (x86_64 build)"
set style fill solid 0.8 border -1
set boxwidth 0.7
set logscale y
set yrange [{ymin}:{ymax}]
set ylabel "relative speed (log scale)"
set ytics ("0.01" 0.01, "0.03" 0.03, "0.1" 0.1, "0.3" 0.3, "0.5" 0.5, "0.77" 0.77, "1" 1, "1.5" 1.5, "2" 2, "3" 3, "5" 5, "10" 10, "30" 30, "100" 100, "300" 300, "1000" 1000, "10^4" 10000, "10^5" 100000)
set lmargin 14
set bmargin 7
set xrange [-0.6:{nrel}-0.4]
set xtics rotate by 25 right font ",9" nomirror
set grid ytics
set key top right
plot {rel} using 1:3:($5==1?0x1f77b4:0xd62728):xtic(2) with boxes lc rgb variable notitle, \\
     {rel} using 1:4 with points pt 5 ps 1.6 lc rgb "black" title "goal", \\
     1 with lines dt 2 lc rgb "#555555" notitle
""" if relative else "") + ("""
set origin 0,0
set size 0.5,0.45
set title "Reader: start to setup start, vs md5sum + cp of the same bytes"
set yrange [*:*]
set autoscale x
set ylabel "seconds (log scale)"
set ytics auto
set bmargin 3
set xtics norotate center font ",10"
set style data histograms
set style histogram clustered gap 1
set boxwidth 0.9 relative
set key top left
plot {inst} using 2:xtic(1) lc rgb "{native}" title "Reader, native", \\
     '' using 3 lc rgb "{ref}" title "md5sum + cp"{wine_times}

set origin 0.5,0
set size 0.5,0.45
set title "Reader: peak resident memory"
set ylabel "MiB (log scale)"
set yrange [1:{rss_top}]
set key top left
plot {inst} using 5:xtic(1) lc rgb "{native}" title "native", \\
{wine_rss}     64 with lines dt 2 lw 2 lc rgb "black" title "64 MiB"
""" if installer_rows else "") + """
unset multiplot
"""
    has_wine = any(r["platform"] != "native" for r in installer_rows)
    wine_times = (', \\\n     \'\' using 4 lc rgb "%s" title "Reader, Wine (x86_64 build)"' % WINE_COLOR
                  if has_wine else "")
    wine_rss = ('     \'\' using 6 lc rgb "%s" title "Wine (x86_64 build)", \\\n' % WINE_COLOR
                if has_wine else "")
    script = template.format(wine_times=wine_times, wine_rss=wine_rss, png=quote(str(png)), title=quote(machine_line), nrel=max(len(relative), 1), ymin=ymin, ymax=ymax, rss_top=rss_top,
           rel=quote(str(out_dir / "plot-relative.dat")), inst=quote(str(out_dir / "plot-installer.dat")),
           native=NATIVE_COLOR, ref=REF_COLOR, wine=WINE_COLOR)
    script_path = out_dir / "plot.gp"
    script_path.write_text(script)
    done = subprocess.run([gnuplot, str(script_path)], capture_output=True, text=True)
    if done.returncode != 0 or not png.exists():
        return "gnuplot failed: " + done.stderr[-400:]
    return None
