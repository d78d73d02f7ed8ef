#!/usr/bin/env python3
"""Echoes every TCP connection's bytes back, from the far end of the test's veth pair.

Usage: echo_server.py ADDRESS PORT_FILE. Listens on ADDRESS with a port the system picks,
writes the port to PORT_FILE, and gives up by itself after five minutes without a client.
"""
import os
import socket
import sys
import threading


def echo(conn):
    conn.settimeout(60)
    with conn:
        try:
            while True:
                data = conn.recv(65536)
                if not data:
                    return
                conn.sendall(data)
        except OSError:
            return


def main():
    address, port_file = sys.argv[1], sys.argv[2]
    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind((address, 0))
    server.listen(8)
    server.settimeout(300)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.getsockname()[1]))
    os.replace(port_file + ".tmp", port_file)
    while True:
        try:
            conn, _ = server.accept()
        except OSError:
            return
        threading.Thread(target=echo, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
