"""HTTP servers on 127.0.0.1 for the end-to-end tests: a real nginx for well-behaved answers,
and a scripted server for faults (early close, reset, stall, wrong lengths, any status).

Both record what they were asked: nginx in an access log with the headers that matter, the
scripted server as the raw request text.
"""

from __future__ import annotations

import dataclasses
import os
import re
import signal
import socket
import subprocess
import threading
import time
from pathlib import Path

from wine import E2E_DIR, HarnessError

NGINX_DIR = E2E_DIR / "nginx"


def free_port() -> int:
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Nginx:
    """Serves files from `root`; gzip for *.gz.txt and application/x-gzip-test only when asked
    through `gzip_types`; byte ranges as nginx does them; files under /slow/ at SLOW_RATE bytes
    per second, so that a download lasts long enough to be watched."""

    SLOW_RATE = 131072

    LOG_FORMAT = ('$request_method "$request_uri" $server_protocol $status '
                  '"$http_range" "$http_accept_encoding" "$http_user_agent" "$http_accept"')

    def __init__(self, directory: Path = NGINX_DIR):
        self.directory = directory
        self.port = free_port()
        self.root = directory / "www"
        self.root.mkdir(parents=True, exist_ok=True)
        self.log = directory / "access.log"
        config = directory / "nginx.conf"
        temp = directory / "temp"
        temp.mkdir(parents=True, exist_ok=True)
        config.write_text(f"""
daemon off;
pid {directory}/nginx.pid;
error_log {directory}/error.log;
events {{}}
http {{
  types {{ text/plain txt; application/octet-stream exe bin; }}
  log_format probe '{self.LOG_FORMAT}';
  access_log {self.log} probe;
  client_body_temp_path {temp}; proxy_temp_path {temp}; fastcgi_temp_path {temp};
  uwsgi_temp_path {temp}; scgi_temp_path {temp};
  server {{
    listen 127.0.0.1:{self.port};
    root {self.root};
    location /gzip/ {{ gzip on; gzip_min_length 1; gzip_types text/plain application/octet-stream; }}
    location /slow/ {{ limit_rate {self.SLOW_RATE}; }}
    location = /moved {{ return 302 /list.txt; }}
    location = /loop {{ return 302 /loop; }}
  }}
}}
""")
        self.process = subprocess.Popen(["nginx", "-c", str(config)], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True)
        self._wait_listening()

    def _wait_listening(self, timeout_s: float = 10) -> None:
        deadline = time.monotonic() + timeout_s
        while time.monotonic() < deadline:
            with socket.socket() as s:
                if s.connect_ex(("127.0.0.1", self.port)) == 0:
                    return
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        raise HarnessError(f"nginx did not start: {(self.directory / 'error.log').read_text(errors='replace')}")

    def url(self, path: str) -> str:
        return f"http://127.0.0.1:{self.port}/{path.lstrip('/')}"

    def put(self, path: str, content: bytes) -> str:
        target = self.root / path.lstrip("/")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(content)
        return self.url(path)

    def requests(self) -> list[str]:
        return self.log.read_text(errors="replace").splitlines() if self.log.exists() else []

    def clear_log(self) -> None:
        if self.log.exists():
            self.log.write_text("")
            os.kill(self.process.pid, signal.SIGUSR1)  # reopen the log

    def stop(self) -> None:
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


@dataclasses.dataclass
class Answer:
    """What the scripted server sends for one path."""
    status: int = 200
    body: bytes = b""
    headers: dict[str, str] = dataclasses.field(default_factory=dict)
    content_length: int | None = None  # announced length; None: the body's own length
    omit_length: bool = False
    close_after: int | None = None  # body bytes sent before closing early
    reset_after: int | None = None  # body bytes sent before resetting the connection
    stall: bool = False  # accept and never answer
    chunks: list[int] | None = None  # body sent in pieces of these sizes, with a pause
    pause_s: float = 0.3


class ScriptedServer:
    """A small HTTP/1.0-style server: one answer per path, set by the test."""

    def __init__(self):
        self.port = free_port()
        self.answers: dict[str, Answer] = {}
        self.requests: list[str] = []
        self._listener = socket.create_server(("127.0.0.1", self.port))
        self._stopping = threading.Event()
        self._stalled: list[socket.socket] = []
        threading.Thread(target=self._serve, daemon=True).start()

    def url(self, path: str) -> str:
        return f"http://127.0.0.1:{self.port}/{path.lstrip('/')}"

    def answer(self, path: str, answer: Answer) -> str:
        self.answers["/" + path.lstrip("/")] = answer
        return self.url(path)

    def _serve(self) -> None:
        self._listener.settimeout(0.2)
        while not self._stopping.is_set():
            try:
                connection, _ = self._listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=self._handle, args=(connection,), daemon=True).start()

    def _read_request(self, connection: socket.socket) -> str:
        data = b""
        connection.settimeout(10)
        while b"\r\n\r\n" not in data:
            piece = connection.recv(4096)
            if not piece:
                break
            data += piece
        return data.decode("latin-1")

    def _handle(self, connection: socket.socket) -> None:
        try:
            request = self._read_request(connection)
            self.requests.append(request)
            match = re.match(r"\S+ (\S+)", request)
            answer = self.answers.get(match.group(1).split("#")[0] if match else "", Answer(status=404))
            if answer.stall:
                self._stalled.append(connection)
                return
            self._send(connection, answer)
        except OSError:
            pass
        finally:
            if connection not in self._stalled:
                connection.close()

    def _send(self, connection: socket.socket, answer: Answer) -> None:
        head = f"HTTP/1.1 {answer.status} Scripted\r\n"
        length = len(answer.body) if answer.content_length is None else answer.content_length
        if not answer.omit_length:
            head += f"Content-Length: {length}\r\n"
        for name, value in answer.headers.items():
            head += f"{name}: {value}\r\n"
        connection.sendall((head + "Connection: close\r\n\r\n").encode("latin-1"))
        body = answer.body
        if answer.reset_after is not None:
            connection.sendall(body[:answer.reset_after])
            time.sleep(0.2)
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
            return
        if answer.close_after is not None:
            body = body[:answer.close_after]
        if answer.chunks:
            sent = 0
            for size in answer.chunks:
                connection.sendall(body[sent:sent + size])
                sent += size
                time.sleep(answer.pause_s)
            body = body[sent:]
        connection.sendall(body)

    def stop(self) -> None:
        self._stopping.set()
        self._listener.close()
        for each in self._stalled:
            each.close()


def gbk_crlf(*lines: str) -> bytes:
    """Lines in GBK, each ended by CR LF."""
    return "".join(line + "\r\n" for line in lines).encode("gbk")


def write_handoff(directory: Path, **values: str | None) -> Path:
    """Writes gx.ini beside the updater: section 配置 with the given keys (None leaves one out),
    in GBK with CR LF, as a host does. Keys may be given as 版本, 文件名 and so on."""
    lines = ["[配置]"] + [f"{key}={value}" for key, value in values.items() if value is not None]
    path = directory / "gx.ini"
    path.write_bytes(gbk_crlf(*lines))
    return path
