# SPDX-FileCopyrightText: 2026 The clientid authors
# SPDX-License-Identifier: MIT
# An RFC 3161 timestamp server on a free local port, which it prints first:
# `openssl ts -reply -config CONFIG` answers each request.
import http.server, subprocess, sys

class Server(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile", "/dev/stdin",
                                "-out", "/dev/stdout"], input=query, capture_output=True, check=True).stdout
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(reply)

    def log_message(self, *args):
        pass

server = http.server.HTTPServer(("127.0.0.1", 0), Server)
print(server.server_port, flush=True)
server.serve_forever()
