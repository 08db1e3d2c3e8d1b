#!/usr/bin/env python3
"""The client's CPU while its descriptors are used up by idle connections.

Usage: bench/probes/client_cpu.py BUILD/bin/tarvendo
Starts the client (offscreen) under ulimit -n 128, opens up to 200 idle
connections to its client server from 127.0.0.2...51, and prints the CPU it
uses over the next 10 s. Loopback only."""
import os, socket, subprocess, sys, tempfile, time
binary = sys.argv[1]
port = 51777
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=tempfile.mkdtemp(prefix="probe-config-"))
proc = subprocess.Popen(["bash", "-c", f"ulimit -n 128; exec {binary} --client-port {port}"], env=env,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(3)
socks = []
for i in range(200):
    s = socket.socket()
    s.bind(("127.0.0.%d" % (2 + i % 50), 0)); s.settimeout(0.5)
    try:
        s.connect(("127.0.0.1", port)); socks.append(s)
    except OSError:
        s.close()
time.sleep(1)
def cpu():
    f = open(f"/proc/{proc.pid}/stat").read().split(")")[1].split()
    return (int(f[11]) + int(f[12])) / os.sysconf("SC_CLK_TCK")
c0, t0 = cpu(), time.time(); time.sleep(10); c1, t1 = cpu(), time.time()
fds = len(os.listdir(f"/proc/{proc.pid}/fd"))
print(f"connections opened {len(socks)}, client descriptors {fds}, CPU {100*(c1-c0)/(t1-t0):.1f} % of a core over {t1-t0:.0f} s")
proc.terminate(); proc.wait(10)
