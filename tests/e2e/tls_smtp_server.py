#!/usr/bin/env python3
"""SMTP servers with TLS on 127.0.0.1 for the secure mail test, on Python's own ssl module.

Usage: tls_smtp_server.py DIR

DIR holds the certificates (good.pem/good.key: localhost from the test CA; other.pem/other.key:
localhost from a CA nobody trusts; wrongname.pem/wrongname.key: another name from the test
CA). One server per kind listens on an ephemeral port; "DIR/ports" lists them as kind=port
once all listen. Each connection appends to DIR/<kind>.log one line per command, "plain ..."
or "tls ...", "tls [message]" for the message (kept in DIR/<kind>.msg), "close_notify" when
the client ended TLS properly, and "end" when the connection is over. The process ends by
itself after a few minutes.
"""
import os
import socket
import ssl
import sys
import threading
import time

LIFETIME_S = 600
IO_TIMEOUT_S = 15

KINDS = {
    # kind: (certificate, TLS from the first byte, STARTTLS offered, asks for a client certificate)
    "starttls": ("good", False, True, False),
    "tls": ("good", True, False, False),
    "nostarttls": ("good", False, False, False),
    "untrusted": ("other", False, True, False),
    "wrongname": ("wrongname", True, False, False),
    "clientcert": ("good", True, False, True),
}


class Connection:
    def __init__(self, sock, record):
        self.sock = sock
        self.buffer = b""
        self.secure = False
        self.record = record

    def send(self, text):
        self.sock.sendall(text.encode("ascii"))

    def read_line(self):
        while b"\r\n" not in self.buffer:
            data = self.sock.recv(4096)
            if not data:
                raise EOFError
            self.buffer += data
        line, self.buffer = self.buffer.split(b"\r\n", 1)
        text = line.decode("latin-1")
        self.record(("tls " if self.secure else "plain ") + text)
        return text

    def read_message(self):
        while b"\r\n.\r\n" not in self.buffer:
            data = self.sock.recv(65536)
            if not data:
                raise EOFError
            self.buffer += data
        message, self.buffer = self.buffer.split(b"\r\n.\r\n", 1)
        self.record(("tls " if self.secure else "plain ") + "[message]")
        return message


def serve(conn, context, implicit, offer_starttls, record, message_path):
    c = Connection(conn, record)
    if implicit:
        c.sock = context.wrap_socket(conn, server_side=True)
        c.secure = True
    c.send("220 localhost ESMTP test\r\n")
    while True:
        line = c.read_line()
        verb = line.split(" ", 1)[0].upper()
        if verb in ("EHLO", "HELO"):
            extensions = ["localhost"]
            if offer_starttls and not c.secure:
                extensions.append("STARTTLS")
            extensions.append("AUTH LOGIN")
            c.send("".join("250-%s\r\n" % e for e in extensions[:-1]) + "250 %s\r\n" % extensions[-1])
        elif verb == "STARTTLS" and offer_starttls and not c.secure:
            c.send("220 go ahead\r\n")
            if c.buffer:
                record("plain text before the handshake")
                return
            c.sock = context.wrap_socket(conn, server_side=True)
            c.secure = True
        elif line.upper() == "AUTH LOGIN":
            c.send("334 VXNlcm5hbWU6\r\n")
            c.read_line()
            c.send("334 UGFzc3dvcmQ6\r\n")
            c.read_line()
            c.send("235 authenticated\r\n")
        elif verb in ("MAIL", "RCPT"):
            c.send("250 ok\r\n")
        elif verb == "DATA":
            c.send("354 go ahead\r\n")
            message = c.read_message()
            with open(message_path, "wb") as f:
                f.write(message)
            c.send("250 queued\r\n")
        elif verb == "QUIT":
            c.send("221 bye\r\n")
            if c.secure:
                try:
                    c.sock.unwrap()  # our close_notify, then the client's
                    record("close_notify")
                except (OSError, ssl.SSLError):
                    pass
            return
        else:
            c.send("502 unknown command\r\n")


def run_kind(directory, kind, listener, context, implicit, offer_starttls):
    log_path = os.path.join(directory, kind + ".log")
    message_path = os.path.join(directory, kind + ".msg")
    while True:
        conn, _ = listener.accept()
        conn.settimeout(IO_TIMEOUT_S)
        lines = []

        def record(text):
            lines.append(text)
            with open(log_path, "a", encoding="latin-1") as f:
                f.write(text + "\n")

        try:
            serve(conn, context, implicit, offer_starttls, record, message_path)
        except EOFError:
            pass  # the client hung up; "end" says so
        except (OSError, ssl.SSLError, ValueError) as e:
            record("error " + type(e).__name__)
        finally:
            try:
                conn.close()
            except OSError:
                pass
            record("end")


def main():
    directory = sys.argv[1]
    ports = []
    for kind, (cert, implicit, offer_starttls, client_cert) in KINDS.items():
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(directory, cert + ".pem"), os.path.join(directory, cert + ".key"))
        if client_cert:
            # Asks for one but lets a client without one in, as many mail servers do.
            context.verify_mode = ssl.CERT_OPTIONAL
            context.load_verify_locations(os.path.join(directory, "ca.pem"))
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.bind(("127.0.0.1", 0))
        listener.listen(4)
        ports.append("%s=%d" % (kind, listener.getsockname()[1]))
        threading.Thread(target=run_kind, args=(directory, kind, listener, context, implicit, offer_starttls),
                         daemon=True).start()
    with open(os.path.join(directory, "ports.tmp"), "w") as f:
        f.write("\n".join(ports) + "\n")
    os.replace(os.path.join(directory, "ports.tmp"), os.path.join(directory, "ports"))
    time.sleep(LIFETIME_S)


if __name__ == "__main__":
    main()
