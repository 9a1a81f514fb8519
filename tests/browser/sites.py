"""sites.py: the site folder served on 127.0.0.1 for the browser tests, with the test's own
extra pages and the reports of what the page's Content-Security-Policy blocks."""
import functools
import http.server
import json
import os
import re
import threading

from checks import check

# Constants
FRAME_PAGE = "velk-test-frame.html"
EMBED_PAGE = "velk-test-embedded.html"
REPORT_PATH = "/velk-csp-report"
# The game in an iframe at the top-left corner, so that the test can give it any client area,
# a zero height included, which the viewport emulation cannot (a zero there means "no override").
# Its empty icon keeps the browser from asking for a /favicon.ico the site may not have.
FRAME_HTML = b"""<!doctype html><html><head><meta charset="utf-8"><title>frame</title>
<link rel="icon" href="data:,"></head>
<body style="margin:0;overflow:hidden"><iframe id="game" src="index.html"
 style="border:0;display:block;width:800px;height:600px"></iframe></body></html>"""
# The game in an iframe filling the viewport at the top of a page three viewports tall, as a site
# might embed it: whatever the game leaves to the browser scrolls that page. Its scroll bars are
# hidden, so that the game keeps the whole viewport.
EMBED_HTML = b"""<!doctype html><html style="scrollbar-width:none"><head><meta charset="utf-8">
<title>embedded</title><link rel="icon" href="data:,">
<style>::-webkit-scrollbar { display: none }</style></head>
<body style="margin:0"><iframe id="game" src="index.html"
 style="border:0;display:block;width:100vw;height:100vh"></iframe>
<div style="height:200vh"></div></body></html>"""
EXTRA_PAGES = {FRAME_PAGE: FRAME_HTML, EMBED_PAGE: EMBED_HTML}

# Types
class _Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the site; each HTML page also gets its own Content-Security-Policy as a report-only
    header that sends each violation to REPORT_PATH, where the server keeps it (Site.reports)."""
    extensions_map = {".wasm": "application/wasm", ".js": "text/javascript",
                      ".html": "text/html", ".css": "text/css", ".txt": "text/plain"}

    def do_GET(self):
        page = EXTRA_PAGES.get(self.path.lstrip("/"))
        if page:
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
        else:
            super().do_GET()

    def end_headers(self):
        path, policy = self.path.split("?")[0], self.server.policy
        if policy and path.endswith((".html", "/")) and path.lstrip("/") not in EXTRA_PAGES:
            self.send_header("Content-Security-Policy-Report-Only",
                             "%s; report-uri %s" % (policy, REPORT_PATH))
        super().end_headers()

    def do_POST(self):
        length = min(int(self.headers.get("Content-Length", 0)), 65536)
        body = self.rfile.read(length).decode(errors="replace")
        if self.path == REPORT_PATH:
            REPORTS.append(body)
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class Site:
    """The site folder served by Python's http.server on 127.0.0.1, on a port the system picks.
    What the page's Content-Security-Policy blocks is reported to it, and is a console error of
    the Page that looks next (every engine reports so; WebKit tells no console of its own)."""

    def __init__(self, folder):
        index = os.path.join(folder, "index.html")
        check(os.path.isfile(index), "no index.html in " + folder)
        handler = functools.partial(_Handler, directory=folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        with open(index, encoding="utf-8") as f:
            found = re.search(r"http-equiv=.Content-Security-Policy.\s+content=\"([^\"]*)\"",
                              f.read())
        self.server.policy = found.group(1) if found else None
        self.origin = "http://127.0.0.1:%d" % self.server.server_port
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def url(self, path=""): return "%s/%s" % (self.origin, path)

    def close(self):
        self.server.shutdown()
        self.server.server_close()


# Globals
REPORTS = []   # the bodies of the violation reports the sites have received, not yet looked at


# Public functions
def describe_report(body):
    """What a violation report says was blocked, and by which directive."""
    try:
        report = json.loads(body)["csp-report"]
        return "%s refused %s" % (report["violated-directive"], report["blocked-uri"])
    except (ValueError, KeyError, TypeError):
        return body
