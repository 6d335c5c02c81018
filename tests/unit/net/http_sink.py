"""A loopback HTTP server for the tests: records every request (line,
headers, body length, client port) as a JSON line in the file given, and
answers 200. With a number N as second argument it drops the connection
instead of answering every request after the first N. Prints its port,
then runs until stdin closes."""
import http.server, json, sys, threading

out = sys.argv[1]
answer_first = int(sys.argv[2]) if len(sys.argv) > 2 else -1
seen = 0

class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        global seen
        seen += 1
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length else b""
        with open(out, "a") as f:
            f.write(json.dumps({
                "line": self.requestline,
                "path": self.path,
                "version": self.request_version,
                "headers": [[k, v] for k, v in self.headers.items()],
                "body": len(body),
                "client_port": self.client_address[1],
            }) + "\n")
        if answer_first >= 0 and seen > answer_first:
            self.close_connection = True
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", "2")
        self.end_headers()
        self.wfile.write(b"ok")

    def log_message(self, *args):
        pass

server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
threading.Thread(target=server.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
sys.stdin.read()
server.shutdown()
