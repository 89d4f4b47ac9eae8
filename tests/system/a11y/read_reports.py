#!/usr/bin/python3
# Reads reports of the program's viewer from the accessibility bus (AT-SPI),
# as a screen reader does. Run inside a D-Bus session and a display:
#   read_reports.py WINDOW_PROGRAM FOLDER TYPE:LANG [TYPE:LANG ...]
# For each report, starts WINDOW_PROGRAM TYPE LANG FOLDER/TYPELANG (which shows
# that report in the viewer and prints READY), finds its application on the
# bus by process id, and prints one JSON line: the report, the names of the
# windows, and every accessible object's role, name and text. Then closes the
# viewer with its Escape key's button, Return, as a user would.
import os
import json
import subprocess
import sys
import time

import pyatspi


def find_application(pid, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    return None


def objects(node, depth=0):
    """Every object below node, depth first, as (role, name, text)."""
    if node is None or depth > 40:
        return
    try:
        text = ""
        try:
            t = node.queryText()
            text = t.getText(0, t.characterCount)
        except NotImplementedError:
            pass
        found = {"role": node.getRoleName(), "name": node.name or "", "text": text}
        if found["role"] == "table":
            # The table interface: its size, its column headers, each row's header.
            try:
                t = node.queryTable()
                header = lambda h: h.name if h is not None else ""
                found["columns"] = [header(t.getColumnHeader(c)) for c in range(t.nColumns)]
                found["rows"] = [header(t.getRowHeader(r)) for r in range(t.nRows)]
            except NotImplementedError:
                pass
        yield found
        for i in range(node.childCount):
            yield from objects(node.getChildAtIndex(i), depth + 1)
    except Exception as e:  # an object that went away while read
        yield {"role": "error", "name": str(e), "text": ""}


def press_return(app):
    """Clicks the viewer's Return button through its accessible action."""
    stack = [app]
    while stack:
        node = stack.pop()
        try:
            if node.getRoleName() == "push button" and node.name in ("Return", "Retourner"):
                node.queryAction().doAction(0)
                return True
            stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
        except Exception:
            pass
    return False


def read(program, folder, kind, lang):
    place = os.path.join(folder, kind + lang)
    os.makedirs(place, exist_ok=True)
    window = subprocess.Popen([program, kind, lang, place], stdout=subprocess.PIPE, text=True)
    try:
        line = window.stdout.readline()
        if line.strip() != "READY":
            return {"report": kind + lang, "error": "the window program said: " + line.strip()}
        app = find_application(window.pid, 30)
        if app is None:
            return {"report": kind + lang, "error": "the program is not on the accessibility bus"}
        found = []
        # The report's text may be laid out after the window appears.
        deadline = time.time() + 30
        while time.time() < deadline:
            found = list(objects(app))
            if any(len(o["text"]) > 200 for o in found):
                break
            time.sleep(0.3)
        windows = [app.getChildAtIndex(i).name for i in range(app.childCount)]
        closed = press_return(app)
        return {"report": kind + lang, "windows": windows, "objects": found, "closed": closed}
    finally:
        try:
            window.wait(15)
        except subprocess.TimeoutExpired:
            window.kill()
            window.wait()


def main():
    program, folder = sys.argv[1], sys.argv[2]
    for pair in sys.argv[3:]:
        kind, lang = pair.split(":")
        print(json.dumps(read(program, folder, kind, lang)), flush=True)


if __name__ == "__main__":
    main()
