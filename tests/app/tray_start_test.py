#!/usr/bin/python3
"""Starts after "Exit" while minimised, on a desktop with a window manager and a notification area.

Starts its own virtual X display, first bare (there "Find city" must hand the keyboard back to the
map), then with openbox and trayer on it. Each start is ended with a
termination signal, which closes the program as "Exit" does and must save every option and the
whole placement. First the program comes back at the place it was closed at, start after start;
at twice the scale, and when placed on a monitor that is gone, it stays on the screen. Then it
starts again and again with the stored state "minimised". After each start, once the window system has settled, the program must show its
window or its icon: a running program that can be reached by neither is the fault this guards.
Every process it starts is ended before it exits, also on failure or timeout.

usage: tray_start_test.py PROGRAM [STARTS]   (10 starts by default)
"""
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
TOOLS = ("/usr/bin/Xvfb", "/usr/bin/openbox", "/usr/bin/trayer", "/usr/bin/xdotool", "/usr/bin/xwininfo",
         "/usr/bin/xprop")
OFF_SCREEN = ('REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria\\Options]\n"StatusColor"=dword:00123456\n\n'
              '[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria\\ZonariaForm]\n"Left"=dword:fffff448\n"Top"=dword:fffff830\n')
MINIMISED = ('REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Zonaria\\ZonariaForm]\n'
             '"State"=dword:00000001\n"Left"=dword:00000064\n"Top"=dword:00000064\n')


def read_line(fd, seconds):
    data = b""
    until = time.monotonic() + seconds
    while not data.endswith(b"\n"):
        left = until - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise RuntimeError("Xvfb gave no display number")
        chunk = os.read(fd, 64)
        if not chunk:
            break
        data += chunk
    return data.decode().strip()


def start(args, env, procs, keep_fd=None):
    p = subprocess.Popen(args, env=env, start_new_session=True, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         pass_fds=(keep_fd,) if keep_fd is not None else ())
    procs.append(p)
    return p


def end(procs):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for p in reversed(procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, sig)
                except ProcessLookupError:
                    pass
        until = time.monotonic() + 3
        while time.monotonic() < until and any(p.poll() is None for p in procs):
            time.sleep(0.05)
    for p in procs:
        p.wait()


def xdotool(env, *args):
    r = subprocess.run(["/usr/bin/xdotool", *args], env=env, capture_output=True, text=True, timeout=10)
    return r.stdout


