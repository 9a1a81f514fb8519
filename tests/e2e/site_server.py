"""site_server.py: the one way the tests serve the site: Site(folder) serves it on 127.0.0.1 from
a thread, with an extra page (EMBED_PAGE) and the page's Content-Security-Policy also sent as a
report-only header whose reports land in REPORTS; close() drops every connection, those a browser
opened ahead of time included, as a server gone offline would."""
import functools
import http.server
import json
import os
import socket
import sys
import threading
import types

from screens import Closing

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from serve_web import meta_policy  # noqa: E402

EMBED_PAGE, REPORT_PATH = "velk-test-embedded.html", "/velk-csp"
# The game in an iframe filling the viewport atop a page three viewports tall, as a site might
# embed it, with its scroll bars hidden so that the game keeps the whole viewport.
EMBED_HTML = b"""<!doctype html><html style="scrollbar-width:none"><head><meta charset="utf-8">
<title>embedded</title><link rel="icon" href="data:,">
<style>::-webkit-scrollbar { display: none }</style></head>
<body style="margin:0"><iframe id="game" src="index.html"
 style="border:0;display:block;width:100vw;height:100vh"></iframe>
<div style="height:200vh"></div></body></html>"""
REPORTS = []   # what the sites' policy reports say was blocked, not yet looked at


class _Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path != "/" + EMBED_PAGE:
            return super().do_GET()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(EMBED_HTML)))
        self.end_headers()
        self.wfile.write(EMBED_HTML)

    def end_headers(self):
        path, policy = self.path.split("?")[0], self.server.policy
        if policy and path.endswith((".html", "/")) and path != "/" + EMBED_PAGE:
            self.send_header("Content-Security-Policy-Report-Only",
                             "%s; report-uri %s" % (policy, REPORT_PATH))
        super().end_headers()

    def do_POST(self):
        body = self.rfile.read(min(int(self.headers.get("Content-Length", 0)), 65536))
        if self.path == REPORT_PATH:
            try:
                report = json.loads(body)["csp-report"]
                REPORTS.append("%(violated-directive)s refused %(blocked-uri)s" % report)
            except (ValueError, KeyError, TypeError):
                REPORTS.append(body.decode(errors="replace"))
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class _Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def process_request(self, request, client_address):
        self.connections.add(request)
        super().process_request(request, client_address)

    def shutdown_request(self, request):
        self.connections.discard(request)
        super().shutdown_request(request)


def glut_codes(folder):
    """GLUT's codes the page in FOLDER delivers, as the build writes them from the game's C++ next
    to it (page_numbers.json): .KEY_LEFT, .DOWN, .LEFT_BUTTON, .WHEEL_DOWN and the like."""
    with open(os.path.join(folder, "..", "page_numbers.json")) as f:
        numbers = json.load(f)
    return types.SimpleNamespace(**{k[5:]: v for k, v in numbers["glut"].items()}, **{
        "WHEEL_" + k.upper(): v for k, v in numbers["wheelButtons"].items()})


class Site(Closing):
    def __init__(self, folder):
        self.folder = folder
        self.server = _Server(("127.0.0.1", 0), functools.partial(_Handler, directory=folder))
        self.server.policy, self.server.connections = meta_policy(folder), set()
        self.origin = "http://127.0.0.1:%d" % self.server.server_port
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, path="index.html"): return "%s/%s" % (self.origin, path)

    def close(self):
        self.server.shutdown()
        self.server.server_close()
        for connection in list(self.server.connections):
            try:
                connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
