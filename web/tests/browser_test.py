#!/usr/bin/python3
"""talvorix.html in a real headless Chromium, driven over the DevTools protocol.

Opens the page from disk (file://), chooses reports through the real file input
(DOM.setFileInputFiles on #report), pages with real mouse clicks and key presses, copies
with Ctrl+C and the button and reads the clipboard back, and records every request the
page makes. Every expected record comes from the native talvorix-cli --json.

Usage: browser_test.py PAGE CLI [--bench REPORT]
  PAGE   build-web/talvorix.html
  CLI    a native talvorix-cli
  --bench REPORT  only time choosing REPORT to its first answer, and print the figure

With the site folder beside PAGE (site/), it is also served over http://localhost: the
service worker, the manifest, installability, and opening again with the server gone.

Watching a folder needs the real folder chooser, which a headless browser cannot
answer: the page watches a fake directory handle here, and page_logic.test.js drives the
watching logic with a fake clock.
"""

import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

import websocket

ROOT = pathlib.Path(__file__).resolve().parents[2]
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"]
BUDGET_MS = 300


class Failure(Exception):
    pass


class DevTools:
    """One browser connection; commands to the page go through its flat session."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.session = None

    def send(self, method, params=None, session=True, timeout=60):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        self.socket.send(json.dumps(message))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise Failure(f"{method}: {reply['error']}")
                return reply.get("result", {})
            if "method" in reply:
                self.events.append(reply)
        raise Failure(f"{method}: no answer")

    def pump(self, seconds):
        """Collects events for a while."""
        self.socket.settimeout(seconds)
        try:
            while True:
                reply = json.loads(self.socket.recv())
                if "method" in reply:
                    self.events.append(reply)
        except websocket.WebSocketTimeoutException:
            pass
        finally:
            self.socket.settimeout(60)

    def evaluate(self, expression, await_promise=False):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": await_promise, "userGesture": True})
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, what, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.evaluate(expression, await_promise=True):
                return
            time.sleep(0.02)
        raise Failure(f"timed out waiting for {what}")


def start_chromium(profile, arguments, flags=FLAGS, tools=DevTools):
    """The real headless Chromium on a fresh profile with these flags and further
    arguments, and a `tools` connection to its DevTools endpoint once it has said where
    it listens."""
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None:
        raise Failure("chromium is not installed")
    process = subprocess.Popen(
        [chromium, *flags, f"--user-data-dir={profile}", "--remote-debugging-port=0", *arguments, "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port_file = pathlib.Path(profile, "DevToolsActivePort")
    deadline = time.monotonic() + 30
    while not port_file.exists() or len(port_file.read_text().splitlines()) < 2:
        if time.monotonic() > deadline or process.poll() is not None:
            raise Failure("chromium did not start")
        time.sleep(0.05)
    port, path = port_file.read_text().splitlines()[:2]
    return process, tools(f"ws://127.0.0.1:{port}{path}")


def stop_chromium(process, profile):
    """Ends what start_chromium started (killed if it will not end) and removes its profile."""
    process.terminate()
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    shutil.rmtree(profile, ignore_errors=True)


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="talvorix-chromium-")
        self.process, self.tools = start_chromium(self.profile, ["--window-size=1024,768"])

    def close(self):
        stop_chromium(self.process, self.profile)


class Page:
    """The page opened in a new tab, with the Network domain recording from the start."""

    def __init__(self, browser, page_path, url=None):
        self.tools = browser.tools
        target = self.tools.send("Target.createTarget", {"url": "about:blank"}, session=False)
        self.tools.session = self.tools.send("Target.attachToTarget",
                                             {"targetId": target["targetId"], "flatten": True},
                                             session=False)["sessionId"]
        self.session = self.tools.session
        for domain in ("Page", "Runtime", "Network", "DOM", "Accessibility"):
            self.tools.send(f"{domain}.enable")
        self.url = url or page_path.resolve().as_uri()
        self.tools.send("Page.navigate", {"url": self.url})
        self.tools.wait_for("performance.getEntriesByName('talvorix-engine-ready').length > 0",
                            "the engine to start")

    def text(self, element_id):
        return self.tools.evaluate(f"document.getElementById({json.dumps(element_id)}).textContent")

    def screen(self):
        return {name: self.text(name) for name in ("text", "answer", "title", "counter")}

    def choose(self, path, settled):
        """Chooses a file through the real file input, as a person does in its chooser."""
        self.tools.evaluate("performance.clearMarks('talvorix-shown')")
        document = self.tools.send("DOM.getDocument")
        node = self.tools.send("DOM.querySelector", {"nodeId": document["root"]["nodeId"],
                                                     "selector": "#report"})
        self.tools.send("DOM.setFileInputFiles", {"files": [str(path)], "nodeId": node["nodeId"]})
        self.tools.wait_for("performance.getEntriesByName('talvorix-shown').length > 0",
                            f"{path} to be shown", timeout=120)
        if settled is not None:
            self.tools.wait_for(settled, f"{path}: {settled}")

    def click(self, element_id):
        box = self.tools.evaluate(
            f"(() => {{ const r = document.getElementById({json.dumps(element_id)}).getBoundingClientRect();"
            " return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        for kind in ("mousePressed", "mouseReleased"):
            self.tools.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1],
                                                         "button": "left", "clickCount": 1})

    def key(self, key, code, key_code, modifiers=0):
        for kind in ("rawKeyDown", "keyUp"):
            self.tools.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code,
                                                       "windowsVirtualKeyCode": key_code,
                                                       "modifiers": modifiers})


def cli_records(cli, path):
    run = subprocess.run([cli, "--json", "--", str(path)], capture_output=True, text=True, check=False)
    report = json.loads(run.stdout)
    # What the page shows: the three fields of each record (the CLI's JSON also tells the
    # kind and whether it was solved, which the page does not show).
    records = [{key: r[key] for key in ("text", "answer", "title")} for r in report.get("records", [])]
    return report["count"], records


PASSED = []


def expect(what, got, want):
    if got != want:
        raise Failure(f"{what}: got {got!r}, want {want!r}")
    PASSED.append(what)
    print(f"ok - {what}")


def expect_record(page, what, records, k):
    record = records[k - 1]
    expect(what, page.screen(), {"text": record["text"], "answer": record["answer"],
                                 "title": record["title"], "counter": f"{k}/{len(records)}"})


def crafted(folder, name, lines):
    path = pathlib.Path(folder, name)
    path.write_bytes("".join(line + "\r\n" for line in lines).encode("cp1250"))
    return path


def opening_time(page):
    """Milliseconds from opening the page to a running engine, and from choosing the
    sample to its first answer on screen, as the page's own clock saw them."""
    return page.tools.evaluate(
        "(() => { const f = performance.getEntriesByName('talvorix-file').pop();"
        " const s = performance.getEntriesByName('talvorix-shown').pop();"
        " const r = performance.getEntriesByName('talvorix-engine-ready')[0];"
        " return [r.startTime, s.startTime - f.startTime]; })()")


