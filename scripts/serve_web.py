#!/usr/bin/env python3
"""serve_web.py SITE PORT: serves the web site on 127.0.0.1 with the headers the README asks
hosts to send. Every response carries the page's Content-Security-Policy as a header too: the
policy of index.html's meta tag, plus what only a header can say, FRAME_ANCESTORS. PORT 0 lets
the system choose; the first line printed names the address. Python 3 standard library only.
"""
import functools
import http.server
import os
import re
import sys

# Any page may embed the game: it has no account, purchase or setting that a framing page could
# trick a player into changing, and game sites embed games. Said explicitly, so that a host's
# default X-Frame-Options (which this overrides in every current browser) cannot forbid it.
FRAME_ANCESTORS = "frame-ancestors *"


def meta_policy(site):
    """The Content-Security-Policy of SITE/index.html's meta tag, or None."""
    with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
        found = re.search(r'http-equiv="Content-Security-Policy" content="([^"]+)"', f.read())
    return found and found.group(1)


def page_policy(site):
    """The page's policy with FRAME_ANCESTORS."""
    policy = meta_policy(site)
    if not policy:
        sys.exit("serve_web.py: %s/index.html has no Content-Security-Policy" % site)
    return "%s; %s" % (policy, FRAME_ANCESTORS)


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {".wasm": "application/wasm", ".webmanifest": "application/manifest+json",
                      ".js": "text/javascript", ".html": "text/html", ".css": "text/css",
                      ".txt": "text/plain", ".png": "image/png", ".svg": "image/svg+xml"}

    def end_headers(self):
        self.send_header("Content-Security-Policy", self.server.policy)
        self.send_header("X-Content-Type-Options", "nosniff")
        super().end_headers()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    site, port = sys.argv[1], int(sys.argv[2])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port),
                                             functools.partial(Handler, directory=site))
    server.policy = page_policy(site)
    print("Serving the game at http://127.0.0.1:%d/ (Ctrl+C stops)" % server.server_port,
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
