#!/usr/bin/env python3
"""Steady cost of living characters against a bare GTK program, under Xvfb.

Runs, each for --seconds after --warmup seconds, in --runs alternating rounds:
  sample     build/app/kpfplayer with no argument (the bundled sample character)
  base-11    kpf_gtk_baseline repainting one 64x64 RGBA window 11 times a second
  slow       a character whose frames last 1 s (built here with kpftool pack)
  base-1     the baseline at 1 Hz
  twenty     20 sample characters in one process (one started, 19 by LoadCharacter)
and prints medians of CPU (% of a core, from /proc/PID/stat), RssAnon and VmRSS (from
/proc/PID/status), threads and wake-ups a second, each with its ratio to the baseline.

  bench/idle/run_idle.py --build build-rel [--runs 3] [--seconds 30] [--warmup 5] [--cases slow,base-1]
"""
import argparse, json, os, shutil, statistics, subprocess, sys, tempfile, time

TICK = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def status(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            values[key] = rest.split()[0] if rest.split() else ""
    return values


def wakeups(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def measure(command, env, warmup, seconds):
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(warmup)
        if process.poll() is not None:
            raise RuntimeError(f"{command[0]} ended during the warm-up ({process.returncode})")
        ticks, switches, start = cpu_ticks(process.pid), wakeups(process.pid), time.monotonic()
        time.sleep(seconds)
        ticks, switches = cpu_ticks(process.pid) - ticks, wakeups(process.pid) - switches
        elapsed = time.monotonic() - start
        info = status(process.pid)
        return {"cpu": 100.0 * ticks / TICK / elapsed, "anon": int(info["RssAnon"]) / 1024.0,
                "rss": int(info["VmRSS"]) / 1024.0, "threads": int(info["Threads"]),
                "wakeups": switches / elapsed}
    finally:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def pack(kpftool, folder, output):
    subprocess.run([kpftool, "pack", folder, "-o", output], check=True, stdout=subprocess.DEVNULL)


def make_characters(kpftool, source, work):
    sample = os.path.join(work, "sample.kpf")
    pack(kpftool, os.path.join(source, "samples", "sample"), sample)
    # One animation, endless, of two frames of 1 s each (duration in 10 ms units).
    slow = os.path.join(work, "slow")
    shutil.copytree(os.path.join(source, "samples", "sample", "images"), os.path.join(slow, "images"))
    frames = [{"image": "images/idle-0.png", "duration": 100}, {"image": "images/idle-1.png", "duration": 100}]
    project = {"project": {"animations": [{"name": "idle", "repeatCount": 0, "posX": "300", "posY": "300",
                                           "frames": frames}]}}
    with open(os.path.join(slow, "project.json"), "w") as f:
        json.dump(project, f)
    pack(kpftool, slow, os.path.join(work, "slow.kpf"))
    # The sample plus a start script (global trigger 2) loading 19 more samples.
    twenty = os.path.join(work, "twenty")
    shutil.copytree(os.path.join(source, "samples", "sample"), twenty)
    with open(os.path.join(twenty, "project.json")) as f:
        project = json.load(f)
    loads = [{"name": "load", "type": 100, "params": [sample]} for _ in range(19)]
    project["project"]["scripts"].append({"name": "start nineteen more", "trigger": 2, "actions": loads})
    with open(os.path.join(twenty, "project.json"), "w") as f:
        json.dump(project, f)
    pack(kpftool, twenty, os.path.join(work, "twenty.kpf"))
    return os.path.join(work, "slow.kpf"), os.path.join(work, "twenty.kpf")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build-rel", help="a Release build tree with -DKPF_BUILD_BENCH=ON")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=30)
    parser.add_argument("--warmup", type=float, default=5)
    parser.add_argument("--display", default=":77")
    parser.add_argument("--cases", default="sample,base-11,slow,base-1,twenty",
                        help="comma-separated subset of the cases, run in this order")
    args = parser.parse_args()
    source = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    build = os.path.abspath(args.build)
    player = os.path.join(build, "app", "kpfplayer")
    baseline = os.path.join(build, "bench", "kpf_gtk_baseline")
    kpftool = os.path.join(build, "tools", "kpftool", "kpftool")
    for program in (player, baseline, kpftool):
        if not os.access(program, os.X_OK):
            sys.exit(f"missing {program}: build kpfplayer, kpftool and kpf_gtk_baseline in {build}")

    work = tempfile.mkdtemp(prefix="kpf-idle-")
    xvfb = subprocess.Popen(["Xvfb", args.display, "-screen", "0", "1024x700x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(1.5)
        slow, twenty = make_characters(kpftool, source, work)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "XDG_RUNTIME"))}
        env.update(DISPLAY=args.display, HOME=os.path.join(work, "home"), NO_AT_BRIDGE="1")
        os.makedirs(env["HOME"], exist_ok=True)
        cases = [("sample", [player]), ("base-11", [baseline, "11"]), ("slow", [player, slow]),
                 ("base-1", [baseline, "1"]), ("twenty", [player, twenty])]
        chosen = args.cases.split(",")
        unknown = [name for name in chosen if name not in dict(cases)]
        if unknown:
            sys.exit(f"unknown case: {', '.join(unknown)}")
        cases = [case for name in chosen for case in cases if case[0] == name]
        results = {name: [] for name, _ in cases}
        for run in range(args.runs):
            for name, command in cases:
                results[name].append(measure(command, env, args.warmup, args.seconds))
                print(f"run {run + 1} {name}: " + ", ".join(f"{k} {v:.3f}" for k, v in results[name][-1].items()),
                      file=sys.stderr, flush=True)
        medians = {name: {key: statistics.median(r[key] for r in rows) for key in rows[0]}
                   for name, rows in results.items()}
        baselines = {"sample": "base-11", "twenty": "base-11", "slow": "base-1", "base-11": "base-11",
                     "base-1": "base-1"}
        print(f"medians of {args.runs} runs, {args.seconds:g} s each after {args.warmup:g} s")
        print(f"{'case':8} {'CPU %':>14} {'RssAnon MB':>16} {'VmRSS MB':>16} {'threads':>8} {'wake/s':>8}")
        for name, row in medians.items():
            base = medians.get(baselines[name], {})
            ratio = lambda key: f"({row[key] / base[key]:.2f}x)" if base.get(key) else "(-)"
            print(f"{name:8} {row['cpu']:6.3f} {ratio('cpu'):>7} {row['anon']:7.1f} {ratio('anon'):>8} "
                  f"{row['rss']:7.1f} {ratio('rss'):>8} {row['threads']:8.0f} {row['wakeups']:8.1f}")
        if "sample" not in medians or "twenty" not in medians:
            return
        one, many = medians["sample"], medians["twenty"]
        print(f"twenty vs one sample: CPU {many['cpu'] / one['cpu'] if one['cpu'] else 0:.1f}x; each further "
              f"character {(many['anon'] - one['anon']) / 19:.2f} MB RssAnon, {(many['rss'] - one['rss']) / 19:.2f} MB VmRSS")
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
