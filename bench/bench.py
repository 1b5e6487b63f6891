#!/usr/bin/python3
"""Runs the benchmark cases against lattool and the numpy peer and prints the tables.

Every case runs once to warm up, then LAT_BENCH_RUNS times; the tables show medians.
lattool is timed as its whole process; the peer times its own work (bench/peer.py).
Peak memory is the child's maximum resident set size as wait4 reports it.
"""
import argparse
import os
import platform
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PLAIN_HEADER_LINES = 5
MB = 1e6
MiB = 1 << 20


def env_dims(name, default):
    text = os.environ.get(name, default)
    try:
        dims = [int(part) for part in text.lower().split("x")]
    except ValueError:
        sys.exit(f"bench: {name}={text!r} is not NXxNYxNZ")
    if len(dims) != 3 or min(dims) < 1:
        sys.exit(f"bench: {name}={text!r} is not NXxNYxNZ")
    return dims


def env_int(name, default):
    try:
        value = int(os.environ.get(name, default))
    except ValueError:
        sys.exit(f"bench: {name} must be a whole number")
    if value < 1:
        sys.exit(f"bench: {name} must be at least 1")
    return value


def run_child(command, stdout=None, capture=False, env=None):
    """Runs a command; returns (wall seconds, peak resident bytes, captured stdout).

    stdout goes to `stdout` (an open file) when given, is captured with `capture`, and is
    dropped otherwise. A failing command ends the benchmark with its error output.
    """
    with tempfile.TemporaryFile() as err, tempfile.TemporaryFile() as out:
        target = stdout if stdout is not None else (out if capture else subprocess.DEVNULL)
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=target, stderr=err,
                                 env=None if env is None else {**os.environ, **env})
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            err.seek(0)
            sys.exit(f"bench: {' '.join(command)} failed ({child.returncode}): "
                     f"{err.read().decode(errors='replace')}")
        out.seek(0)
        return wall, usage.ru_maxrss * 1024, out.read().decode()


class Runner:
    def __init__(self, runs):
        self.runs = runs

    def project(self, command, runs=None):
        """Median wall time and largest peak memory of lattool over the runs."""
        run_child(command)  # warm-up
        samples = [run_child(command) for _ in range(runs or self.runs)]
        return statistics.median(s[0] for s in samples), max(s[1] for s in samples)

    def peer(self, args, runs=None, env=None):
        command = [sys.executable, os.path.join(HERE, "peer.py")] + args
        run_child(command, capture=True, env=env)  # warm-up
        samples = [run_child(command, capture=True, env=env) for _ in range(runs or self.runs)]
        return statistics.median(float(s[2]) for s in samples), max(s[1] for s in samples)


def generate(generator, form, path, dims):
    if not os.path.exists(path):
        subprocess.run([generator, form, path] + [str(d) for d in dims], check=True)
    return os.path.getsize(path)


def scaled(dims, fraction):
    nz = max(1, round(dims[2] * fraction))
    return [dims[0], dims[1], nz]


def fmt_mb(size):
    return f"{size / MB:.1f} MB"


def fmt_mem(size):
    return f"{size / MiB:.0f} MiB"


