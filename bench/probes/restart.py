#!/usr/bin/env python3
"""Time from a killed game server's restart on its state until the team is back.

Usage: bench/probes/restart.py BUILD
Eight bots play on a server with --state; the server is killed (SIGKILL) and
started again on the same file ten times; prints the median time from each
start until every seat is taken back. Loopback only."""
import os, signal, statistics, subprocess, sys, time
build = sys.argv[1]; port = 51813; players = 8
state = "/tmp/restart-figure.db"; log = "/tmp/restart-figure.log"
def server():
    return subprocess.Popen([f"{build}/bin/tarvendo-server", "--port", str(port), "--state", state, "--grace", "60"],
                            stdout=open(log, "w"), stderr=subprocess.STDOUT)
srv = server(); time.sleep(1)
bots = subprocess.Popen([f"{build}/bin/tarvendo-bot", "--server", f"127.0.0.1:{port}", "--players", str(players),
                         "--client-port-base", "0", "--think-ms", "200", "--admin", "--deals", "100000"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(2)
times = []
for round in range(10):
    srv.send_signal(signal.SIGKILL); srv.wait()
    srv = server(); start = time.monotonic()
    while open(log).read().count("seat taken back") < players and time.monotonic() - start < 20:
        time.sleep(0.005)
    times.append(time.monotonic() - start)
    time.sleep(4)
print(f"team of {players} bots back after a restart: median {statistics.median(times):.2f} s, min {min(times):.2f}, max {max(times):.2f} over {len(times)}")
bots.terminate(); srv.terminate(); bots.wait(); srv.wait()
for f in (state, state + "-wal", state + "-shm", log):
    if os.path.exists(f): os.unlink(f)
