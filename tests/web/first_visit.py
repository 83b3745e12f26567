#!/usr/bin/python3
"""A first visit to the page on an emulated slow connection (chromium's network throttling, no
cache): the bytes it transfers and how long until the converter is ready and until the first
result of a small photo chosen as early as the page takes it. Reported, not asserted.

Usage: first_visit.py BUILD_WEB_DIR [--choose-at chooser|ready] [--plain-server] [--network fast-3g|slow-3g]
  --choose-at ready: choose the photo only once the converter is ready (a page that drops an
  earlier one); --plain-server: python's http.server, without the .gz files."""

import argparse
import functools
import http.server
import json
import os
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from page_test import Browser, PageTest, QuietHandler, png_bytes, photo_like_pixel  # noqa: E402

# Chromium DevTools' presets: "Fast 3G" 1.44 Mbit/s down, 675 kbit/s up, 562.5 ms latency;
# "Slow 3G" 400 kbit/s each way, 2 s latency.
NETWORKS = {
    "fast-3g": {"offline": False, "latency": 562.5, "downloadThroughput": 1_440_000 / 8, "uploadThroughput": 675_000 / 8},
    "slow-3g": {"offline": False, "latency": 2000, "downloadThroughput": 400_000 / 8, "uploadThroughput": 400_000 / 8},
}


class ThrottledBrowser(Browser):
    """Throttles the page and, as each starts, its workers: DevTools throttles each target alone."""

    def __init__(self, profile, conditions):
        super().__init__(profile)
        self.conditions = conditions

    def call(self, method, **params):
        self.next_id += 1
        asked = self.next_id
        self.socket.send(json.dumps({"id": asked, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("method") == "Target.attachedToTarget":
                self.throttle_worker(message["params"]["sessionId"])
            elif message.get("id") == asked and "sessionId" not in message:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]

    def throttle_worker(self, session):
        for method, params in (("Network.enable", {}), ("Network.emulateNetworkConditions", self.conditions),
                               ("Runtime.runIfWaitingForDebugger", {})):
            self.next_id += 1
            self.socket.send(json.dumps({"id": self.next_id, "sessionId": session, "method": method, "params": params}))


class Counted:
    """Counts the bytes of the files a handler sends (the page's and its worker's alike) and notes
    when each was asked for."""
    sent = 0
    asked = []
    start = time.monotonic()

    def copyfile(self, source, target):
        data = source.read()
        Counted.sent += len(data)
        Counted.asked.append(f"{self.path} at {time.monotonic() - Counted.start:.1f} s")
        target.write(data)


class PlainHandler(Counted, http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class CompressingHandler(Counted, QuietHandler):
    pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_web")
    parser.add_argument("--choose-at", choices=["chooser", "ready"], default="chooser")
    parser.add_argument("--plain-server", action="store_true")
    parser.add_argument("--network", choices=sorted(NETWORKS), default="fast-3g")
    options = parser.parse_args()
    work = tempfile.mkdtemp(prefix="vorbix-first-visit-")
    released = threading.Event()
    released.set()
    handler = (functools.partial(PlainHandler, directory=options.build_web) if options.plain_server
               else functools.partial(CompressingHandler, released, directory=options.build_web))
    httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    photo = os.path.join(work, "photo.png")
    with open(photo, "wb") as f:
        f.write(png_bytes(640, 600, photo_like_pixel(7)))
    browser = ThrottledBrowser(os.path.join(work, "profile"), NETWORKS[options.network])
    try:
        browser.call("Network.enable")
        browser.call("Network.setCacheDisabled", cacheDisabled=True)
        browser.call("Network.emulateNetworkConditions", **NETWORKS[options.network])
        browser.call("Target.setAutoAttach", autoAttach=True, waitForDebuggerOnStart=True, flatten=True)
        start = Counted.start = time.monotonic()
        browser.call("Page.navigate", url=f"http://127.0.0.1:{httpd.server_port}/")
        ready_when = {"chooser": "!!document.getElementById('picture')",
                      "ready": "document.body.dataset.ready === 'true'"}[options.choose_at]
        while not browser.evaluate(f"document.readyState !== 'loading' && {ready_when}"):
            time.sleep(0.02)
        chosen = time.monotonic() - start
        PageTest(browser, None, work).set_files("#picture", photo)
        ready = None
        while browser.evaluate("document.getElementById('result').dataset.state") != "done":
            if ready is None and browser.evaluate("document.body.dataset.ready === 'true'"):
                ready = time.monotonic() - start
            time.sleep(0.02)
        first_result = time.monotonic() - start
        ready = ready if ready is not None else first_result
        transferred = Counted.sent
        print("asked for: " + ", ".join(Counted.asked))
        print(f"first visit on {options.network}: photo chosen at {chosen:.1f} s, converter ready at {ready:.1f} s, "
              f"first result at {first_result:.1f} s; {transferred / 1024:.0f} KiB sent until then")
    finally:
        browser.close()
        httpd.shutdown()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
