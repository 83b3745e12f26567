#!/usr/bin/python3
"""The page in headless chromium, driven through the DevTools protocol: its files against
vorbix-cli's for the same picture and settings, a slider typed into, a damaged picture refused;
then the timings of a 12-megapixel JPEG and a slider move (reported, not asserted).

Usage: page_test.py BUILD_WEB_DIR VORBIX_CLI [--screenshot FILE.png]"""

import argparse
import base64
import functools
import http.server
import json
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import zlib

import websocket


def png_bytes(width, height, pixel):
    """An 8-bit RGB PNG, written here so the fixture needs no image library."""
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")


def photo_like_pixel(seed):
    noise = random.Random(seed)

    def pixel(x, y):
        grain = noise.randrange(-24, 25)
        clamp = lambda v: max(0, min(255, v))
        return (clamp(x * 255 // 640 + grain), clamp(y * 255 // 600 - grain), clamp(((x ^ y) & 0xFF) // 2 + 64 + grain))

    return pixel


class Server:
    """build-web/ on a free port of 127.0.0.1, as run.sh --web serves it."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.url = f"http://127.0.0.1:{self.httpd.server_port}/"

    def close(self):
        self.httpd.shutdown()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Browser:
    """Debian's chromium, headless, with one page reached over its DevTools socket."""

    def __init__(self, profile):
        arguments = ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--remote-debugging-port=0",
                     "--remote-allow-origins=*", f"--user-data-dir={profile}", "--window-size=1400,1000",
                     "--no-first-run", "about:blank"]
        self.process = subprocess.Popen(arguments, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not os.path.exists(port_file) or not open(port_file).read().strip():
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise RuntimeError("chromium did not open its DevTools port")
            time.sleep(0.1)
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=120)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True, returnByValue=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"in the page: {result['exceptionDetails']}")
        return result["result"].get("value")

    def close(self):
        self.socket.close()
        self.process.terminate()
        self.process.wait(10)


# Resolves, once the figure has gone busy and come back, with how long that took (ms); armed
# before the action so that a fast answer is not missed.
ARM = """window.nextResult = new Promise((resolve) => {
  const figure = document.getElementById('result');
  let started = null;
  const observer = new MutationObserver(() => {
    if (figure.dataset.state === 'busy' && started === null) started = performance.now();
    if (figure.dataset.state === 'done' && started !== null) { observer.disconnect(); resolve(performance.now() - started); }
  });
  observer.observe(figure, { attributes: true, attributeFilter: ['data-state'] });
});
undefined;"""

FILES = {"tim": "screen.tim", "bin": "screen.bin", "bmp": "out24.bmp", "cas": "screen.cas", "wav": "screen.wav"}