def run_checks(browser, page, page_path, cli, folder):
    tools = page.tools
    expect("start: the hint", page.text("hint"), "Húzd rá a fordulót")
    expect("start: the screen", page.screen(), {"text": "", "answer": "", "title": "  Feladvány  ",
                                                 "counter": ""})
    has_picker = tools.evaluate("typeof showDirectoryPicker === 'function'")
    expect("the watch button shows where the folder chooser exists",
           tools.evaluate("!document.getElementById('watch').hidden"), has_picker)

    sample = ROOT / "examples" / "fordulo-112.html"
    count, records = cli_records(cli, sample)
    expect("the sample has four riddles", count, 4)
    page.choose(sample, "document.getElementById('counter').textContent === '1/4'")
    expect_record(page, "the sample chosen: 1/4 and its first answer", records, 1)
    timings = [opening_time(page)]
    # The machine may be shared: a slow opening is tried again in a fresh tab, and the
    # best of three counts.
    while min(t[0] + t[1] for t in timings) > BUDGET_MS and len(timings) < 3:
        fresh = Page(browser, page_path)
        fresh.choose(sample, "document.getElementById('counter').textContent === '1/4'")
        timings.append(opening_time(fresh))
        tools.session = page.session
    best = min(timings, key=lambda t: t[0] + t[1])
    print(f"# opening the page to a running engine: {best[0]:.1f} ms; the sample chosen to its "
          f"first answer: {best[1]:.1f} ms (tries: {len(timings)})")
    if best[0] + best[1] > BUDGET_MS:
        raise Failure(f"opening to the first answer took {best[0] + best[1]:.0f} ms (budget {BUDGET_MS})")

    for k in (2, 3, 4, 1):
        page.click("next")
        expect_record(page, f"> shows {k}/4", records, k)
    for k in (4, 3):
        page.click("prev")
        expect_record(page, f"< shows {k}/4", records, k)
    for k in (4, 1):
        page.key("ArrowRight", "ArrowRight", 39)
        expect_record(page, f"-> shows {k}/4", records, k)
    for k in (4, 3):
        page.key("ArrowLeft", "ArrowLeft", 37)
        expect_record(page, f"<- shows {k}/4", records, k)

    # The clipboard, read back from the browser itself.
    tools.send("Browser.grantPermissions", {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]},
               session=False)
    tools.send("Page.bringToFront")
    tools.evaluate("navigator.clipboard.writeText('-')", await_promise=True)
    page.key("c", "KeyC", 67, modifiers=2)
    tools.wait_for("navigator.clipboard.readText().then((t) => t !== '-')", "Ctrl+C to copy")
    expect("Ctrl+C copies the answer", tools.evaluate("navigator.clipboard.readText()", True),
           records[2]["answer"])

    opening = ["Rábukkansz a remete odújára.", "<BR> Üdvözöllek, ifjú galetki!",
               "A választ öt törpe ismeri: egy Aladár, egy Bendegúz, egy Csaba, egy Dezső és egy Elemér.<BR>"]
    long_answer = crafted(folder, "hosszu.html", opening + [
        "Aladár törpe: A szám osztható hárommal. Bendegúz törpe és Csaba törpe között van igazmondó.",
        "Bendegúz törpe: A válasz 50-nél nagyobb. Bendegúz törpe igazat mond.",
        "Csaba törpe: A szám osztható kettővel. Csaba törpe igazat mond.",
        "Dezső törpe: A válasz 30-nál kisebb. Aladár törpe igazat mond.",
        "Elemér törpe: A szám nem osztható öttel. Aladár törpe igazat mond.",
        "A remete: A válasz 90-nél nagyobb.<BR>"])
    page.choose(long_answer, "document.getElementById('counter').textContent === '1/1'")
    expect("a truth-teller answer is shown cut", page.text("answer"), "Nincs,Nincs,N…")
    page.click("copy")
    tools.wait_for("navigator.clipboard.readText().then((t) => t.startsWith('Nincs,Nincs,Nincs'))",
                   "the button to copy")
    expect("the button copies a cut answer whole", tools.evaluate("navigator.clipboard.readText()", True),
           "Nincs,Nincs,Nincs,Nincs")

    # A report dropped on the page, in its bottom right corner, away from every control.
    tools.evaluate("performance.clearMarks('talvorix-shown')")
    drop = {"items": [], "files": [str(ROOT / "examples" / "fordulo-113.html")], "dragOperationsMask": 1}
    corner = tools.evaluate("[window.innerWidth - 5, window.innerHeight - 5]")
    for kind in ("dragEnter", "dragOver", "drop"):
        tools.send("Input.dispatchDragEvent", {"type": kind, "x": corner[0], "y": corner[1], "data": drop})
    tools.wait_for("performance.getEntriesByName('talvorix-shown').length > 0", "the dropped report")
    expect_record(page, "a report dropped on the page: 1/3", cli_records(cli, ROOT / "examples" / "fordulo-113.html")[1], 1)

    # Watching, wired to the page: a fake directory handle stands in for the real folder
    # chooser's, which a headless browser cannot answer.
    import base64
    sample_b64 = base64.b64encode((ROOT / "examples" / "fordulo-112.html").read_bytes()).decode()
    tools.evaluate("""(() => {
      const files = new Map();
      window.fakeFolder = { files, name: 'Letöltések', async *entries() {
        for (const [name, file] of files) yield [name, { kind: 'file', name, getFile: async () => file }];
      } };
      window.talvorixPage.startWatching(window.fakeFolder);
    })()""")
    tools.wait_for("document.getElementById('hint').textContent === 'Figyelt mappa: Letöltések'", "the watch hint")
    tools.wait_for("document.getElementById('text').textContent === 'Még nincs forduló ebben a mappában'",
                   "the empty folder's notice")
    expect("watching an empty folder: the hint and the notice", [page.text("hint"), page.text("text")],
           ["Figyelt mappa: Letöltések", "Még nincs forduló ebben a mappában"])
    tools.evaluate(f"""(() => {{
      const bytes = Uint8Array.from(atob('{sample_b64}'), (c) => c.charCodeAt(0));
      fakeFolder.files.set('fordulo-112.html.crdownload', new File([bytes], 'fordulo-112.html.crdownload'));
    }})()""")
    time.sleep(1.5)
    expect("a partial download is not shown", page.text("counter"), "")
    tools.evaluate(f"""(() => {{
      const bytes = Uint8Array.from(atob('{sample_b64}'), (c) => c.charCodeAt(0));
      fakeFolder.files.delete('fordulo-112.html.crdownload');
      fakeFolder.files.set('fordulo-112.html', new File([bytes], 'fordulo-112.html', {{ lastModified: 5 }}));
    }})()""")
    tools.wait_for("document.getElementById('counter').textContent === '1/4'", "the saved report", timeout=5)
    expect_record(page, "a report saved into the watched folder is shown once settled", records, 1)
    nothing = crafted(folder, "semmi.html", ["<HTML><BODY>", "Csendes forduló volt.<BR>", "</BODY></HTML>"])
    page.choose(nothing, None)
    expect("choosing a report stops the watching", page.text("hint"), "Húzd rá a fordulót")
    expect("a report with no riddle shows the notice", page.screen(),
           {"text": "Nem találtam feladványt a fájlban", "answer": "", "title": " Feladvány ", "counter": ""})
    page.click("next")
    page.key("ArrowLeft", "ArrowLeft", 37)
    expect("paging does nothing without riddles", page.text("counter"), "")

    gone = crafted(folder, "eltunt.html", ["<BR>"])
    document = tools.send("DOM.getDocument")
    node = tools.send("DOM.querySelector", {"nodeId": document["root"]["nodeId"], "selector": "#report"})
    tools.evaluate("performance.clearMarks('talvorix-shown')")
    gone.unlink()
    tools.send("DOM.setFileInputFiles", {"files": [str(gone)], "nodeId": node["nodeId"]})
    tools.wait_for("performance.getEntriesByName('talvorix-shown').length > 0", "a missing file")
    expect("a file that cannot be read shows the notice", page.text("text"), "Nincs ilyen fájl")

    saved = ROOT / "tests" / "scanner" / "saved_pages" / "saved"
    for name, original in (("fordulo-113.utf8.html", "fordulo-113.html"),
                           ("fordulo-114.utf16le.html", "fordulo-114.html")):
        count, want = cli_records(cli, ROOT / "examples" / original)
        page.choose(saved / name, f"document.getElementById('counter').textContent === '1/{count}'")
        got = []
        for k in range(1, count + 1):
            screen = page.screen()
            got.append({"text": screen["text"], "answer": screen["answer"], "title": screen["title"]})
            page.click("next")
        expect(f"{name}: the original's records", got, want)

    tools.send("Page.setInterceptFileChooserDialog", {"enabled": True})
    before = len(tools.events)
    page.key("o", "KeyO", 79, modifiers=2)
    tools.pump(0.5)
    expect("Ctrl+O opens the file chooser",
           any(e["method"] == "Page.fileChooserOpened" for e in tools.events[before:]), True)
    tools.send("Page.setInterceptFileChooserDialog", {"enabled": False})

    # The names that assistive technology reads, from the browser's own accessibility tree.
    tree = tools.send("Accessibility.getFullAXTree")["nodes"]
    names = {}
    for element_id in ("report", "prev", "next", "copy", "watch", "answer"):
        node = tools.send("DOM.describeNode", {"objectId": tools.send("Runtime.evaluate", {
            "expression": f"document.getElementById('{element_id}')"})["result"]["objectId"]})["node"]
        names[element_id] = next((n.get("name", {}).get("value", "") for n in tree
                                  if n.get("backendDOMNodeId") == node["backendNodeId"]), "")
    print(f"# accessible names: {names}")
    for element_id, name in names.items():
        if element_id != "watch" or has_picker:
            expect(f"#{element_id} has an accessible name", bool(name), True)
    expect("the answer is a polite live region",
           tools.evaluate("document.getElementById('answer').getAttribute('aria-live')"), "polite")

    # Keyboard alone: Tab reaches every control in order.
    tools.evaluate("document.activeElement && document.activeElement.blur()")
    reached = []
    for _ in range(8):
        page.key("Tab", "Tab", 9)
        reached.append(tools.evaluate("document.activeElement.id"))
    want_order = ["report", "watch", "prev", "next", "copy"] if has_picker else ["report", "prev", "next", "copy"]
    # Tab goes on from the control used last: the order is read from #report on.
    reached = [i for i in reached if i]
    start = reached.index("report") if "report" in reached else 0
    expect("Tab reaches every control in order", reached[start:start + len(want_order)], want_order)

    page.choose(ROOT / "examples" / "fordulo-114.html", "document.getElementById('counter').textContent === '1/3'")
    tools.send("Emulation.setDeviceMetricsOverride", {"width": 360, "height": 740, "deviceScaleFactor": 1,
                                                       "mobile": True})
    for k in range(3):
        overflow = tools.evaluate("document.documentElement.scrollWidth - document.documentElement.clientWidth")
        expect(f"360 px wide, record {k + 1}: no horizontal scroll", overflow <= 0, True)
        page.click("next")
    shot = os.environ.get("TALVORIX_SCREENSHOT")
    if shot:
        import base64
        data = tools.send("Page.captureScreenshot", {"format": "png"})["data"]
        pathlib.Path(shot).write_bytes(base64.b64decode(data))
    tools.send("Emulation.clearDeviceMetricsOverride")

    tools.pump(0.2)
    requests = [e["params"]["request"]["url"] for e in tools.events if e["method"] == "Network.requestWillBeSent"]
    expect("the Network domain saw the page's own load", page.url in requests, True)
    expect("no request but the page's own file", [url for url in requests if url != page.url], [])


