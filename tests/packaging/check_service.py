#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player's service template: systemd-analyze verifies it, and its command line, run as the
unit runs it (its environment and environment file, an unprivileged user in the dialout group,
no new privileges), plays a show on a pseudo-terminal that stands for the serial port and ends
within a second of SIGTERM.

Usage: check_service.py BUILD_DIR SOURCE_DIR   (needs root to switch the user)
"""
import grp, os, pty, re, select, shlex, shutil, signal, subprocess, sys, tempfile, time

build, source = sys.argv[1], sys.argv[2]
unit_path = os.path.join(source, "data", "kalvetro-player@.service")
binary = os.path.join(os.path.abspath(build), "kalvetro")
failures = []


def fail(why):
    failures.append(why)
    print("FAIL:", why, file=sys.stderr)


def unit_lines(text):
    section, lines = None, []
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        if line.startswith("["):
            section = line.strip("[]")
            continue
        key, _, value = line.partition("=")
        lines.append((section, key, value))
    return lines


text = open(unit_path).read().replace("/usr/bin/kalvetro", binary)
with tempfile.TemporaryDirectory() as tmp:
    os.chmod(tmp, 0o755)
    # systemd-analyze on an instance of the template (the manual page is not installed here).
    instance = os.path.join(tmp, "kalvetro-player@demo.service")
    open(instance, "w").write(text)
    verify = subprocess.run(["systemd-analyze", "verify", "--man=no", instance],
                            capture_output=True, text=True)
    if verify.returncode != 0 or verify.stderr.strip():
        fail("systemd-analyze verify: " + verify.stderr.strip())
    settings = dict((k, v) for s, k, v in unit_lines(text) if s == "Service" and k != "Environment")
    for needed in ("ProtectSystem", "ProtectHome", "NoNewPrivileges", "PrivateTmp", "DeviceAllow",
                   "SupplementaryGroups", "Restart", "KillSignal"):
        if needed not in settings:
            fail(f"the unit has no {needed}=")

    # The environment as systemd builds it for instance "demo": the unit's lines, then the
    # environment file, with %i and %S put in.
    state = os.path.join(tmp, "state")
    etc = os.path.join(tmp, "etc")
    os.makedirs(os.path.join(state, "kalvetro-player", "demo"))
    os.makedirs(etc)

    def specifiers(value):
        return value.replace("%i", "demo").replace("%S", state).replace("/etc/kalvetro", etc)

    env = {"PATH": "/usr/bin:/bin", "LANG": "C.UTF-8"}
    for section, key, value in unit_lines(text):
        if section == "Service" and key == "Environment":
            name, _, val = value.partition("=")
            env[name] = specifiers(val)
    master, slave = pty.openpty()
    port = os.ttyname(slave)
    dialout = grp.getgrnam("dialout").gr_gid
    os.chown(port, 0, dialout)  # as udev gives a serial port to the dialout group
    os.chmod(port, 0o660)
    show = os.path.join(etc, "demo.klv")
    shutil.copy(os.path.join(build, "data", "demo.klv"), show)
    os.chmod(show, 0o644)
    # The environment file names the port and an option, as an installation's would.
    open(os.path.join(etc, "demo.env"), "w").write(
        f"KALVETRO_PORT={port}\nKALVETRO_OPTIONS=--crossfade off\n")
    for line in open(os.path.join(etc, "demo.env")):
        name, _, val = line.strip().partition("=")
        env[name] = val
    os.chown(os.path.join(state, "kalvetro-player", "demo"), 65534, 65534)
    exec_start = specifiers(settings["ExecStart"])
    exec_start = re.sub(r"\$\{(\w+)\}", lambda m: shlex.quote(env.get(m.group(1), "")), exec_start)
    exec_start = re.sub(r"\$(\w+)", lambda m: env.get(m.group(1), ""), exec_start)
    command = ["setpriv", "--reuid=65534", "--regid=65534", f"--groups={dialout}",
               "--no-new-privs", "--"] + shlex.split(exec_start)
    player = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
    # Packets on the port: the start bytes of a DMX packet within a few seconds.
    got = b""
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and got.count(b"\xff\xf0\xff\xff") < 5:
        ready, _, _ = select.select([master], [], [], 0.2)
        if ready:
            got += os.read(master, 65536)
    if got.count(b"\xff\xf0\xff\xff") < 5:
        fail(f"the unit's command sent no packets ({len(got)} bytes)")
    else:
        print(f"packets seen on {port} as user nobody in group dialout", file=sys.stderr)
    asked = time.monotonic()
    player.send_signal(signal.SIGTERM)
    try:
        code = player.wait(timeout=5)
        took = time.monotonic() - asked
        print(f"SIGTERM to exit: {took * 1000:.0f} ms, code {code}", file=sys.stderr)
        if took > 1.0:
            fail(f"SIGTERM took {took:.2f} s")
        if code != 0:
            fail(f"exit code {code}: {player.stderr.read()}")
    except subprocess.TimeoutExpired:
        player.kill()
        fail("SIGTERM did not end the player")
    os.close(master)
    os.close(slave)

sys.exit(1 if failures else 0)