class PageTest:
    def __init__(self, browser, cli, work):
        self.browser = browser
        self.cli = cli
        self.work = work
        self.passed = 0
        self.failed = []

    def check(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed.append(what)
            print(f"FAILED: {what}", file=sys.stderr)

    def act(self, action):
        """Runs the action (JS text or a Python callable) and waits for its result; its time in ms."""
        self.browser.evaluate(ARM)
        if callable(action):
            action()
        else:
            self.browser.evaluate(action)
        return self.browser.evaluate("window.nextResult")

    def open_file(self, path):
        document = self.browser.call("DOM.getDocument")
        node = self.browser.call("DOM.querySelector", nodeId=document["root"]["nodeId"], selector="#picture")
        return self.act(lambda: self.browser.call("DOM.setFileInputFiles", files=[path], nodeId=node["nodeId"]))

    def choose(self, select, value):
        return self.act(f"""(() => {{ const s = document.getElementById('{select}'); s.value = '{value}';
            s.dispatchEvent(new Event('change')); }})()""")

    def wait_for_score(self):
        """The score and the program files follow a conversion once the user pauses."""
        self.browser.evaluate("""new Promise((resolve) => { const wait = () =>
            document.getElementById('result').dataset.deltaE ? resolve() : setTimeout(wait, 10); wait(); })""")

    def page_file(self, name):
        """The bytes behind a download link, once the score (and with it the program files) is there."""
        self.wait_for_score()
        encoded = self.browser.evaluate(f"""(async () => {{
            const link = document.getElementById('download-{name}');
            const bytes = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
            let text = ''; for (const b of bytes) text += String.fromCharCode(b);
            return [link.download, btoa(text)]; }})()""")
        return encoded[0], base64.b64decode(encoded[1])

    def cli_files(self, picture, arguments):
        out = os.path.join(self.work, "cli-" + "-".join(arguments).replace("--", ""))
        subprocess.run([self.cli, picture, *arguments, "--cas", "--wav", "--out-dir", out], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return {name: open(os.path.join(out, file), "rb").read() for name, file in FILES.items()}

    def compare_with_cli(self, picture, arguments, names):
        expected = self.cli_files(picture, arguments)
        for name in names:
            download, got = self.page_file(name)
            self.check(download == FILES[name], f"#download-{name} saves as {FILES[name]}, not {download}")
            self.check(got == expected[name],
                       f"{FILES[name]} for {' '.join(arguments)}: {len(got)} bytes, the command line's {len(expected[name])}"
                       + first_difference(got, expected[name]))

    def run(self, url):
        self.browser.call("Page.navigate", url=url)
        # Polled from here: a promise in the page before it is replaced would never settle.
        deadline = time.monotonic() + 60
        while not self.browser.evaluate("document.readyState === 'complete' && document.body.dataset.ready === 'true'"):
            if time.monotonic() > deadline:
                raise RuntimeError("the page did not get ready in 60 s")
            time.sleep(0.05)
        methods = self.browser.evaluate("[...document.getElementById('method').options].map((o) => Number(o.value))")
        self.check(methods[:17] == list(range(1, 18)), f"the method list starts 1..17: {methods}")

        picture = os.path.join(self.work, "gradient.png")
        with open(picture, "wb") as f:
            f.write(png_bytes(640, 600, photo_like_pixel(7)))
        self.open_file(picture)
        # Each mode with two methods, among them the noisy threshold and "Pattern TVC", whose
        # results depend on the order of the conversions before them.
        for mode, method_pair in ((16, (17, 2)), (4, (4, 17)), (2, (8, 1))):
            self.choose("mode", mode)
            for method in method_pair:
                self.choose("method", method)
                every_file = (mode, method) == (4, 4)
                self.compare_with_cli(picture, ["--mode", str(mode), "--method", str(method)],
                                      FILES if every_file else ["tim"])

        self.slider_typed(picture)
        self.best_colours(picture)
        self.settings_file_round_trip(picture)
        self.damaged_refused(picture)

    def type_into(self, selector, text):
        self.browser.evaluate(f"(() => {{ const e = document.querySelector('{selector}'); e.focus(); e.select(); }})()")
        return self.act(lambda: self.browser.call("Input.insertText", text=text))

    def slider_typed(self, picture):
        _, before = self.page_file("tim")
        self.type_into("#gamma", "70")
        _, after = self.page_file("tim")
        self.check(after != before, "typing 70 into #gamma changes the screen")
        self.check(self.browser.evaluate("document.getElementById('gamma-range').value") == "70",
                   "the typed value moves the slider")
        self.compare_with_cli(picture, ["--mode", "2", "--method", "1", "--gamma", "70"], ["tim"])

    def best_colours(self, picture):
        self.act("document.getElementById('best-colours').click()")
        self.compare_with_cli(picture, ["--mode", "2", "--method", "1", "--gamma", "70", "--palette2", "best"], ["tim"])

    def settings_file_round_trip(self, picture):
        """The page's settings file replays to the same screen on the command line, and on the page."""
        downloads = os.path.join(self.work, "downloads")
        self.browser.call("Page.setDownloadBehavior", behavior="allow", downloadPath=downloads)
        self.browser.evaluate("document.getElementById('save-settings').click()")
        saved = os.path.join(downloads, "gradient.vorbix.json")
        deadline = time.monotonic() + 30
        while not os.path.exists(saved) and time.monotonic() < deadline:
            time.sleep(0.05)
        self.check(os.path.exists(saved), "Save settings… downloads gradient.vorbix.json")
        if not os.path.exists(saved):
            return
        replay = subprocess.run([self.cli, "--settings", saved, picture, "--out-dir", os.path.join(self.work, "replay")],
                                capture_output=True, text=True)
        self.check(replay.returncode == 0 and "identical" in replay.stdout + replay.stderr,
                   f"vorbix-cli replays the page's settings file: {replay.stdout} {replay.stderr}")
        document = self.browser.call("DOM.getDocument")
        node = self.browser.call("DOM.querySelector", nodeId=document["root"]["nodeId"], selector="#settings-file")
        self.act(lambda: self.browser.call("DOM.setFileInputFiles", files=[saved], nodeId=node["nodeId"]))
        status = self.browser.evaluate("document.getElementById('status').textContent")
        self.check(status.endswith("identical"), f"the page replays its own settings file: {status!r}")

    def damaged_refused(self, picture):
        damaged = os.path.join(self.work, "damaged.png")
        with open(picture, "rb") as source, open(damaged, "wb") as target:
            target.write(source.read()[:3000])
        _, before = self.page_file("tim")
        self.open_file(damaged)
        status = self.browser.evaluate("document.getElementById('status').textContent")
        self.check("damaged.png" in status and self.browser.evaluate(
            "document.getElementById('status').classList.contains('error')"), f"the damaged picture is named: {status!r}")
        _, after = self.page_file("tim")
        self.check(after == before, "the damaged picture leaves the result as it was")
        self.check(self.browser.evaluate("document.getElementById('source-name').textContent") == "gradient.png",
                   "the damaged picture leaves the source picture as it was")

    def benchmark(self):
        """A 12-megapixel JPEG made by the browser, opened as a user would; then a slider move."""
        self.browser.evaluate("""(async () => {
            const canvas = new OffscreenCanvas(4000, 3000), context = canvas.getContext('2d');
            const gradient = context.createLinearGradient(0, 0, 4000, 3000);
            gradient.addColorStop(0, '#246'); gradient.addColorStop(0.5, '#c84'); gradient.addColorStop(1, '#8c4');
            context.fillStyle = gradient; context.fillRect(0, 0, 4000, 3000);
            for (let i = 0; i < 3000; ++i) {
              context.fillStyle = `hsl(${(i * 37) % 360} 60% ${30 + (i % 50)}%)`;
              context.beginPath(); context.arc((i * 7919) % 4000, (i * 104729) % 3000, 20 + (i % 90), 0, 7); context.fill();
            }
            window.photo = new File([await canvas.convertToBlob({ type: 'image/jpeg', quality: 0.9 })], 'photo.jpg');
          })()""")
        timings = {}
        timings["first conversion of a 12-megapixel JPEG"] = self.act("""(() => {
            const input = document.getElementById('picture'), files = new DataTransfer();
            files.items.add(window.photo); input.files = files.files; input.dispatchEvent(new Event('change')); })()""")
        moves = []
        for value in (60, 40, 70):
            self.wait_for_score()
            moves.append(self.type_into("#contrast", str(value)))
        timings["slider move (median of 3)"] = sorted(moves)[1]
        return timings


def first_difference(got, expected):
    for i, (a, b) in enumerate(zip(got, expected)):
        if a != b:
            return f"; first difference at byte {i}: {a} against {b}"
    return ""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_web")
    parser.add_argument("cli")
    parser.add_argument("--screenshot")
    options = parser.parse_args()
    work = tempfile.mkdtemp(prefix="vorbix-page-test-")
    server = Server(options.build_web)
    browser = Browser(os.path.join(work, "profile"))
    try:
        test = PageTest(browser, os.path.abspath(options.cli), work)
        test.run(server.url)
        if options.screenshot:
            shot = browser.call("Page.captureScreenshot", format="png")
            with open(options.screenshot, "wb") as f:
                f.write(base64.b64decode(shot["data"]))
        for what, ms in test.benchmark().items():
            print(f"benchmark: {what}: {ms:.0f} ms")
        size = sum(os.path.getsize(os.path.join(options.build_web, f)) for f in os.listdir(options.build_web))
        print(f"benchmark: the page's files together: {size / 1024:.0f} KiB")
    finally:
        browser.close()
        server.close()
        shutil.rmtree(work, ignore_errors=True)
    print(f"page: {test.passed} passed, {len(test.failed)} failed")
    return 1 if test.failed else 0


if __name__ == "__main__":
    sys.exit(main())
