"""A loopback data source for bench_net: accepts connections one after
another, sends each one SIZE MiB and closes it. Writes its port to
PORTFILE and stops after CONNECTIONS connections or 10 minutes.

Usage: net_source.py PORTFILE SIZE_MIB CONNECTIONS"""
import os
import socket
import sys
import time


def main():
    port_file, size_mib, connections = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    block = bytes(range(256)) * 256  # 64 KiB
    blocks = size_mib * 16
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(4)
    server.settimeout(600)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.replace(port_file + ".tmp", port_file)
    deadline = time.monotonic() + 600
    for _ in range(connections):
        if time.monotonic() > deadline:
            break
        try:
            peer, _ = server.accept()
        except OSError:
            break
        with peer:
            try:
                for _ in range(blocks):
                    peer.sendall(block)
            except OSError:
                pass
    server.close()


if __name__ == "__main__":
    main()
