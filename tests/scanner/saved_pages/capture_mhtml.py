#!/usr/bin/python3
"""Saves reports as single files (MHTML) with the real Chromium's own writer.

Usage: capture_mhtml.py OUT_DIR REPORT...    (CHROMIUM names the browser; default: chromium)
Each REPORT is loaded from its file:// address in one headless Chromium, driven over its
DevTools protocol, and Page.captureSnapshot {format: "mhtml"} is written to
OUT_DIR/NAME.mhtml, byte for byte as Chromium returns it. From it come four more forms,
as other writers make them:
  NAME.base64.mhtml  the page part in base64 instead of quoted-printable
  NAME.lf.mhtml      every line ending in LF alone
  NAME.utf8.mhtml    the page in UTF-8, its part saying charset=utf-8
  NAME.iframe.mhtml  a second text/html part (a frame's page) after the first
"""
import base64
import json
import os
import quopri
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket


def wait_for_port(profile, process):
    port_file = os.path.join(profile, "DevToolsActivePort")
    for _ in range(300):
        if process.poll() is not None:
            sys.exit("capture_mhtml.py: the browser stopped before it listened")
        if os.path.exists(port_file):
            lines = open(port_file).read().split("\n")
            if lines and lines[0].strip():
                return int(lines[0])
        time.sleep(0.1)
    sys.exit("capture_mhtml.py: the browser did not listen")


class Session:
    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=60, suppress_origin=True)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    sys.exit("capture_mhtml.py: %s: %s" % (method, message["error"]))
                return message["result"]

    def wait_for(self, event):
        while True:
            message = json.loads(self.socket.recv())
            if message.get("method") == event:
                return message


def split_page_part(mhtml):
    """The file before the page part's body, the body, and the rest (from the CR LF before
    the next boundary on)."""
    boundary = re.search(rb'boundary="([^"]+)"', mhtml).group(1)
    delimiter = b"\r\n--" + boundary
    part = mhtml.index(b"Content-Type: text/html")
    body = mhtml.index(b"\r\n\r\n", part) + 4
    end = mhtml.index(delimiter, body)
    return mhtml[:body], mhtml[body:end], mhtml[end:]


def quoted_printable(data):
    """Quoted-printable with CR LF line ends and soft breaks, lines of at most 76."""
    lines = []
    for line in data.split(b"\r\n"):
        out, width = b"", 0
        for byte in line:
            piece = bytes([byte]) if 32 <= byte < 127 and byte != ord("=") else b"=%02X" % byte
            if width + len(piece) > 75:
                out += b"=\r\n"
                width = 0
            out += piece
            width += len(piece)
        lines.append(out)
    return b"\r\n".join(lines)


def other_forms(mhtml):
    head, body, rest = split_page_part(mhtml)
    page = quopri.decodestring(body.replace(b"=\r\n", b""))
    encoded = base64.encodebytes(page).replace(b"\n", b"\r\n").rstrip(b"\r\n")
    base64_head = head.replace(b"Content-Transfer-Encoding: quoted-printable",
                               b"Content-Transfer-Encoding: base64")
    utf8_page = page.decode("cp1250").encode("utf-8").replace(b"charset=windows-1250", b"charset=utf-8")
    utf8_head = head.replace(b"Content-Type: text/html\r\n", b"Content-Type: text/html; charset=utf-8\r\n")
    boundary = re.search(rb'boundary="([^"]+)"', mhtml).group(1)
    frame = (b"\r\n--" + boundary + b"\r\nContent-Type: text/html\r\n"
             b"Content-ID: <frame-second@mhtml.blink>\r\n"
             b"Content-Transfer-Encoding: quoted-printable\r\n\r\n" + body)
    return {
        "base64": base64_head + encoded + rest,
        "lf": mhtml.replace(b"\r\n", b"\n"),
        "utf8": utf8_head + quoted_printable(utf8_page) + rest,
        "iframe": head + body + frame + rest,
    }


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    chromium = os.environ.get("CHROMIUM", "chromium")
    if shutil.which(chromium) is None:
        sys.exit("capture_mhtml.py: %s is not installed" % chromium)
    profile = tempfile.mkdtemp()
    process = subprocess.Popen(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile, "--remote-debugging-port=0", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        port = wait_for_port(profile, process)
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port))
        page = next(t for t in targets if t["type"] == "page")
        session = Session(page["webSocketDebuggerUrl"])
        session.call("Page.enable")
        for report in sys.argv[2:]:
            session.call("Page.navigate", url="file://" + os.path.abspath(report))
            session.wait_for("Page.loadEventFired")
            snapshot = session.call("Page.captureSnapshot", format="mhtml")["data"]
            name = os.path.splitext(os.path.basename(report))[0]
            # The snapshot is text with CR LF line ends; written as it is, in UTF-8.
            mhtml = snapshot.encode("utf-8")
            with open(os.path.join(out, name + ".mhtml"), "wb") as f:
                f.write(mhtml)
            for form, data in other_forms(mhtml).items():
                with open(os.path.join(out, "%s.%s.mhtml" % (name, form)), "wb") as f:
                    f.write(data)
            print("saved %s.mhtml" % name)
    finally:
        process.terminate()
        process.wait()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main()
