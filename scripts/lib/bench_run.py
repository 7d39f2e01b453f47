#!/usr/bin/env python3
"""Runs the figures of scripts/bench, prints them side by side with the
reference tools measured in the same run, and writes CSV, a table and a PNG
plot to the output folder.

    bench_run.py --native BUILD [--wine BUILD64] --out DIR [--big auto|yes|no]
                 [--update-docs DOCS_DIR]

BUILD is a native-release build with the benchmarks (bin/Reader, bin/chunkpack,
bin/setup_stamp, bin/send_mail_run, bin/md5_rate and the Google Benchmark
programs of bench/); BUILD64 an x86_64 Windows build with bin/Reader.exe and
the figure programs of bench/system, run under 64-bit Wine.
"""
import argparse
import csv
import datetime
import json
import os
import random
import re
import shutil
import socket
import statistics
import subprocess
import sys
import time
import zlib
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import bench_plot  # noqa: E402

MiB = 1 << 20
REPO = Path(__file__).resolve().parents[2]
NATIVE = "native"
WINE = "Wine (x86_64 build)"
READER_SIZES = [("1 MiB", 1 * MiB), ("64 MiB", 64 * MiB), ("512 MiB", 512 * MiB)]
BIG_SIZE = ("1.9 GiB", int(1.9 * 1024) * MiB)
REPEATS = 3


def log(text):
    print(text, file=sys.stderr, flush=True)


# ---------------------------------------------------------------- figures

class figure_table:
    """Rows of figures. Each row compares one of ours with its reference.

    better: "higher" (rates) or "lower" (times, memory). relative is the
    speed of ours against the reference (above 1: ours is faster); goal is
    the least relative speed the goal allows, or None.
    """

    def __init__(self):
        self.rows = []
        self.missing = []

    def add(self, group, name, platform, ours, unit, better="lower", ref_name="", ref=None,
            goal=None, goal_text="", note="", limit=None):
        """limit: an absolute upper bound for ours (memory) instead of a
        relative goal."""
        relative = None
        if ours is not None and ref and limit is None and unit != "MiB":
            relative = ours / ref if better == "higher" else ref / ours
        met = None
        if goal is not None and relative is not None:
            met = relative >= goal
        if limit is not None and ours is not None:
            met = ours < limit
        self.rows.append(dict(group=group, name=name, platform=platform, ours=ours, unit=unit,
                              better=better, ref_name=ref_name, ref=ref, relative=relative,
                              goal=goal, goal_text=goal_text, met=met, note=note))

    def miss(self, what, why):
        self.missing.append((what, why))
        log("NOT MEASURED: %s: %s" % (what, why))


def fmt(value, unit=""):
    if value is None:
        return "-"
    if unit == "s":
        if value < 1e-3:
            return "%.1f us" % (value * 1e6)
        if value < 1:
            return "%.1f ms" % (value * 1e3)
        return "%.2f s" % value
    if abs(value) >= 100:
        text = "%.0f" % value
    elif abs(value) >= 10:
        text = "%.1f" % value
    else:
        text = "%.2f" % value
    return text + (" " + unit if unit else "")


def table_lines(table, markdown=False):
    head = ["Figure", "Platform", "Ours", "Reference", "Ref. value", "Rel. speed", "Goal", "Met"]
    body = []
    for r in table.rows:
        body.append([r["name"], r["platform"], fmt(r["ours"], r["unit"]), r["ref_name"] or "-",
                     fmt(r["ref"], r["unit"]),
                     "-" if r["relative"] is None else "%.2fx" % r["relative"],
                     r["goal_text"] or "-",
                     "-" if r["met"] is None else ("yes" if r["met"] else "NO")])
    if markdown:
        head = head + ["Note"]
        body = [row + [r["note"]] for row, r in zip(body, table.rows)]
        out = ["| " + " | ".join(head) + " |", "|" + "---|" * len(head)]
        out += ["| " + " | ".join(c.replace("|", "\\|") for c in row) + " |" for row in body]
        return out
    widths = [max(len(x[i]) for x in [head] + body) for i in range(len(head))]
    line = lambda cells: "  ".join(c.ljust(w) for c, w in zip(cells, widths)).rstrip()
    return [line(head), line(["-" * w for w in widths])] + [line(b) for b in body]


# ---------------------------------------------------------------- machine

