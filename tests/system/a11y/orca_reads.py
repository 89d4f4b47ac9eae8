#!/usr/bin/python3
# Drives the real screen reader, Orca, through the program's windows and
# prints what it says. Run inside a D-Bus session and a display:
#   orca_reads.py WINDOW_PROGRAM FOLDER WINDOW [WINDOW ...]
# WINDOW is TYPE:LANG (a report in the viewer, TYPE rat or com, LANG E or F)
# or search:LANG:KEYS (the search screen, where KEYS are typed in the list of
# NAICS codes: a list chooses the first code that begins with them).
# Orca runs with speech and braille off and its debug output in a file: its
# "SPEECH OUTPUT" lines are what it would say. For each window, WINDOW_PROGRAM
# shows it (and prints READY); keys are pressed through the accessibility
# bus, as a user's keyboard would, and one JSON line per window gives what
# Orca said after each key.
import json
import os
import re
import subprocess
import sys
import tempfile
import time

import pyatspi

KEYSYMS = {"Down": 0xFF54, "Up": 0xFF52, "Right": 0xFF53, "Left": 0xFF51, "Escape": 0xFF1B, "Tab": 0xFF09,
           "KP_Enter": 0xFF8D}
SPEECH = re.compile(r"SPEECH OUTPUT: '(.*?)' ?\{")
KEY_PRESSED = re.compile(r"^vvvvv PROCESS ATSPI_KEY_PRESSED_EVENT: '(.*?)' \(")


class Orca:
    """Orca with its debug output in a file, read once Orca has stopped: each
    phrase is given to the key press that it follows."""

    def __init__(self, folder):
        self.log = os.path.join(folder, "orca-debug.out")
        prefs = os.path.join(folder, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        # Orca itself, its debug file written line by line (it is opened with
        # a buffer of its own, whose end is lost when Orca is stopped).
        start = ("import builtins, runpy, sys\n"
                 "plain = builtins.open\n"
                 "def opened(f, mode='r', *a, **k):\n"
                 "    if f == sys.argv[-1] and 'w' in mode:\n"
                 "        return plain(f, mode, 1, *a, **k)\n"
                 "    return plain(f, mode, *a, **k)\n"
                 "builtins.open = opened\n"
                 "runpy.run_path('/usr/bin/orca', run_name='__main__')\n")
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-c", start, "--replace", "-d", "speech", "-d", "braille", "-u", prefs,
             "--debug-file", self.log],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 60
        while time.time() < deadline and not os.path.exists(self.log):
            time.sleep(0.3)
        time.sleep(3)

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()

    def phrases_by_key(self):
        """[(None, phrases before the first key), (key, phrases after it), ...]"""
        segments = [(None, [])]
        with open(self.log, encoding="utf-8", errors="replace") as f:
            for line in f:
                k = KEY_PRESSED.search(line)
                if k:
                    segments.append((k.group(1), []))
                else:
                    m = SPEECH.search(line)
                    if m:
                        segments[-1][1].append(m.group(1))
        return segments


PRESSED = []  # (window, step, key name as Orca logs it) of every key press, in order
LOGGED_AS = {"KP_Enter": "Return"}


def key(name, shift=False, where=("", "")):
    """Presses a key (an X key name) through the accessibility bus."""
    shift_code = 50  # Shift_L in the X server's keyboard map
    if shift:
        pyatspi.Registry.generateKeyboardEvent(shift_code, None, pyatspi.KEY_PRESS)
        PRESSED.append(where + ("Shift_L",))
    logged = LOGGED_AS.get(name, name)
    PRESSED.append(where + (logged.upper() if shift and len(logged) == 1 else logged,))
    keyval = KEYSYMS.get(name, ord(name[0]))
    pyatspi.Registry.generateKeyboardEvent(keyval, None, pyatspi.KEY_SYM)
    if shift:
        pyatspi.Registry.generateKeyboardEvent(shift_code, None, pyatspi.KEY_RELEASE)


def type_text(text, where):
    for ch in text:
        key(ch, where=where)
        time.sleep(0.1)


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


def steps_for(kind):
    """The keys pressed on a window, each with a name for its speech."""
    if kind == "search":
        return []
    # T: the first table; from its first cell down a row (Orca reads a row
    # whole), two cells to the right (each said with its column's header),
    # Orca's "where am I" (the cell with both headers); H: the next heading.
    steps = [("table", [("t", False)]), ("down", [("Down", False)]), ("right1", [("Right", False)]),
             ("right2", [("Right", False)]), ("where am I", [("KP_Enter", False)]), ("heading", [("h", False)])]
    if kind == "com":
        steps.append(("chart", [("g", False)]))
    steps.append(("previous heading", [("h", True)]))
    return steps


def run(program, folder, spec):
    parts = spec.split(":")
    kind, lang = parts[0], parts[1]
    place = os.path.join(folder, kind + lang)
    os.makedirs(place, exist_ok=True)
    window = subprocess.Popen([program, kind, lang, place], stdout=subprocess.PIPE, text=True)
    try:
        line = window.stdout.readline()
        if line.strip() != "READY":
            return "the window program said: " + line.strip()
        if find_application(window.pid, 30) is None:
            return "the program is not on the accessibility bus"
        time.sleep(4)  # the window comes up and Orca says it
        if kind == "search":
            type_text(parts[2], (spec, "code"))
            time.sleep(4)  # the industry is announced once typing has paused
        for name, keys in steps_for(kind):
            for k, shift in keys:
                key(k, shift, (spec, name))
            time.sleep(1.5)
        key("Escape", where=(spec, "close"))
        if kind == "search":
            time.sleep(1.5)  # Orca hears a key from the application that has it
            window.terminate()
        return None
    finally:
        try:
            window.wait(15)
        except subprocess.TimeoutExpired:
            window.kill()
            window.wait()


def main():
    program, folder = sys.argv[1], sys.argv[2]
    orca = Orca(folder)
    errors = {}
    try:
        for spec in sys.argv[3:]:
            PRESSED.append((spec, "open", None))  # a mark: what Orca said before the window's first key
            errors[spec] = run(program, folder, spec)
            time.sleep(1)
    finally:
        time.sleep(2)
        orca.stop()
    segments = orca.phrases_by_key()
    # Each key sent is found among the key presses Orca logged, in order; what
    # Orca said after it is that step's. "open" marks no key: it takes what
    # was said after the key before it (the window came up then).
    results = {spec: {"window": spec, "speech": {}} for spec in sys.argv[3:]}
    at = 0
    last = segments[0][1]
    missing = []
    for entry in PRESSED:
        spec, step = entry[0], entry[1]
        if step == "open":
            results[spec]["speech"]["open"] = list(last)
            continue
        found = next((i for i in range(at + 1, len(segments)) if segments[i][0] == entry[2]), None)
        if found is None:
            missing.append("%s %s %s" % entry)
            continue
        at = found
        last = segments[found][1]
        results[spec]["speech"].setdefault(step, []).extend(last)
    for spec in sys.argv[3:]:
        if errors.get(spec):
            results[spec]["error"] = errors[spec]
        lost = [m for m in missing if m.startswith(spec + " ") and " close " not in m]
        if lost:
            results[spec]["error"] = "keys Orca did not see: " + ", ".join(lost)
        print(json.dumps(results[spec]), flush=True)

if __name__ == "__main__":
    main()