def showing(env, pid):
    """What of the program can be seen: 'window', 'icon' or None."""
    seen = None
    for wid in xdotool(env, "search", "--onlyvisible", "--pid", str(pid)).split():
        m = re.search(r"Geometry: (\d+)x(\d+)", xdotool(env, "getwindowgeometry", wid))
        if not m:
            continue
        if int(m.group(1)) >= 500:
            return "window"
        if int(m.group(1)) <= 64:
            seen = "icon"
    return seen


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = sys.argv[1]
    starts = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    missing = [t for t in TOOLS if not os.access(t, os.X_OK)]
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        return SKIPPED

    # Ended from outside (a time limit), it still ends what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    tmp = tempfile.mkdtemp(prefix="velkaro-tray-")
    procs = []
    try:
        r, w = os.pipe()
        start(["/usr/bin/Xvfb", "-displayfd", str(w), "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
              dict(os.environ), procs, keep_fd=w)
        os.close(w)
        display = ":" + read_line(r, 20)
        os.close(r)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS", "WAYLAND"))}
        env.update(DISPLAY=display, XDG_CONFIG_HOME=tmp, XDG_RUNTIME_DIR=tmp, QT_QPA_PLATFORM="xcb",
                   DBUS_SESSION_BUS_ADDRESS="disabled:")
        env["ASAN_OPTIONS"] = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS"), "strict_string_checks=0"]))
        reg = os.path.join(tmp, "Zonaria", "registry.reg")
        failures = []
        failed = set()
        announced = os.path.join(tmp, "announced.log")

        def run_once(scale, what, act=None):
            """Starts the program, waits for its window, does what act does, ends it with a
            termination signal; the window's geometry (or None) and the settings file it left."""
            p = start([program], dict(env, QT_SCALE_FACTOR=scale, VELKARO_ANNOUNCE_LOG=announced), procs)
            geometry = None
            until = time.monotonic() + 30
            while geometry is None and time.monotonic() < until:
                time.sleep(0.2)
                for wid in xdotool(env, "search", "--onlyvisible", "--pid", str(p.pid)).split():
                    info = subprocess.run(["/usr/bin/xwininfo", "-id", wid], env=env, capture_output=True,
                                          text=True, timeout=10).stdout
                    v = dict(re.findall(r"(Absolute upper-left Y|Width|Height):\s+(-?\d+)", info))
                    if int(v.get("Width", 0)) >= 500:
                        geometry = v
            time.sleep(1)
            if act:
                act()
            p.send_signal(signal.SIGTERM)
            try:
                if p.wait(20) != 0:
                    failures.append("%s: ended with %s" % (what, p.returncode))
            except subprocess.TimeoutExpired:
                failures.append("%s: did not end" % what)
            procs.remove(p)
            end([p])
            with open(reg) if os.path.exists(reg) else open(os.devnull) as f:
                return geometry, f.read()

        def values(saved, key):
            """The value names of one key of the settings file."""
            part = saved.split("\\Zonaria\\%s]" % key)[-1].split("\n[")[0]
            return sorted(re.findall(r'^"([^"]+)"=', part, re.M))

        def place(saved):
            return re.findall(r'"(?:Left|Top)"=\S+', saved)

        def told():
            with open(announced) if os.path.exists(announced) else open(os.devnull) as f:
                return f.read()

        # No window manager yet: once "Find city" has chosen a city, typing reaches the map again,
        # though the pointer rests beside the window; nothing but the program hands the keys back.
        def find_then_type():
            for args in (("mousemove", "30", "200", "click", "1"), ("mousemove", "1000", "700"), ("key", "ctrl+f"),
                         ("search", "--sync", "--onlyvisible", "--name", "^Find city$")):
                xdotool(env, *args)
            time.sleep(1)
            for city in ("Paris", "Tokyo"):
                xdotool(env, "type", "--delay", "30", city)
                xdotool(env, "key", "Return")
                until = time.monotonic() + 10
                while city + " time" not in told() and time.monotonic() < until:
                    time.sleep(0.1)
        run_once("1", "the start without a window manager", find_then_type)
        if "Tokyo time" not in told():
            failures.append("after Find city the keys did not reach the map: %r" % told())
        shutil.rmtree(os.path.dirname(reg), ignore_errors=True)

        # The panel docks against the window manager: on a loaded machine it may come up before
        # openbox has taken the screen, and then gives up; each is started again until it shows.
        wm = start(["/usr/bin/openbox"], env, procs)
        until = time.monotonic() + 120
        while "window id" not in subprocess.run(["/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                                env=env, capture_output=True, text=True).stdout:
            if time.monotonic() > until:
                raise RuntimeError("the window manager did not come up")
            if wm.poll() is not None:
                wm = start(["/usr/bin/openbox"], env, procs)
            time.sleep(0.1)
        tray_args = ["/usr/bin/trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                     "--width", "120", "--height", "32"]
        tray = start(tray_args, env, procs)
        while not xdotool(env, "search", "--onlyvisible", "--class", "trayer").strip():
            if time.monotonic() > until:
                raise RuntimeError("the notification area did not come up")
            if tray.poll() is not None:
                tray = start(tray_args, env, procs)
            time.sleep(0.1)

        # A fresh profile, then the same place again at every start; at twice the scale the
        # window, now larger than the room below it, keeps its buttons on the screen.
        places = []
        for scale in ("1", "1", "1", "2"):
            geometry, saved = run_once(scale, "a start at scale " + scale)
            places.append(place(saved))
            if scale == "2" and (geometry is None or int(geometry["Absolute upper-left Y"]) + int(geometry["Height"]) > 768):
                failures.append("at 200%%: the window runs off the screen: %s" % geometry)
        if places[1] != places[0] or places[2] != places[0]:
            failures.append("the window moved between starts: %s" % places[:3])
        # Ended by the signal, the program has saved every option and the whole placement.
        if len(values(saved, "Options")) != 25:
            failures.append("options saved: %s" % values(saved, "Options"))
        if values(saved, "ZonariaForm") != ["Height", "Left", "State", "Top", "Topmost", "Width"]:
            failures.append("placement saved: %s" % values(saved, "ZonariaForm"))

        # Placed on a monitor that is gone, the window comes back on the screen; a chosen colour stays.
        with open(reg, "w") as f:
            f.write(OFF_SCREEN)
        _, saved = run_once("1", "the start off the screen")
        corner = [int(v, 16) for v in re.findall(r'"(?:Left|Top)"=dword:(\w+)', saved)]
        if len(corner) != 2 or not (0 <= corner[0] < 1024 and 0 <= corner[1] < 768) or \
                '"StatusColor"=dword:00123456' not in saved:
            failures.append("after the start off the screen: %s" % place(saved))

        with open(reg, "w") as f:
            f.write(MINIMISED)
        for n in range(1, starts + 1):
            p = start([program], env, procs)
            until = time.monotonic() + 30
            while showing(env, p.pid) is None and p.poll() is None and time.monotonic() < until:
                time.sleep(0.1)
            # Late events of the window system come within moments of the first showing.
            time.sleep(1.5)
            seen = showing(env, p.pid)
            if seen != "icon":
                failed.add(n)
                failures.append("start %d: %s" % (n, seen or "neither window nor icon"))
            p.send_signal(signal.SIGTERM)
            try:
                code = p.wait(20)
            except subprocess.TimeoutExpired:
                code = None
            procs.remove(p)
            end([p])
            if code != 0:
                failed.add(n)
                failures.append("start %d: ended with %s" % (n, code))
            with open(reg) as f:
                saved = f.read()
            if '"State"=dword:00000001' not in saved:
                failed.add(n)
                failures.append("start %d: the minimised state was not kept" % n)
            # Never shown, the window keeps the place it was given.
            if '"Left"=dword:00000064' not in saved or '"Top"=dword:00000064' not in saved:
                failed.add(n)
                failures.append("start %d: the place moved: %s" % (n, re.findall(r'"(?:Left|Top)"=\S+', saved)))
        print("%d minimised starts, %d showed their icon" % (starts, starts - len(failed)))
        for line in failures:
            print(line)
        return 1 if failures else 0
    finally:
        end(procs)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
