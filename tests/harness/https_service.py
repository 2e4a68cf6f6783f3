"""The online tests' HTTPS service: real TLS from a test-time CA, one behaviour per route, requests recorded."""
import http.server
import json
import random
import socket
import ssl
import subprocess
import threading
import time
from pathlib import Path

from lumenfold_env import SERVICE_HOSTS as HOSTS, SYSTEM_BUNDLE


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True, timeout=60)


def _make_certificate(folder, ca_name, names):
    folder.mkdir(parents=True, exist_ok=True)
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", f"/CN={ca_name}",
             "-keyout", "ca.key", "-out", "ca.pem", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    _openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={names[0]}", "-keyout", "server.key",
             "-out", "server.csr", cwd=folder)
    alt = ",".join(f"DNS:{n}" for n in names)
    (folder / "ext.cnf").write_text(f"subjectAltName={alt}\nextendedKeyUsage=serverAuth\n")
    _openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
             "-days", "2", "-extfile", "ext.cnf", "-out", "server.pem", cwd=folder)
    return folder / "ca.pem", folder / "server.pem", folder / "server.key"


# Behaviours take the request handler and answer.
def answer(body, status=200, content_type="application/json", **headers):  # headers: Location="..."
    data = body if isinstance(body, bytes) else body.encode() if isinstance(body, str) else json.dumps(body).encode()

    def send(handler):
        handler.send_response(status)
        for name, value in {"Content-Type": content_type, "Content-Length": str(len(data)), **headers}.items():
            handler.send_header(name, value)
        handler.end_headers()
        handler.wfile.write(data)
    return send


def slow(body, seconds):
    """Announces the body and trickles it out over `seconds`."""
    def send(handler):
        handler.send_response(200)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        step = max(1, len(body) // 20)
        for i in range(0, len(body), step):
            handler.wfile.write(body[i:i + step])
            handler.wfile.flush()
            time.sleep(seconds / 20)
    return send


def cut(body):
    """Announces twice the body, sends half of it and closes the connection."""
    def send(handler):
        handler.send_response(200)
        handler.send_header("Content-Length", str(2 * len(body)))
        handler.end_headers()
        handler.wfile.write(body[: len(body) // 2])
        handler.wfile.flush()
        handler.connection.shutdown(socket.SHUT_RDWR)
        handler.close_connection = True
    return send


def stall(seconds):
    """Answers nothing for `seconds`, then closes the connection."""
    def send(handler):
        time.sleep(seconds)
        handler.close_connection = True
    return send


def echo(handler):
    answer({"method": handler.command, "path": handler.path, "headers": dict(handler.headers.items()),
            "body": handler.request_body.decode(errors="replace")})(handler)


class HttpsService:
    def __init__(self, folder, port=0, lifetime=900):
        self.folder = Path(folder)
        # Its own address in 127/8, so that tests never share a port.
        self.address = f"127.{random.randint(1, 254)}.{random.randint(0, 255)}.{random.randint(1, 254)}"
        self.routes, self.requests = {}, []
        self.ca, cert, key = _make_certificate(self.folder / "trusted", "Lumenfold Test CA", HOSTS)
        _, other_cert, other_key = _make_certificate(self.folder / "untrusted", "Nobody's CA", HOSTS)
        self.server = self._serve(port, cert, key)
        self.untrusted = self._serve(0, other_cert, other_key)
        self.port, self.untrusted_port = self.server.server_address[1], self.untrusted.server_address[1]
        threading.Thread(target=lambda: time.sleep(lifetime) or self.stop(), daemon=True).start()  # bounded

    def _serve(self, port, cert, key):
        service = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def _handle(self):
                length = int(self.headers.get("Content-Length") or 0)
                self.request_body = self.rfile.read(length) if length else b""
                path = self.path.split("?", 1)[0]
                service.requests.append({"method": self.command, "path": self.path,
                                         "headers": dict(self.headers.items()), "body": self.request_body,
                                         "time": time.monotonic()})
                behaviour = service.routes.get(path) or answer({"error": "not found"}, 404)
                try:
                    behaviour(self)
                except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
                    self.close_connection = True

            do_GET = do_POST = _handle

            log_message = lambda self, *args: None  # noqa: E731

        server = http.server.ThreadingHTTPServer((self.address, port), Handler)
        server.daemon_threads = True
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        return server

    def trusted_bundle(self):
        """The system's CA bundle with the test CA added, for a bind mount over the system's."""
        bundle = self.folder / "ca-certificates.crt"
        bundle.write_bytes(Path(SYSTEM_BUNDLE).read_bytes() + self.ca.read_bytes())
        return bundle

    def stop(self):
        for server in (self.server, self.untrusted):
            server.shutdown()
            server.server_close()


def standard_routes():
    """For the Windows-side client tests."""
    return {
        "/": echo,
        "/echo": echo,
        "/missing": answer(b"gone", 404, "text/plain"),
        "/exact": answer(b"x" * 1000, content_type="application/octet-stream"),
        "/over": answer(b"x" * 1001, content_type="application/octet-stream"),
        "/slow": slow(b"y" * 2000, 34),
        "/cut": cut(b"z" * 200000),
    }