def run_site_checks(browser, site, cli):
    """The site folder served over http://localhost (a secure context, as https is): the
    service worker takes the page, the manifest parses, and with the server gone the
    page opens again from the worker's cache and still reads reports."""
    import functools
    import http.server
    import threading

    handler = functools.partial(QuietHandler, directory=str(site))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        page = Page(browser, None, url=f"http://localhost:{server.server_address[1]}/")
        tools = page.tools
        tools.wait_for("navigator.serviceWorker.controller !== null", "the service worker to take the page")
        manifest = tools.send("Page.getAppManifest")
        expect("the web app manifest parses without errors", manifest.get("errors"), [])
        expect("the manifest is the site's", manifest.get("url", "").endswith("/manifest.webmanifest"), True)
        errors = tools.send("Page.getInstallabilityErrors").get("installabilityErrors", [])
        expect("the browser can install the page", [e.get("errorId") for e in errors], [])
    finally:
        server.shutdown()
        server.server_close()
    tools.evaluate("performance.clearMarks()")
    tools.send("Page.reload")
    tools.wait_for("performance.getEntriesByName('talvorix-engine-ready').length > 0",
                   "the page to open offline")
    sample = ROOT / "examples" / "fordulo-112.html"
    page.choose(sample, "document.getElementById('counter').textContent === '1/4'")
    expect("offline, from the worker's cache, the page reads a report", page.text("answer"),
           cli_records(cli, sample)[1][0]["answer"])


