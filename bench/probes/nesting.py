#!/usr/bin/env python3
"""The deepest nesting and the largest frame the client and the server survive.

Usage: bench/probes/nesting.py BUILD
Sends playerAdded pushes nesting 64 to 500,000 arrays deep to the client's
client server, the same as logins to the game server, then frames of 64 KiB,
1 MiB and 1 MiB + 1; prints whether each program is still alive, and the
client's diagnostic lines. Loopback only."""
import os, socket, struct, subprocess, sys, tempfile, time
build = sys.argv[1]
def frame(payload): return struct.pack("<i", len(payload)) + payload
def deep(n): return b'{"request":6,"data":{"player_name":"Ann","x":' + b"[" * n + b"]" * n + b"}}"
def alive(p): return p.poll() is None
def send(port, data, answer=False):
    s = socket.create_connection(("127.0.0.1", port), timeout=5); s.sendall(data)
    got = b""
    try:
        s.shutdown(socket.SHUT_WR)
        while True:
            b = s.recv(65536)
            if not b: break
            got += b
    except OSError: pass
    s.close(); return got
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=tempfile.mkdtemp(prefix="probe-config-"))
client = subprocess.Popen([f"{build}/bin/tarvendo", "--client-port", "51778"], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
server = subprocess.Popen([f"{build}/bin/tarvendo-server", "--port", "51779"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
time.sleep(3)
for depth in (64, 65, 200_000, 500_000):
    payload = deep(depth)
    if len(payload) <= (1 << 20):
        send(51778, frame(payload))
    sp = deep(depth).replace(b'"request":4', b'"request":0')
    if len(sp) <= 64 * 1024:
        send(51779, frame(sp))
    time.sleep(0.5)
    print(f"nesting {depth:>7} ({len(payload)} bytes): client {'alive' if alive(client) else 'DEAD'}, server {'alive' if alive(server) else 'DEAD'}")
for size in (64 * 1024, 1 << 20, (1 << 20) + 1):
    body = b'{"request":6,"data":{"player_name":"' + b"a" * (size - 40) + b'"}}'
    body = body + b" " * (size - len(body)) if len(body) < size else body[:size]
    send(51778, frame(body)); send(51779, frame(body))
    time.sleep(0.5)
    print(f"frame {size:>8} bytes: client {'alive' if alive(client) else 'DEAD'}, server {'alive' if alive(server) else 'DEAD'}")
client.terminate(); server.terminate()
out = client.communicate(timeout=10)[0].decode(errors="replace").splitlines()
print("client lines:", *[l[:150] for l in out if "nest" in l.lower() or "long" in l.lower() or "frame" in l.lower()][:6], sep="\n  ")