def machine_info():
    model = "unknown CPU"
    try:
        for text in Path("/proc/cpuinfo").read_text().splitlines():
            if text.startswith("model name"):
                model = text.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return {
        "cpu": model,
        "nproc": os.cpu_count(),
        "kernel": os.uname().release,
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "load_start": "%.2f %.2f %.2f" % os.getloadavg(),
    }


# ---------------------------------------------------------------- running

def parse_time_v(path):
    """Peak resident set size (KiB) and exit status from GNU time -v output."""
    text = Path(path).read_text(errors="replace")
    rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", text)
    status = re.search(r"Exit status: (\d+)", text)
    cpu = sum(float(x) for x in re.findall(r"(?:User|System) time \(seconds\): ([\d.]+)", text))
    return (int(rss.group(1)) if rss else None, int(status.group(1)) if status else None, cpu)


def run_to_files(argv, out_dir, env=None, cwd=None, timeout=900):
    """Runs argv with its output in files, never in pipes: programs that Wine
    starts in the background (its services) inherit the output handles and
    would hold a pipe open long after the program ended. Returns the exit
    status, stdout and stderr."""
    with open(out_dir / "run-stdout.txt", "w+b") as out, open(out_dir / "run-stderr.txt", "w+b") as err:
        done = subprocess.run([str(a) for a in argv], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              env=env, cwd=cwd, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return done.returncode, out.read().decode(errors="replace"), err.read().decode(errors="replace")


def timed(argv, out_dir, env=None, cwd=None, timeout=900):
    """Runs argv under /usr/bin/time -v. Returns start (ns, wall clock), the
    whole wall time (s), peak RSS (KiB), exit status, stdout and stderr."""
    time_file = out_dir / "time-v.txt"
    start = time.time_ns()
    status, stdout, stderr = run_to_files(["/usr/bin/time", "-v", "-o", str(time_file)] + list(argv), out_dir,
                                          env=env, cwd=cwd, timeout=timeout)
    wall = (time.time_ns() - start) / 1e9
    rss, timed_status, cpu = parse_time_v(time_file)
    return dict(start=start, wall=wall, rss_kib=rss, status=timed_status if timed_status is not None else status,
                cpu=cpu, stdout=stdout, stderr=stderr)


def median(values):
    return statistics.median(values) if values else None


# ---------------------------------------------------------------- Google Benchmark

def google_benchmarks(native, out_dir):
    """Runs every Google Benchmark program built from bench/archive and
    bench/mail and returns {name: entry} over all of them."""
    results = {}
    programs = []
    for group in ("archive", "mail"):
        folder = native / "bench" / group
        if not folder.is_dir():
            continue
        # The programs land in bin/; their build folder names their targets.
        for target_dir in sorted(folder.glob("CMakeFiles/*.dir")):
            exe = native / "bin" / target_dir.name[:-4]
            if exe.is_file() and os.access(exe, os.X_OK):
                programs.append(exe)
    # Their scratch files (installers of up to 256 MiB) go into a folder of
    # ours that is removed afterwards.
    scratch = out_dir / "gbench-tmp"
    scratch.mkdir(exist_ok=True)
    env = dict(os.environ, TMPDIR=str(scratch))
    for exe in programs:
        json_out = out_dir / ("gbench-%s.json" % exe.name)
        log("running %s" % exe.name)
        done = subprocess.run([str(exe), "--benchmark_format=json", "--benchmark_out=%s" % json_out,
                               "--benchmark_out_format=json"], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=900)
        if done.returncode != 0 or not json_out.exists():
            log("%s failed: %s" % (exe.name, done.stderr.decode(errors="replace")[-500:]))
            continue
        for entry in json.loads(json_out.read_text())["benchmarks"]:
            if entry.get("run_type", "iteration") != "iteration":
                continue
            entry["program"] = exe.name
            # Google Benchmark appends the run settings ("/min_time:2.000",
            # "/real_time"...) to the name; the pairs go by the plain name.
            name = "/".join(part for part in entry["name"].split("/")
                            if not re.match(r"(min_time|min_warmup_time|iterations|repeats|threads):|"
                                            r"(real_time|manual_time|process_time)$", part))
            results[name] = entry
    shutil.rmtree(scratch, ignore_errors=True)
    return results


def seconds_of(entry):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[entry.get("time_unit", "ns")]
    return entry["real_time"] * scale


def add_google_figures(table, results):
    """Pairs our benchmarks with their references by their names in
    bench/archive and bench/mail."""
    def rate(entry):
        return entry["bytes_per_second"] / 1e6

    log_size = 10 * MiB
    pairs = [  # title, ours, reference, reference name, unit, goal, goal text
        ("md5, 16 KiB buffers (one digest each)", "md5_ours_16k", "md5_openssl_16k", "OpenSSL MD5", "MB/s",
         0.9, ">= 0.90x"),
        ("md5, 64 MiB in 16 KiB updates", "md5_ours_whole/pieces_of_16k:1", "md5_openssl_whole/pieces_of_16k:1",
         "OpenSSL MD5", "MB/s", 0.9, ">= 0.90x"),
        ("md5, 64 MiB whole buffer", "md5_ours_whole/pieces_of_16k:0", "md5_openssl_whole/pieces_of_16k:0",
         "OpenSSL MD5", "MB/s", 0.9, ">= 0.90x"),
        ("to_base64, 57 bytes", "to_base64/57", "EVP_EncodeBlock_fresh/57", "OpenSSL EVP base64", "MB/s",
         1 / 1.5, ">= 0.67x (1.5x time)"),
        ("to_base64, 10 MiB", "to_base64/%d" % log_size, "EVP_EncodeBlock_fresh/%d" % log_size,
         "OpenSSL EVP base64", "MB/s", 1 / 1.5, ">= 0.67x (1.5x time)"),
        ("base64 into kept room, 10 MiB", "encode_bits_reused/%d" % log_size,
         "EVP_EncodeBlock_reused/%d" % log_size, "OpenSSL EVP base64", "MB/s", None, ""),
        ("extraction of a 256 MiB file (in-process)", "extract_256mib", "md5_and_copy_256mib",
         "our md5 + copy, in-process", "s", None, ""),
    ]
    for title, ours_name, ref_name, ref_title, unit, goal, goal_text in pairs:
        ours, ref = results.get(ours_name), results.get(ref_name)
        if not ours or not ref:
            table.miss(title, "benchmark %s or %s did not run" % (ours_name, ref_name))
            continue
        if unit == "MB/s":
            table.add("compute", title, NATIVE, rate(ours), unit, "higher", ref_title, rate(ref), goal, goal_text,
                      note="%s vs %s" % (ours_name, ref_name))
        else:
            table.add("archive", title, NATIVE, seconds_of(ours), unit, "lower", ref_title, seconds_of(ref), goal,
                      goal_text, note="%s vs %s" % (ours_name, ref_name))

    for arg, label in (("0", "0 B"), ("16384", "16 KiB"), ("4194304", "4 MiB")):
        entry = results.get("tail_search/" + arg)
        naive = results.get("tail_search_byte_per_step/" + arg)
        if not entry:
            table.miss("tail search, %s trailing" % label, "benchmark tail_search/%s did not run" % arg)
            continue
        table.add("archive", "tail search, %s trailing" % label, NATIVE, seconds_of(entry), "s", "lower",
                  "one 22-byte read per byte" if naive else "", seconds_of(naive) if naive else None,
                  note="tail_search/%s" % arg)
    entry = results.get("lines_of_base64_log")
    if entry:
        table.add("mail", "lines of a 10 MiB log (base64 wire form)", NATIVE, seconds_of(entry), "s",
                  note="lines_of_base64_log, %d lines" % entry.get("lines", 0))
    else:
        table.miss("lines of a 10 MiB log", "benchmark lines_of_base64_log did not run")


# ---------------------------------------------------------------- md5_rate

def md5_rate(argv, out_dir, env=None):
    _, stdout, _ = run_to_files(argv, out_dir, env=env, timeout=600)
    rates = dict(re.findall(r"^(md5_\w+_MBps) ([\d.]+)", stdout, re.M))
    return {k: float(v) for k, v in rates.items()}


# ---------------------------------------------------------------- installer timing

def make_setup_file(stamp_program, path, size):
    """The setup program followed by random bytes up to `size` bytes."""
    image = Path(stamp_program).read_bytes()
    if size < len(image):
        raise RuntimeError("setup file of %d bytes is smaller than the program" % size)
    with open(path, "wb") as out:
        out.write(image)
        left = size - len(image)
        with open("/dev/urandom", "rb") as noise:
            while left:
                piece = noise.read(min(left, 8 * MiB))
                out.write(piece)
                left -= len(piece)
    os.chmod(path, 0o755)


def pack(chunkpack, stub, setup_file, setup_name, stamp_argument, output):
    subprocess.run([str(chunkpack), "create", str(output), "--stub", str(stub),
                    "--value", "parameters", stamp_argument,
                    "--file", "executable", setup_name, str(setup_file)],
                   check=True, stdout=subprocess.DEVNULL, timeout=900)
    os.chmod(output, 0o755)


def warm(*paths):
    """Reads the files once so that every timed run starts from the page cache."""
    for p in paths:
        with open(p, "rb") as f:
            while f.read(16 * MiB):
                pass


def wine_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def run_installer(argv, stamp, out_dir, env=None):
    """One installer run: time to the setup program's start, whole run, peak RSS."""
    for attempt in range(40):
        if stamp.exists():
            stamp.unlink()
        # Every timed run starts without dirty pages of earlier writes, so
        # that none pays for another's write-back.
        os.sync()
        run = timed(argv, out_dir, env=env, timeout=300)
        if stamp.exists():
            fields = stamp.read_text().split()
            run["to_setup"] = (int(fields[0]) - run["start"]) / 1e9
            run["digest"] = fields[1] if len(fields) > 1 else None
            return run
        # Status 1 without a setup start: another installation (a test run
        # of someone else) holds the machine-wide lock. A lock error ("OpenMutex
        # returned ...") comes from a test that replaces the lock file for a
        # moment. Both pass; try again.
        busy = run["status"] == 1 or "OpenMutex returned" in run["stdout"] + run["stderr"]
        if busy and attempt < 39:
            log("the installer lock is busy or being tested; retrying")
            time.sleep(0.5)
            continue
        raise RuntimeError("installer run did not start the setup program (status %s): %s" %
                           (run["status"], (run["stdout"] + run["stderr"])[-400:]))


def reference_copy(setup_file, copy_dir, out_dir):
    """md5sum of the setup file, then cp of it into a fresh folder."""
    if copy_dir.exists():
        shutil.rmtree(copy_dir)
    copy_dir.mkdir(parents=True)
    os.sync()
    digest = timed(["md5sum", setup_file], out_dir)
    copy = timed(["cp", setup_file, copy_dir / "setup"], out_dir)
    shutil.rmtree(copy_dir)
    return dict(wall=digest["wall"] + copy["wall"], rss_kib=max(digest["rss_kib"] or 0, copy["rss_kib"] or 0),
                cpu=digest["cpu"] + copy["cpu"],
                digest=digest["stdout"].split()[0] if digest["stdout"].strip() else None)


def check_extracted(table, title, runs, refs):
    """Every run's setup program saw the setup file with the digest that
    md5sum gave for the original."""
    expected = {r["digest"] for r in refs}
    seen = {r.get("digest") for r in runs}
    if len(expected) != 1 or seen != expected:
        table.miss(title + ": extracted file check", "md5 of the extracted setup file %s, of the original %s"
                   % (sorted(map(str, seen)), sorted(map(str, expected))))
        return False
    return True


def installer_figures(table, args, out_dir, sizes, wine_env):
    work = out_dir / "work"
    work.mkdir(parents=True, exist_ok=True)
    stamp = work / "setup-started.txt"
    native_tmp = work / "tmp-native"
    native_tmp.mkdir(exist_ok=True)
    env = dict(os.environ, TMPDIR=str(native_tmp))
    native = args.native / "bin"
    wine_bin = args.wine / "bin" if args.wine else None
    plot_rows = []

    for label, size in sizes:
        log("installer with a %s setup file" % label)
        setup_file = work / "setup_stamp"
        installer = work / "installer"
        make_setup_file(native / "setup_stamp", setup_file, size)
        pack(native / "chunkpack", native / "Reader", setup_file, "setup_stamp",
             "--digest setup_stamp " + str(stamp), installer)
        warm(setup_file, installer)
        reader_runs, ref_runs = [], []
        repeats = 1 if size > 1024 * MiB else REPEATS
        for _ in range(repeats):
            reader_runs.append(run_installer([installer], stamp, work, env))
            ref_runs.append(reference_copy(setup_file, work / "copy", work))
        check_extracted(table, "Reader, %s" % label, reader_runs, ref_runs)
        leftovers = list(native_tmp.iterdir())
        if leftovers:
            log("note: the working folder was left behind: %s" % leftovers)
        to_setup = median([r["to_setup"] for r in reader_runs])
        ref = median([r["wall"] for r in ref_runs])
        rss = max(r["rss_kib"] for r in reader_runs) / 1024
        table.add("installer", "Reader to setup start, %s" % label, NATIVE, to_setup, "s", "lower",
                  "md5sum + cp", ref, 1 / 1.3, ">= 0.77x (1.3x time)",
                  note="CPU time (user + system) of the whole run %.2f s, of md5sum + cp %.2f s" % (
                      median([r["cpu"] for r in reader_runs]), median([r["cpu"] for r in ref_runs])))
        table.add("memory", "Reader peak RSS, %s" % label, NATIVE, rss, "MiB", "lower",
                  "md5sum/cp", max(r["rss_kib"] for r in ref_runs) / 1024,
                  goal_text="< 64 MiB", limit=64)
        plot_rows.append(dict(size=label, platform=NATIVE, to_setup=to_setup, ref=ref, rss=rss,
                              whole=median([r["wall"] for r in reader_runs]),
                              cpu=median([r["cpu"] for r in reader_runs]), ref_cpu=median([r["cpu"] for r in ref_runs])))
        installer.unlink()

        if wine_bin and (wine_bin / "Reader.exe").exists():
            log("the same under Wine")
            wine_setup = work / "setup_stamp.exe"
            wine_installer = work / "installer.exe"
            setup_file.unlink()
            make_setup_file(wine_bin / "setup_stamp.exe", wine_setup, size)
            pack(native / "chunkpack", wine_bin / "Reader.exe", wine_setup, "setup_stamp.exe",
                 "--digest setup_stamp.exe " + wine_path(stamp), wine_installer)
            warm(wine_setup, wine_installer)
            wine_runs, wine_refs = [], []
            try:
                for _ in range(repeats):
                    wine_runs.append(run_installer([REPO / "scripts" / "wine-run", "win64", args.wine_prefix,
                                                    wine_installer], stamp, work, wine_env))
                    wine_refs.append(reference_copy(wine_setup, work / "copy", work))
            except (RuntimeError, subprocess.TimeoutExpired) as failure:
                table.miss("Wine: Reader, %s" % label, str(failure))
            if wine_runs:
                check_extracted(table, "Wine: Reader, %s" % label, wine_runs, wine_refs)
                to_setup = median([r["to_setup"] for r in wine_runs])
                ref = median([r["wall"] for r in wine_refs])
                rss = max(r["rss_kib"] for r in wine_runs) / 1024
                table.add("installer", "Reader to setup start, %s" % label, WINE, to_setup, "s", "lower",
                          "md5sum + cp", ref, 1 / 1.3, ">= 0.77x (1.3x time)",
                          note="includes two Wine process starts; CPU time of the whole run %.2f s, of "
                               "md5sum + cp %.2f s" % (median([r["cpu"] for r in wine_runs]),
                                                      median([r["cpu"] for r in wine_refs])))
                table.add("memory", "Reader peak RSS, %s" % label, WINE, rss, "MiB", "lower",
                          "md5sum/cp", max(r["rss_kib"] for r in wine_refs) / 1024,
                          goal_text="< 64 MiB", limit=64,
                          note="RSS of the Wine process, Wine's own mappings included")
                plot_rows.append(dict(size=label, platform=WINE, to_setup=to_setup, ref=ref, rss=rss,
                                      whole=median([r["wall"] for r in wine_runs]),
                                      cpu=median([r["cpu"] for r in wine_runs]),
                                      ref_cpu=median([r["cpu"] for r in wine_refs])))
            wine_setup.unlink()
            wine_installer.unlink()
        if setup_file.exists():
            setup_file.unlink()
    shutil.rmtree(work, ignore_errors=True)
    return plot_rows


def process_start_figures(table, args, out_dir, wine_env):
    """The cost of starting a program that does nothing, natively and under
    Wine: part of every installer figure (the installer and the setup
    program are two program starts)."""
    stamp = out_dir / "start-stamp.txt"
    native = run_installer([args.native / "bin" / "setup_stamp", stamp], stamp, out_dir)
    runs = [native["to_setup"]]
    for _ in range(4):
        runs.append(run_installer([args.native / "bin" / "setup_stamp", stamp], stamp, out_dir)["to_setup"])
    table.add("installer", "start of an empty program", NATIVE, median(runs), "s")
    exe = args.wine / "bin" / "setup_stamp.exe" if args.wine else None
    if exe and exe.exists():
        runs = []
        for _ in range(5):
            runs.append(run_installer([REPO / "scripts" / "wine-run", "win64", args.wine_prefix, exe,
                                       wine_path(stamp)], stamp, out_dir, wine_env)["to_setup"])
        table.add("installer", "start of an empty program", WINE, median(runs), "s")
    if stamp.exists():
        stamp.unlink()


# ---------------------------------------------------------------- sending

def make_log(path, size):
    """A setup log of `size` bytes: ASCII lines like those of a real one."""
    rnd = random.Random(20261211)
    words = ["Property(C):", "MSI (s) (A4:2C)", "Action", "InstallInitialize", "RegisterComponents",
             "CustomAction", "returned", "value", "C:\\Program Files\\Tarnwick\\", "Error", "1720",
             "component", "feature", "Note:", "SOURCEDIR", "ProductVersion", "5.2.3.0"]
    out = bytearray()
    n = 0
    while len(out) < size:
        n += 1
        line = "[%02d:%02d:%02d:%03d]: %s" % (n // 3600000 % 24, n // 60000 % 60, n // 1000 % 60, n % 1000,
                                              " ".join(rnd.choice(words) for _ in range(rnd.randint(3, 14))))
        out += line.encode() + b"\r\n"
    Path(path).write_bytes(bytes(out[:size]))


def send_figures(table, args, out_dir, wine_env):
    log_file = out_dir / "setup-log-10m.txt"
    message_file = out_dir / "message.txt"
    report = out_dir / "sink.jsonl"
    make_log(log_file, 10 * MiB)
    if report.exists():
        report.unlink()
    sink = subprocess.Popen([sys.executable, str(REPO / "scripts" / "lib" / "bench_sink.py"), str(report)],
                            stdout=subprocess.PIPE, text=True)
    try:
        port = sink.stdout.readline().strip()
        repeat = 5

        def sink_reports():
            if not report.exists():
                return []
            return [json.loads(x) for x in report.read_text().splitlines() if x.strip()]

        done = subprocess.run([str(args.native / "bin" / "send_mail_run"), str(log_file), "127.0.0.1", port,
                               "--repeat", str(repeat), "--dump", str(message_file), "--per-line", "1"],
                              capture_output=True, text=True, timeout=900, stdin=subprocess.DEVNULL)
        ours = [float(x) for x in re.findall(r"^send_seconds ([\d.]+)", done.stdout, re.M)]
        if done.returncode != 0 or len(ours) != repeat:
            table.miss("send_mail", "send_mail_run failed: " + done.stderr[-400:])
            return
        per_line = [float(x) for x in re.findall(r"^per_line_seconds ([\d.]+)", done.stdout, re.M)]
        ours_wire = sink_reports()
        done = subprocess.run([sys.executable, str(REPO / "scripts" / "lib" / "bench_smtplib.py"), port,
                               str(message_file), str(repeat)],
                              capture_output=True, text=True, timeout=900)
        ref = [float(x) for x in re.findall(r"^send_seconds ([\d.]+)", done.stdout, re.M)]
        wires = sink_reports()
        ref_wire = wires[len(ours_wire):]
        # The bytes that must arrive: the message lines, each line that
        # begins with "." with one more in front.
        stuffed = re.sub(rb"(?m)^\.", b"..", message_file.read_bytes())
        expected = (len(stuffed), zlib.crc32(stuffed))
        same = bool(ours_wire) and bool(ref_wire) and all((w["bytes"], w["crc32"]) == expected
                                                          for w in ours_wire + ref_wire)
        note = "sink: %d DATA bytes, CRC-32 %08x; %s" % (
            ours_wire[0]["bytes"], ours_wire[0]["crc32"],
            "both clients sent exactly the expected dot-stuffed bytes" if same
            else "THE BYTES RECEIVED DIFFER FROM THE EXPECTED ONES")
        if not same:
            table.miss("send_mail wire check", note)
        table.add("mail", "send_mail, 10 MiB log", NATIVE, median(ours), "s", "lower", "smtplib", median(ref),
                  1.0, ">= 1.00x", note=note)
        if per_line:
            table.add("mail", "one send per line (as before gathering)", NATIVE, median(per_line), "s", "lower",
                      "smtplib", median(ref), note="the same exchange, one send call per message line")

        exe = args.wine / "bin" / "send_mail_run.exe" if args.wine else None
        if exe and exe.exists():
            _, stdout, stderr = run_to_files([REPO / "scripts" / "wine-run", "win64", args.wine_prefix, exe,
                                              wine_path(log_file), "127.0.0.1", port, "--repeat", "3",
                                              "--per-line", "1"],
                                             out_dir, env=wine_env)
            wine = [float(x) for x in re.findall(r"^send_seconds ([\d.]+)", stdout, re.M)]
            if wine:
                wine_wire = sink_reports()[len(wires):]
                same_wine = bool(wine_wire) and all((w["bytes"], w["crc32"]) == expected for w in wine_wire)
                table.add("mail", "send_mail, 10 MiB log", WINE, median(wine), "s", "lower", "smtplib (native)",
                          median(ref), 1.0, ">= 1.00x",
                          note="the expected bytes arrived" if same_wine else "WIRE BYTES DIFFER FROM THE EXPECTED ONES")
                if not same_wine:
                    table.miss("Wine: send_mail wire check", "the bytes received differ from the expected ones")
                per_line = [float(x) for x in re.findall(r"^per_line_seconds ([\d.]+)", stdout, re.M)]
                if per_line:
                    table.add("mail", "one send per line (as before gathering)", WINE, median(per_line), "s",
                              "lower", "smtplib (native)", median(ref),
                              note="the same exchange, one send call per message line")
            else:
                table.miss("Wine: send_mail", (stdout + stderr)[-400:])
    finally:
        sink.terminate()
        sink.wait()
        for p in (log_file, message_file):
            if p.exists():
                p.unlink()


# ---------------------------------------------------------------- main

def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", type=Path, required=True)
    parser.add_argument("--wine", type=Path)
    parser.add_argument("--out", type=Path, required=True)
    parser.add_argument("--big", choices=["auto", "yes", "no"], default="auto")
    parser.add_argument("--sizes", help="setup-file sizes in MiB instead of 1,64,512 (trial runs)")
    parser.add_argument("--update-docs", type=Path)
    parser.add_argument("--only", default="", help="comma-separated groups: gbench,md5,start,installer,send")
    args = parser.parse_args()
    args.native = args.native.resolve()
    args.wine = args.wine.resolve() if args.wine else None
    args.out = args.out.resolve()
    args.out.mkdir(parents=True, exist_ok=True)
    args.wine_prefix = args.out / "wineprefix"
    only = set(filter(None, args.only.split(",")))
    want = lambda group: not only or group in only

    machine = machine_info()
    table = figure_table()
    wine_env = dict(os.environ, WINEPREFIX=str(args.wine_prefix))
    wineserver = None
    if args.wine:
        # One wineserver for the whole run, so that no figure pays its start.
        run_to_files([REPO / "scripts" / "wine-run", "win64", args.wine_prefix, "cmd", "/c", "exit"],
                     args.out, env=wine_env, timeout=300)
        run_to_files(["/usr/lib/wine/wineserver", "-w"], args.out, env=wine_env, timeout=120)
        wineserver = subprocess.Popen(["/usr/lib/wine/wineserver", "-p", "-f"], env=wine_env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    plot_rows = []
    try:
        if want("gbench"):
            add_google_figures(table, google_benchmarks(args.native, args.out))
        if want("md5"):
            rates = md5_rate([args.native / "bin" / "md5_rate"], args.out)
            if rates:
                table.add("compute", "md5 (md5_rate), 16 KiB blocks", NATIVE, rates["md5_16k_MBps"], "MB/s", "higher")
                table.add("compute", "md5 (md5_rate), whole buffer", NATIVE, rates["md5_whole_MBps"], "MB/s", "higher")
            exe = args.wine / "bin" / "md5_rate.exe" if args.wine else None
            if exe and exe.exists():
                wine_rates = md5_rate([REPO / "scripts" / "wine-run", "win64", args.wine_prefix, exe], args.out, wine_env)
                for key, title in (("md5_16k_MBps", "16 KiB blocks"), ("md5_whole_MBps", "whole buffer")):
                    if key in wine_rates:
                        table.add("compute", "md5 (md5_rate), " + title, WINE, wine_rates[key], "MB/s", "higher",
                                  "same program, native", rates.get(key))
        if want("start"):
            process_start_figures(table, args, args.out, wine_env)
        if want("installer"):
            sizes = READER_SIZES
            if args.sizes:
                sizes = [("%s MiB" % n, int(n) * MiB) for n in args.sizes.split(",")]
            plot_rows = installer_figures(table, args, args.out, sizes, wine_env)
            # The 1.9 GiB case shows streaming extraction; extraction that
            # holds whole elements in memory has shown its growth already.
            streams = all(r["rss"] < 64 for r in plot_rows if r["size"] == "512 MiB")
            free = shutil.disk_usage(args.out).free
            if args.big == "yes" or (args.big == "auto" and streams and free > 12 * 1024 * MiB):
                plot_rows += installer_figures(table, args, args.out, [BIG_SIZE], wine_env)
            elif args.big == "auto" and not streams:
                table.miss("1.9 GiB setup file", "extraction holds each element whole in memory (peak RSS "
                           "grows with the setup file, see the 512 MiB row); a 32-bit process cannot hold "
                           "a 1.9 GiB element, so this case is left out")
            elif args.big == "auto":
                table.miss("1.9 GiB setup file", "less than 12 GiB free on %s" % args.out)
        if want("send"):
            send_figures(table, args, args.out, wine_env)
    finally:
        if wineserver:
            subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=wine_env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            wineserver.wait(timeout=30)
    machine["load_end"] = "%.2f %.2f %.2f" % os.getloadavg()

    # ------------------------------------------------------------ output
    machine_line = "%s, %s cores (nproc), Linux %s, %s; load average %s at start, %s at end" % (
        machine["cpu"], machine["nproc"], machine["kernel"], machine["date"], machine["load_start"],
        machine["load_end"])
    with open(args.out / "figures.csv", "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["group", "figure", "platform", "ours", "unit", "better", "reference", "reference_value",
                    "relative_speed", "goal_relative_speed", "goal", "met", "note"])
        for r in table.rows:
            w.writerow([r["group"], r["name"], r["platform"], r["ours"], r["unit"], r["better"], r["ref_name"],
                        r["ref"], r["relative"], r["goal"], r["goal_text"], r["met"], r["note"]])
    with open(args.out / "installer.csv", "w", newline="") as f:
        w = csv.writer(f)
        w.writerow(["setup_size", "platform", "to_setup_s", "whole_run_s", "md5sum_cp_s", "peak_rss_mib",
                    "whole_run_cpu_s", "md5sum_cp_cpu_s"])
        for r in plot_rows:
            w.writerow([r["size"], r["platform"], r["to_setup"], r["whole"], r["ref"], r["rss"], r["cpu"],
                        r["ref_cpu"]])
    (args.out / "machine.json").write_text(json.dumps(machine, indent=1) + "\n")

    text = table_lines(table)
    md = table_lines(table, markdown=True)
    notes = ["", "Machine: " + machine_line]
    for what, why in table.missing:
        notes.append("Not measured: %s: %s" % (what, why))
    (args.out / "table.txt").write_text("\n".join(text + notes) + "\n")
    (args.out / "table.md").write_text("\n".join(md) + "\n\n" + "\n".join(
        "- " + n for n in notes if n) + "\n")
    png = args.out / "bench.png"
    plot_error = bench_plot.plot(table.rows, plot_rows, machine_line, args.out, png)
    print("\n".join(text))
    print("\n".join(notes))
    if plot_error:
        print("Plot: not made: " + plot_error)
    else:
        print("Plot: %s" % png)
    print("CSV: %s, %s" % (args.out / "figures.csv", args.out / "installer.csv"))

    if args.update_docs and not plot_error:
        docs = args.update_docs
        shutil.copyfile(png, docs / "bench.png")
        begin, end = "<!-- bench:table:begin -->", "<!-- bench:table:end -->"
        generated = begin + "\n" + "\n".join(md) + "\n\n" + "\n".join("- " + n for n in notes if n) + "\n" + end
        # The benchmark page, and the README where it shows the same table.
        for page in (docs / "bench.md", docs.parent / "README.md"):
            body = page.read_text() if page.exists() else ""
            if begin in body and end in body:
                body = body[:body.index(begin)] + generated + body[body.index(end) + len(end):]
            elif page.name == "bench.md":
                body += "\n" + generated + "\n"
            else:
                continue
            page.write_text(body)
    return 1 if table.missing else 0


if __name__ == "__main__":
    sys.exit(main())