class QuietHandler(__import__("http.server").server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def run_bench(page, report):
    page.choose(pathlib.Path(report).resolve(), None)
    ms = page.tools.evaluate("performance.getEntriesByName('talvorix-shown').pop().startTime -"
                             " performance.getEntriesByName('talvorix-file').pop().startTime")
    print(f"{pathlib.Path(report).name}: chosen to its first answer in {ms:.0f} ms ({page.text('counter')})")


def main():
    args = sys.argv[1:]
    bench = None
    if "--bench" in args:
        i = args.index("--bench")
        bench = args[i + 1]
        del args[i:i + 2]
    if len(args) != 2:
        print(__doc__, file=sys.stderr)
        return 64
    page_path, cli = pathlib.Path(args[0]), args[1]
    browser = Browser()
    try:
        with tempfile.TemporaryDirectory(prefix="talvorix-web-") as folder:
            page = Page(browser, page_path)
            if bench:
                run_bench(page, bench)
            else:
                run_checks(browser, page, page_path, cli, folder)
                site = page_path.parent / "site"
                if site.is_dir():
                    run_site_checks(browser, site, cli)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        print(f"browser: {len(PASSED)} passed, 1 failed")
        return 1
    finally:
        browser.close()
    if not bench:
        print(f"browser: {len(PASSED)} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
