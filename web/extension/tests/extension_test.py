#!/usr/bin/python3
"""The browser extension in a real headless Chromium (--headless=new, --load-extension),
driven over the DevTools protocol.

Reports are served by a local http server on 127.0.0.1 (Windows-1250, as the game sends
them; pages saved by Chromium as UTF-8) and opened from file://. Every expected record
comes from the native talvorix-cli --json.

Usage: extension_test.py EXTENSION_DIR CLI
  EXTENSION_DIR  build-web/talvorix-extension
  CLI            a native talvorix-cli

What stands in for what a person does:
- The toolbar button cannot be clicked over the protocol. Its popup is opened once by
  the extension's own chrome.action.openPopup() (the toolbar's popup window, for the
  active tab), and otherwise as a page of its own, popup.html?tab=ID naming the
  report's tab (the same code; a page can be driven and screenshotted). The click's
  one-time access to the tab (activeTab) is stood in for by a test copy of the
  extension whose manifest also asks for http://127.0.0.1/* and file:///*; everything
  else in it is the built extension.
- "Mindig ezen a webhelyen" is clicked with a real mouse event in that popup: the
  browser's permission question would wait for a person, so the site is one the test
  copy already holds, and permissions.request answers at once. The popup then registers
  the content script through the real scripting API.
- File access is switched on and off through chrome://extensions' own API, as the
  switch on the extension's details page does.
The built extension itself is loaded beside the test copy: both must load without
errors.
"""

import functools
import http.server
import json
import os
import pathlib
import shutil
import sys
import tempfile
import threading
import time
from collections import Counter
from urllib.parse import urlparse

import websocket

ROOT = pathlib.Path(__file__).resolve().parents[3]
sys.path.insert(0, str(ROOT / "web" / "tests"))
from browser_test import PASSED, Failure, cli_records, expect, start_chromium, stop_chromium  # noqa: E402  (the page's test: shared helpers)

FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--lang=hu", "--window-size=1280,900"]
class DevTools:
    """The browser connection. Every target is attached as it appears, paused until the
    Network domain records it, so every request of every page, popup and worker is seen."""

    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id = 0
        self.requests = []   # (session's target url, request url)
        self.targets = {}    # sessionId -> targetInfo
        self.isolated = {}   # sessionId -> ids of the extensions' execution contexts in it
        self.events = []

    def _post(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.socket.send(json.dumps(message))
        return self.next_id

    def _take(self, reply):
        method = reply.get("method")
        if method is None:
            return
        params = reply.get("params", {})
        if method == "Target.attachedToTarget":
            session = params["sessionId"]
            self.targets[session] = params["targetInfo"]
            self._post("Network.enable", session=session)
            self._post("Runtime.enable", session=session)
            self._post("Target.setAutoAttach", {"autoAttach": True, "waitForDebuggerOnStart": True,
                                                "flatten": True}, session=session)
            self._post("Runtime.runIfWaitingForDebugger", session=session)
        elif method == "Target.targetInfoChanged":
            info = params["targetInfo"]
            for session, known in self.targets.items():
                if known["targetId"] == info["targetId"]:
                    self.targets[session] = info
        elif method == "Target.detachedFromTarget":
            self.targets.pop(params.get("sessionId"), None)
        elif method == "Runtime.executionContextCreated":
            context = params["context"]
            if context.get("auxData", {}).get("type") == "isolated":
                self.isolated.setdefault(reply.get("sessionId"), []).append(context["id"])
        elif method == "Network.requestWillBeSent":
            self.requests.append(params["request"]["url"])
        self.events.append(reply)

    def send(self, method, params=None, session=None, timeout=60):
        wanted = self._post(method, params, session)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == wanted:
                if "error" in reply:
                    raise Failure(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self._take(reply)
        raise Failure(f"{method}: no answer")

    def pump(self, seconds):
        self.socket.settimeout(seconds)
        try:
            while True:
                self._take(json.loads(self.socket.recv()))
        except websocket.WebSocketTimeoutException:
            pass
        finally:
            self.socket.settimeout(60)

    def evaluate(self, session, expression, await_promise=True):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": await_promise, "userGesture": True},
                           session=session)
        if "exceptionDetails" in result:
            raise Failure(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, session, expression, what, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                if self.evaluate(session, expression):
                    return
            except Failure:
                pass  # the page is still being replaced
            self.pump(0.05)
        raise Failure(f"timed out waiting for {what}")

    def panel_decision(self, session, what, timeout=15):
        """What the panel's script decided on the page (talvorixPanel in the extension's
        own world, which the page cannot see)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for context in reversed(self.isolated.get(session, [])):
                try:
                    result = self.send("Runtime.evaluate", {"expression": "globalThis.talvorixPanel",
                                                            "contextId": context, "returnByValue": True},
                                       session=session)
                except Failure:
                    continue  # a world of a page since replaced
                value = result.get("result", {}).get("value") if "exceptionDetails" not in result else None
                if value is not None:
                    return value
            self.pump(0.05)
        raise Failure(f"timed out waiting for the panel's script on {what}")

    def session_of(self, predicate, what, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for session, info in list(self.targets.items()):
                if predicate(info):
                    return session
            self.pump(0.1)
        raise Failure(f"no target: {what}")


class Server:
    """Reports on http://127.0.0.1: each path's bytes and Content-Type, and every
    request it answered. A path marked once answers its first GET only (then 404), with
    no-store: a page the game will not send again."""

    def __init__(self):
        self.pages = {}   # path -> (bytes, content type, once)
        self.log = []
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):  # noqa: N802 (the library's name)
                server.log.append(self.path)
                page = server.pages.get(self.path)
                served = sum(1 for p in server.log if p == self.path)
                if page is None or (page[2] and served > 1):
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Type", page[1])
                self.send_header("Content-Length", str(len(page[0])))
                if page[2]:
                    self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(page[0])

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.origin = f"http://127.0.0.1:{self.httpd.server_address[1]}"

    def add(self, path, data, content_type="text/html; charset=windows-1250", once=False):
        self.pages[path] = (data, content_type, once)
        return self.origin + path

    def gets(self, path):
        return sum(1 for p in self.log if p == path)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def test_copy(extension_dir, folder):
    """The built extension with the access the toolbar click would give (see above)."""
    copy = pathlib.Path(folder, "talvorix-extension-test")
    shutil.copytree(extension_dir, copy)
    manifest = json.loads((copy / "manifest.json").read_text())
    manifest["host_permissions"] = ["http://127.0.0.1/*", "file:///*"]
    (copy / "manifest.json").write_text(json.dumps(manifest, indent=2))
    return copy


class Browser:
    def __init__(self, extensions):
        self.profile = tempfile.mkdtemp(prefix="talvorix-chromium-")
        paths = ",".join(str(e) for e in extensions)
        self.process, self.tools = start_chromium(
            self.profile, [f"--disable-extensions-except={paths}", f"--load-extension={paths}"], FLAGS, DevTools)
        self.tools.send("Target.setAutoAttach", {"autoAttach": True, "waitForDebuggerOnStart": True,
                                                 "flatten": True})
        self.tools.send("Target.setDiscoverTargets", {"discover": True})

    def open(self, url):
        """A new tab at `url`; returns its session once its document has loaded. The tab
        starts blank and is recorded before it navigates: its own load is seen too."""
        target = self.tools.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.tools.session_of(lambda info: info["targetId"] == target, url)
        self.tools.send("Page.navigate", {"url": url}, session=session)
        self.tools.wait_for(session, f"location.href === {json.dumps(url)} && document.readyState === 'complete'",
                            f"{url} to load")
        return session

    def close(self):
        stop_chromium(self.process, self.profile)


def click_at(tools, session, box):
    for kind in ("mousePressed", "mouseReleased"):
        tools.send("Input.dispatchMouseEvent", {"type": kind, "x": box[0], "y": box[1], "button": "left",
                                                "clickCount": 1}, session=session)


def centre(root_expression, element_id):
    return (f"(() => {{ const r = {root_expression}.getElementById({json.dumps(element_id)})"
            ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")


class Controls:
    """The dialog's controls inside a document (the popup) or a shadow root (the panel)."""

    def __init__(self, tools, session, root):
        self.tools, self.session, self.root = tools, session, root

    def text(self, element_id):
        return self.tools.evaluate(self.session, f"{self.root}.getElementById({json.dumps(element_id)}).textContent")

    def screen(self):
        return {name: self.text(name) for name in ("text", "answer", "title", "counter")}

    def click(self, element_id):
        click_at(self.tools, self.session, self.tools.evaluate(self.session, centre(self.root, element_id)))


def screenshot(tools, session, name):
    """With TALVORIX_EXTENSION_SCREENSHOTS=DIR, what the tab shows, as DIR/NAME."""
    folder = os.environ.get("TALVORIX_EXTENSION_SCREENSHOTS")
    if folder:
        import base64
        data = tools.send("Page.captureScreenshot", {"format": "png"}, session=session)["data"]
        pathlib.Path(folder, name).write_bytes(base64.b64decode(data))


def want_screen(records, k):
    record = records[k - 1]
    return {"text": record["text"], "answer": record["answer"], "title": record["title"],
            "counter": f"{k}/{len(records)}"}


kFirefoxBackgroundNote = "'background.scripts' requires manifest version of 2 or lower."


def extensions_info(browser):
    """chrome://extensions and what it knows of the unpacked extensions, by folder name,
    after loading them again in developer mode (which collects their errors)."""
    session = browser.open("chrome://extensions/")
    tools = browser.tools
    tools.evaluate(session, "chrome.developerPrivate.updateProfileConfiguration({ inDeveloperMode: true })")
    read = ("chrome.developerPrivate.getExtensionsInfo().then((list) => list.filter((e) => e.location === 'UNPACKED')"
            ".map((e) => ({ id: e.id, path: e.path || '', state: e.state, warnings: e.installWarnings,"
            " manifestErrors: e.manifestErrors.map((m) => m.message), runtimeErrors: e.runtimeErrors.map((r) => r.message),"
            " fileAccess: e.fileAccess.isActive })))")
    for info in tools.evaluate(session, read):
        tools.evaluate(session, f"chrome.developerPrivate.reload('{info['id']}', {{ failQuietly: false }})")
    tools.wait_for(session, read.replace(")))", "))).then((l) => l.every((e) => e.state === 'ENABLED'))"),
                   "the extensions to load again")
    return session, {pathlib.Path(i["path"]).name: i for i in tools.evaluate(session, read)}


def worker_session(tools, extension_id):
    """A live session of the extension's service worker (one from before a reload may
    linger until the browser reports it gone)."""
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        for session, info in list(tools.targets.items()):
            if info["type"] == "service_worker" and extension_id in info["url"]:
                try:
                    if tools.evaluate(session, "typeof chrome === 'object' && Boolean(chrome.scripting)"):
                        return session
                except Failure:
                    pass
        tools.pump(0.1)
    raise Failure("the extension's service worker did not start")


def tab_id(browser, worker, url):
    """The tabs API's id of the tab showing `url` (the API learns of a page a little
    after the page has loaded)."""
    deadline = time.monotonic() + 10
    while True:
        tabs = browser.tools.evaluate(worker, "chrome.tabs.query({}).then((t) => t.map((x) => [x.id, x.url]))")
        for tab, tab_url in tabs:
            if tab_url == url:
                return tab
        if time.monotonic() > deadline:
            raise Failure(f"no tab shows {url}: {tabs}")
        browser.tools.pump(0.1)


def open_popup(browser, extension_id, tab):
    session = browser.open(f"chrome-extension://{extension_id}/popup.html?tab={tab}")
    browser.tools.wait_for(session, "document.body.dataset.ready === 'true'", "the popup to read its tab")
    return session


def run(extension_dir, cli, folder):
    messages = json.loads(pathlib.Path(extension_dir, "_locales", "hu", "messages.json").read_text())
    hu = {key: value["message"] for key, value in messages.items()}
    copy = test_copy(extension_dir, folder)
    server = Server()
    browser = Browser([pathlib.Path(extension_dir).resolve(), copy])
    tools = browser.tools
    try:
        manager, ours = extensions_info(browser)
        expect("both the built extension and its test copy are loaded",
               sorted(ours), sorted([pathlib.Path(extension_dir).name, copy.name]))
        for name, info in ours.items():
            # The one note: Chromium runs the service worker and names the background
            # script form that Firefox runs as a key for Manifest V2 only.
            expect(f"{name}: the manifest loads without install warnings or errors",
                   [info["warnings"], [e for e in info["manifestErrors"] if e != kFirefoxBackgroundNote],
                    info["runtimeErrors"]], [[], [], []])
        extension_id = ours[copy.name]["id"]
        worker = worker_session(tools, extension_id)
        expect("the popup is in Hungarian", tools.evaluate(worker, "chrome.i18n.getMessage('siteOn')"),
               "Mindig ezen a webhelyen")

        samples = sorted((ROOT / "examples").glob("*.html"))
        for sample in samples:
            server.add(f"/{sample.name}", sample.read_bytes())
        expected = {s.name: cli_records(cli, s)[1] for s in samples}

        # The popup on a served report: its original bytes, its records, paging, copying.
        first = samples[0]
        records = expected[first.name]
        url = server.origin + f"/{first.name}"
        report = browser.open(url)
        popup = open_popup(browser, extension_id, tab_id(browser, worker, url))
        controls = Controls(tools, popup, "document")
        expect(f"popup on {first.name}: record 1", controls.screen(), want_screen(records, 1))
        expect("popup: the page read as the game sent it", controls.text("hint"), hu["readOriginal"])
        for k in [*range(2, len(records) + 1), 1]:
            controls.click("next")
            expect(f"popup: > shows {k}/{len(records)}", controls.screen(), want_screen(records, k))
        controls.click("prev")
        expect(f"popup: < from 1 wraps to {len(records)}", controls.screen(), want_screen(records, len(records)))
        for key, code, key_code, k in (("ArrowRight", "ArrowRight", 39, 1), ("ArrowLeft", "ArrowLeft", 37, len(records))):
            for kind in ("rawKeyDown", "keyUp"):
                tools.send("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code,
                                                      "windowsVirtualKeyCode": key_code}, session=popup)
            expect(f"popup: {key} shows {k}/{len(records)}", controls.screen(), want_screen(records, k))
        screenshot(tools, popup, "popup.png")
        tools.send("Browser.grantPermissions", {"permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        tools.send("Page.bringToFront", session=popup)
        tools.evaluate(popup, "navigator.clipboard.writeText('-')")
        controls.click("copy")
        tools.wait_for(popup, "navigator.clipboard.readText().then((t) => t !== '-')", "the copy button")
        expect("popup: the copy button copies the answer", tools.evaluate(popup, "navigator.clipboard.readText()"),
               records[-1]["answer"])
        expect("popup: the site can be turned on",
               tools.evaluate(popup, "[document.getElementById('siteOn').hidden, document.getElementById('siteOff').hidden]"),
               [False, True])

        # The toolbar's popup itself, opened by the extension's API for the active tab.
        tools.send("Target.activateTarget", {"targetId": tools.targets[report]["targetId"]})
        tools.send("Page.bringToFront", session=report)
        opened = tools.evaluate(worker, "chrome.action.openPopup().then(() => 'opened', (e) => String(e))")
        expect("the toolbar's popup opens", opened, "opened")
        popup_real = tools.session_of(lambda i: i["url"].endswith("/popup.html") and extension_id in i["url"],
                                      "the toolbar's popup")
        tools.wait_for(popup_real, "document.body.dataset.ready === 'true'", "the toolbar's popup to read its tab")
        expect("the toolbar's popup shows the active tab's report", Controls(tools, popup_real, "document").screen(),
               want_screen(records, 1))

        # A page the game will not send again: its DOM gives the same answers.
        gone = samples[1]
        gone_url = server.add(f"/once/{gone.name}", gone.read_bytes(), once=True)
        browser.open(gone_url)
        popup_gone = open_popup(browser, extension_id, tab_id(browser, worker, gone_url))
        gone_controls = Controls(tools, popup_gone, "document")
        expect("popup: a page that cannot be read again was tried again", server.gets(f"/once/{gone.name}"), 2)
        expect("popup: then its DOM is read", gone_controls.text("hint"), hu["readDom"])
        expect(f"popup: {gone.name} from its DOM: record 1", gone_controls.screen(),
               want_screen(expected[gone.name], 1))

        # A report opened from disk, with file access (on for an unpacked extension loaded
        # from the command line).
        expect("file access is on at the start", ours[copy.name]["fileAccess"], True)
        file_url = samples[2].resolve().as_uri()
        browser.open(file_url)
        file_tab = tab_id(browser, worker, file_url)
        popup_file = open_popup(browser, extension_id, file_tab)
        file_controls = Controls(tools, popup_file, "document")
        expect(f"popup on file://{samples[2].name}: record 1", file_controls.screen(),
               want_screen(expected[samples[2].name], 1))
        expect("popup on file://: the file's own bytes", file_controls.text("hint"), hu["readOriginal"])
        expect("popup on file://: no site to turn on",
               tools.evaluate(popup_file, "[document.getElementById('siteOn').hidden, document.getElementById('siteOff').hidden]"),
               [True, True])

        # "Mindig ezen a webhelyen", clicked for real in the popup of the served report.
        Controls(tools, popup, "document").click("siteOn")
        tools.wait_for(popup, "!document.getElementById('siteOff').hidden", "the site to be turned on")
        registered = tools.evaluate(worker, "chrome.scripting.getRegisteredContentScripts()")
        expect("the popup registered the panel for the site",
               [(s["id"], s["matches"]) for s in registered],
               [("talvorix-site-http___127.0.0.1__", ["http://127.0.0.1/*"])])

        panel_root = "document.getElementById('talvorix').shadowRoot"
        shown = f"document.getElementById('talvorix') !== null && {panel_root}.getElementById('counter').textContent !== ''"

        def panel_on(path, what, want, source="original"):
            session = browser.open(server.origin + path)
            tools.wait_for(session, shown, f"the panel on {what}")
            expect(f"panel on {what}: read from {source}", tools.panel_decision(session, what),
                   {"count": len(want), "source": source})
            panel = Controls(tools, session, panel_root)
            got = panel.screen()
            expect(f"panel on {what}: counter, answer and title of record 1",
                   [got["counter"], got["answer"], got["title"]],
                   [f"1/{len(want)}", want[0]["answer"], want[0]["title"]])
            expect(f"panel on {what}: the riddle's text", got["text"], want[0]["text"])
            return session, panel

        for sample in samples:
            session, panel = panel_on(f"/{sample.name}", sample.name, expected[sample.name])
        records = expected[samples[-1].name]
        screenshot(tools, session, "panel.png")
        expect("the panel is one element with an open shadow root",
               tools.evaluate(session, "[document.querySelectorAll('#talvorix').length,"
                                       " document.getElementById('talvorix').shadowRoot.mode]"), [1, "open"])
        panel.click("next")
        expect("panel: > shows 2", panel.screen(), want_screen(records, 2))
        panel.click("prev")
        panel.click("prev")
        expect(f"panel: < from 1 wraps to {len(records)}", panel.screen(), want_screen(records, len(records)))
        panel.click("toggle")
        expect("panel: collapsed to its title bar",
               tools.evaluate(session, f"[{panel_root}.querySelector('.panel').classList.contains('collapsed'),"
                                       f" {panel_root}.getElementById('text').offsetParent === null,"
                                       f" {panel_root}.getElementById('toggle').getAttribute('aria-expanded')]"),
               [True, True, "false"])
        panel.click("toggle")
        expect("panel: opened again", tools.evaluate(session, f"{panel_root}.getElementById('text').offsetParent !== null"),
               True)
        # The page's styles do not reach inside.
        before = tools.evaluate(session, f"getComputedStyle({panel_root}.getElementById('answer')).color")
        tools.evaluate(session, "document.head.insertAdjacentHTML('beforeend', '<style>* { color: rgb(255, 0, 0)"
                                " !important; font-size: 40px !important; }</style>')")
        expect("panel: the page's styles do not touch it",
               tools.evaluate(session, f"[getComputedStyle({panel_root}.getElementById('answer')).color,"
                                       f" getComputedStyle({panel_root}.getElementById('next')).fontSize]"),
               [before, "14px"])

        # Pages saved by Chromium as UTF-8, served as such: the original's answers.
        saved = ROOT / "tests" / "scanner" / "saved_pages" / "saved"
        for sample in samples:
            name = f"{sample.stem}.utf8.html"
            server.add(f"/saved/{name}", (saved / name).read_bytes(), "text/html; charset=utf-8")
            panel_on(f"/saved/{name}", f"{name} (saved by Chromium)", expected[sample.name])

        # A page the game will not send again gets its panel from the DOM.
        server.add(f"/once2/{gone.name}", gone.read_bytes(), once=True)
        panel_on(f"/once2/{gone.name}", f"{gone.name} not sent again", expected[gone.name], source="dom")

        # A page without riddles gets nothing: not even an empty element, nor a request.
        quiet = "<HTML><BODY>\r\nCsendes fordul\xf3 volt.<BR>\r\n</BODY></HTML>\r\n".encode("latin-1")
        server.add("/csendes.html", quiet, once=True)
        session = browser.open(server.origin + "/csendes.html")
        expect("a page without riddles: the panel's script found none in its DOM",
               tools.panel_decision(session, "csendes.html"), {"count": 0, "source": "dom"})
        tools.pump(0.5)
        expect("a page without riddles gets no panel and is not read again",
               [tools.evaluate(session, "document.getElementById('talvorix') === null"), server.gets("/csendes.html")],
               [True, 1])

        # "Kikapcsolás ezen a webhelyen": no panel from then on.
        tools.send("Page.reload", session=popup)
        tools.wait_for(popup, "document.body.dataset.ready === 'true'", "the popup again")
        expect("popup: the site can be turned off",
               tools.evaluate(popup, "[document.getElementById('siteOn').hidden, document.getElementById('siteOff').hidden]"),
               [True, False])
        Controls(tools, popup, "document").click("siteOff")
        tools.wait_for(popup, "!document.getElementById('siteOn').hidden", "the site to be turned off")
        expect("turned off: no content script is registered",
               tools.evaluate(worker, "chrome.scripting.getRegisteredContentScripts()"), [])
        before = server.gets(f"/{first.name}")
        session = browser.open(url)
        tools.pump(1.5)
        expect("turned off: a report page gets no panel and is not read again",
               [tools.evaluate(session, "document.getElementById('talvorix') === null"), server.gets(f"/{first.name}")],
               [True, before + 1])

        # File access off: the popup says how to allow it. The extension restarts with
        # the new setting (the browser restarts an unpacked one only in developer mode).
        tools.evaluate(manager, f"chrome.developerPrivate.updateExtensionConfiguration({{ extensionId:"
                                f" '{extension_id}', fileAccess: false }})")
        tools.wait_for(manager, f"chrome.developerPrivate.getExtensionInfo('{extension_id}')"
                                ".then((e) => !e.fileAccess.isActive)", "file access to go off")
        # The tab keeps its id.
        popup_nofile = None
        for _ in range(20):  # until the restarted extension serves its pages again
            tools.pump(0.25)
            session = browser.open(f"chrome-extension://{extension_id}/popup.html?tab={file_tab}")
            if not tools.evaluate(session, "location.href.startsWith('chrome-error:')"):
                popup_nofile = session
                break
        if popup_nofile is None:
            raise Failure("the extension did not come back after file access was turned off")
        tools.wait_for(popup_nofile, "document.body.dataset.ready === 'true'", "the popup to read its tab")
        nofile = Controls(tools, popup_nofile, "document")
        expect("popup on file:// without file access: the hint says how to allow it",
               [nofile.text("hint"), nofile.text("text")], [hu["fileAccess"], "Nincs ilyen fájl"])

        for name, info in ours.items():
            errors = tools.evaluate(manager, f"chrome.developerPrivate.getExtensionInfo('{info['id']}')"
                                             ".then((e) => e.runtimeErrors.map((r) => r.message))")
            expect(f"{name}: no error logged by the popup, the panel or the background", errors, [])

        # Nothing left 127.0.0.1: every request of every page, popup and worker.
        tools.pump(0.3)
        outside = [u for u in tools.requests
                   if not (urlparse(u).scheme in ("chrome-extension", "data", "blob", "file", "about", "chrome")
                           or urlparse(u).hostname == "127.0.0.1")]
        kinds = {}
        for u in tools.requests:
            kind = urlparse(u).scheme + "://" + (urlparse(u).hostname or "")
            kinds[kind] = kinds.get(kind, 0) + 1
        print(f"# requests seen: {kinds}; answered by the server: {len(server.log)}")
        # Re-reads that the browser's cache answered are seen but never reach the server.
        seen = Counter(urlparse(u).path for u in tools.requests if urlparse(u).hostname == "127.0.0.1")
        expect("the Network domain saw every request the server answered",
               sorted((Counter(server.log) - seen).elements()), [])
        expect("no request leaves 127.0.0.1", outside, [])
    finally:
        browser.close()
        server.close()


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 64
    extension_dir, cli = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2]
    try:
        with tempfile.TemporaryDirectory(prefix="talvorix-extension-") as folder:
            run(extension_dir, cli, folder)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        print(f"extension: {len(PASSED)} passed, 1 failed")
        return 1
    print(f"extension: {len(PASSED)} passed, 0 failed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
