#!/usr/bin/python3
"""Serves a folder on 127.0.0.1 as a static web server would, taking FILE.gz for FILE where the
browser accepts gzip. Usage: serve_web.py FOLDER PORT"""

import functools
import http.server
import os
import sys


class PageHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json", ".svg": "image/svg+xml"}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        compressed = path + ".gz"
        if "gzip" not in self.headers.get("Accept-Encoding", "") or not os.path.isfile(compressed):
            return super().send_head()
        body = open(compressed, "rb")
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(os.fstat(body.fileno()).st_size))
        self.send_header("Vary", "Accept-Encoding")
        self.end_headers()
        return body


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(PageHandler, directory=folder)
    http.server.ThreadingHTTPServer(("127.0.0.1", port), handler).serve_forever()


if __name__ == "__main__":
    main()