def print_table(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |"
    print(line(header))
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print(line(r))


def at_most(name, value, limit):
    return (name, f"{value:.2f}", f"<= {limit:g}", "yes" if value <= limit else "NO")


def at_least(name, value, limit):
    return (name, f"{value:.0f}", f">= {limit:g}", "yes" if value >= limit else "NO")


def machine():
    model, cores = "unknown", os.cpu_count()
    with open("/proc/cpuinfo") as info:
        for text in info:
            if text.startswith("model name"):
                model = text.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as info:
        total = int(info.readline().split()[1]) * 1024
    load = os.getloadavg()
    return (f"{platform.system()} {platform.release()}, {model}, {cores} cores, "
            f"{total / (1 << 30):.0f} GiB memory; load average at start "
            f"{load[0]:.1f} / {load[1]:.1f} / {load[2]:.1f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bin", required=True, help="build bin directory (lattool, generator)")
    parser.add_argument("--work", required=True, help="directory for the generated files")
    parser.add_argument("--keep", action="store_true", help="keep the generated files")
    options = parser.parse_args()

    binary_dims = env_dims("LAT_BENCH_BINARY", "512x512x256")
    plain_dims = env_dims("LAT_BENCH_PLAIN", "256x256x64")
    runner = Runner(env_int("LAT_BENCH_RUNS", "5"))
    scaling_runs = env_int("LAT_BENCH_SCALING_RUNS", "3")
    lattool = os.path.join(options.bin, "lattool")
    generator = os.path.join(options.bin, "lat_bench_data")
    os.makedirs(options.work, exist_ok=True)
    made = []

    def data(form, dims):
        path = os.path.join(options.work, f"{form}-{'x'.join(map(str, dims))}.lat")
        made.append(path)
        return path, generate(generator, form, path, dims)

    print(f"Machine: {machine()}")
    print(f"Runs: one warm-up, then {runner.runs} (scaling: {scaling_runs}); medians shown.\n")
    results, checks = [], []
    try:
        binary, binary_size = data("binary", binary_dims)
        time_p, mem_p = runner.project([lattool, "--quiet", "info", binary])
        time_n, mem_n = runner.peer(["binary", binary])
        lat_import = time_p
        time_n_binary = time_n
        results.append(("binary import (info)", binary_size, time_p, mem_p, time_n, mem_n))
        checks.append(at_most("binary import: time / numpy", time_p / time_n, 0.5))
        checks.append(at_most("binary import: peak RSS / file size", mem_p / binary_size, 1.1))

        plain, plain_size = data("plain", plain_dims)
        time_p, mem_p = runner.project([lattool, "--quiet", "info", plain])
        time_n, mem_n = runner.peer(["plain", plain, str(PLAIN_HEADER_LINES)])
        results.append(("plain import (info)", plain_size, time_p, mem_p, time_n, mem_n))
        checks.append(at_most("plain import: time / numpy.loadtxt", time_p / time_n, 0.2))
        checks.append(at_most("plain import: peak RSS in MiB", mem_p / MiB, 32))

        converted = os.path.join(options.work, "converted.lat")
        made.append(converted)
        time_p, mem_p = runner.project([lattool, "--quiet", "convert", binary, converted])
        time_convert = time_p
        time_n, mem_n = runner.peer(["convert", binary, converted])
        lat_export = time_p
        results.append(("export (convert)", binary_size, time_p, mem_p, time_n, mem_n))
        checks.append(at_most("convert: time / numpy", time_p / time_n, 1.0))
        checks.append(at_most("convert: peak RSS / file size", mem_p / binary_size, 2.1))

        # latio, the Python module: its read beside numpy's, its write beside lattool convert.
        latio_env = {"PYTHONPATH": os.path.join(os.path.dirname(options.bin), "python")}
        time_r, mem_r = runner.peer(["latio-read", binary], env=latio_env)
        time_w, mem_w = runner.peer(["latio-write", binary, converted], env=latio_env)
        latio_rows = [("latio.read", fmt_mb(binary_size), f"{time_r:.3f} s", fmt_mem(mem_r),
                       "numpy (binary import)", f"{time_n_binary:.3f} s",
                       f"{time_r / time_n_binary:.2f}"),
                      ("latio.write", fmt_mb(binary_size), f"{time_w:.3f} s", fmt_mem(mem_w),
                       "lattool convert", f"{time_convert:.3f} s",
                       f"{time_w / time_convert:.2f}")]
        checks.append(at_most("latio.read: time / numpy", time_r / time_n_binary, 1.0))
        checks.append(at_most("latio.read: peak RSS / file size", mem_r / binary_size, 2.1))
        checks.append(at_most("latio.write: time / lattool convert", time_w / time_convert, 1.2))

        rows = [(name, fmt_mb(size), f"{tp:.3f} s", f"{size / MB / tp:.0f}", fmt_mem(mp),
                 f"{tn:.3f} s", fmt_mem(mn), f"{tp / tn:.2f}")
                for name, size, tp, mp, tn, mn in results]
        print_table(["case", "file", "lattool", "MB/s", "peak RSS", "numpy", "numpy peak",
                     "ratio"], rows)
        print()
        print_table(["case", "file", "latio", "peak RSS", "beside", "its time", "ratio"],
                    latio_rows)

        print()
        scaling_rows = []
        for form, dims in (("binary", binary_dims), ("plain", plain_dims)):
            per_mb = {}
            for fraction in (0.125, 0.25, 0.5, 1.0):
                path, size = data(form, scaled(dims, fraction))
                seconds, memory = runner.project([lattool, "--quiet", "info", path], scaling_runs)
                per_mb[fraction] = seconds / (size / MB)
                scaling_rows.append((f"{form} import", f"1/{round(1 / fraction)}", fmt_mb(size),
                                     f"{seconds:.3f} s", f"{per_mb[fraction] * 1000:.2f}",
                                     f"{per_mb[fraction] / per_mb[0.125]:.2f}", fmt_mem(memory)))
            checks.append(at_most(f"{form} import: time per MB, full size / 1/8 size",
                                  per_mb[1.0] / per_mb[0.125], 1.2))
        print_table(["case", "size", "file", "lattool", "ms/MB", "vs 1/8", "peak RSS"],
                    scaling_rows)

        print()
        small, small_size = data("binary", scaled(binary_dims, 0.125))
        json_path = os.path.join(options.work, "dump.json")
        made.append(json_path)
        with open(json_path, "wb") as out:
            run_child([lattool, "--quiet", "dump", small], out)
        json_size = os.path.getsize(json_path)
        os.remove(json_path)
        seconds, memory = runner.project([lattool, "--quiet", "dump", small])
        print_table(["case", "file", "JSON", "lattool", "JSON MB/s", "peak RSS"],
                    [("dump (to /dev/null)", fmt_mb(small_size), fmt_mb(json_size),
                      f"{seconds:.3f} s", f"{json_size / MB / seconds:.0f}", fmt_mem(memory))])
        checks.append(at_least("dump of the 1/8 binary file: JSON MB/s",
                               json_size / MB / seconds, 100))

        # The same lattice as VTK XML: raw export and import against the LAT ones, and the zlib
        # export against VTK's own writer (python3-vtk9) on the array in memory.
        vti, vtiz, peer_vti = (os.path.join(options.work, name)
                               for name in ("converted.vti", "zlib.vti", "vtk-zlib.vti"))
        made += [vti, vtiz, peer_vti]
        time_e, mem_e = runner.project([lattool, "--quiet", "convert", binary, vti])
        time_i, mem_i = runner.project([lattool, "--quiet", "info", vti])
        time_z, mem_z = runner.project([lattool, "--quiet", "convert", binary, vtiz,
                                        "--options", "Compress=zlib"])
        time_v, mem_v = runner.peer(["vtk-zlib", binary, peer_vti])
        vtk_rows = [
            (".vti raw export (convert)", os.path.getsize(vti), time_e, mem_e,
             "LAT export", lat_export),
            (".vti raw import (info)", os.path.getsize(vti), time_i, mem_i,
             "LAT binary import", lat_import),
            (".vti zlib export (convert)", os.path.getsize(vtiz), time_z, mem_z,
             f"vtkXMLImageDataWriter zlib ({fmt_mb(os.path.getsize(peer_vti))})", time_v),
        ]
        checks.append(at_most("vti export: time / LAT export", time_e / lat_export, 1.2))
        checks.append(at_most("vti import: time / LAT binary import", time_i / lat_import, 1.2))
        checks.append(at_most("vti zlib export: time / VTK's writer", time_z / time_v, 1.0))
        print()
        print_table(["VTK case", "file", "lattool", "peak RSS", "against", "its time", "ratio"],
                    [(name, fmt_mb(size), f"{t:.3f} s", fmt_mem(m), other, f"{o:.3f} s",
                      f"{t / o:.2f}") for name, size, t, m, other, o in vtk_rows])

        print()
        print_table(["target", "measured", "goal", "met"], checks)
    finally:
        if not options.keep:
            for path in made:
                if os.path.exists(path):
                    os.remove(path)


if __name__ == "__main__":
    main()
