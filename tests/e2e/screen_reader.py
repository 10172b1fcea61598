#!/usr/bin/python3
"""A drill played with the keyboard alone while a listener on the AT-SPI bus
records what the program tells assistive technology.

    screen_reader.py <program>

Run on an X screen with a session D-Bus and the AT-SPI bus (run_e2e.sh
--atspi). Checks that each question, the correct result after a mistake and
the grade reach a notification (what a screen reader speaks) within 0.2 s of
the question picture changing, that every answer typed after a reading is
judged while the pointer crosses the window and every key passes through
a keystroke listener first (as with Orca), and that START/STOP is a button
with a press action. The keyboard alone: Tab goes round the idle main window
and the results window (never trapped), the grade obtained is named, the
results' fact table is a table of named cells and the chart reads as text,
and after the picker or the results window closes the focus is back in the
answer field. Exits non-zero on any failure.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

program = sys.argv[1]
env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", SDL_AUDIODRIVER="dummy")
env.pop("QT_QPA_PLATFORM", None)
proc = subprocess.Popen([program], env=env)

events = []  # (time, kind, role, name)
failures = []


def on_event(e):
    try:
        src = e.source
        role = src.getRoleName()
        name = src.name
    except Exception:
        return
    if e.type.startswith("object:state-changed:showing") and e.detail1 == 1 and role == "notification":
        events.append((time.monotonic(), "notification", role, name))
    elif e.type.startswith("object:property-change:accessible-name"):
        events.append((time.monotonic(), "name", role, name))
    elif e.type.startswith("object:state-changed:focused") and e.detail1 == 1:
        events.append((time.monotonic(), "focus", role, name))


pyatspi.Registry.registerEventListener(on_event, "object:state-changed:showing",
                                       "object:property-change:accessible-name", "object:state-changed:focused")
# Every key passes through the listener first, as it does for Orca: Qt's
# bridge then posts the program a copy of each key press.
keys_seen = []
pyatspi.Registry.registerKeystrokeListener(lambda e: keys_seen.append(e.event_string) and False,
                                           mask=pyatspi.allModifiers(), kind=(pyatspi.KEY_PRESSED_EVENT,),
                                           synchronous=True, preemptive=True)


def xdo(*args):
    subprocess.run(["xdotool", *args], check=False, capture_output=True)


def window():
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(proc.pid), "--name",
                          "^Zoltava mnożenia$"], capture_output=True, text=True).stdout.split()
    return out[0] if out else None


def key(name):
    w = window()
    if w:
        xdo("windowactivate", "--sync", w)
    xdo("key", name)
    xdo("keyup", name)


def cross_window():
    """The pointer crosses the window (no click): the window system's events
    that come with it must change nothing in how keys are taken."""
    w = window()
    if w:
        for x in (40, 200, 360, 520, 640):
            xdo("mousemove", "--window", w, str(x), "240")
            time.sleep(0.02)


def focused():
    """The name of the control that took the focus last."""
    for ev in reversed(events):
        if ev[1] == "focus":
            return ev[3]
    return None


def tab_round(keyname, count):
    """The names the focus passes through, one key press at a time."""
    names = []
    for _ in range(count):
        n = len([ev for ev in events if ev[1] == "focus"])
        xdo("key", keyname)
        wait_for(lambda: len([ev for ev in events if ev[1] == "focus"]) > n, 2)
        names.append(focused())
    return names


def notifications():
    return [ev for ev in events if ev[1] == "notification"]


def last_question():
    for ev in reversed(events):
        if ev[1] == "name" and ev[2] != "notification" and ev[3].endswith("równa się"):
            return ev
    return None


def result(question):
    a, op, b = re.match(r"(\d+) (razy|podzielone na|dodać|odjąć) (\d+)", question).groups()
    a, b = int(a), int(b)
    return {"razy": a * b, "podzielone na": a // b, "dodać": a + b, "odjąć": a - b}[op]


def wait_for(cond, seconds):
    end = time.monotonic() + seconds
    ctx = GLib.MainContext.default()
    while time.monotonic() < end:
        while ctx.pending():
            ctx.iteration(False)
        if cond():
            return True
        time.sleep(0.01)
    return cond()


def check(cond, message):
    if not cond:
        failures.append(message)
        print("FAIL:", message, flush=True)


def spoken_with_question(prefix):
    """The newest notification starts with `prefix` and ends with the question
    now on screen, and came within 0.2 s of the question's change."""
    q = last_question()
    n = notifications()[-1] if notifications() else None
    check(q is not None and n is not None, "no question or no notification")
    if not q or not n:
        return
    check(n[3] == prefix + q[3], f"spoken {n[3]!r}, expected {prefix + q[3]!r}")
    check(abs(n[0] - q[0]) <= 0.2, f"spoken {n[0] - q[0]:.3f} s after the question appeared")


def results_window(app):
    """The results window by keyboard: Tab from the list reaches the tabs and
    the buttons; the fact table's cells are named; the chart reads as text;
    closed, the focus is back in the answer field."""
    tab_round("Tab", 4)  # to "Wyniki"
    check(focused() == "Wyniki", f"four Tabs reach {focused()!r}, not Wyniki")
    xdo("key", "space")
    check(wait_for(lambda: focused() not in ("Wyniki", None), 5), "the results window took no focus")
    time.sleep(0.5)
    order = tab_round("Tab", 7)
    print("Tab order of the results window:", order, flush=True)
    # The child's box is read by the child it shows.
    for name in ("Ćwiczenia", "Eksportuj CSV", "Pytania CSV", "Wszystkie dzieci", "Zamknij"):
        check(name in order, f"Tab never reaches {name!r} in the results window: {order}")
    # The fact table's tab, as a screen reader's user switches it.
    pages = pyatspi.findAllDescendants(app, lambda x: x.getRoleName() == "page tab" and x.name == "Tabliczka")
    check(len(pages) == 1, "no tab for the fact table")
    if pages:
        pages[0].queryAction().doAction(0)
    tables = []
    wait_for(lambda: tables.extend(pyatspi.findAllDescendants(
        app, lambda x: x.getRoleName() == "table" and x.name == "Tabela działań")) or tables, 5)
    check(len(tables) == 1, "no fact table on the bus")
    if tables:
        t = tables[0].queryTable()
        check((t.nRows, t.nColumns) == (7, 7), f"the fact table is {t.nRows} x {t.nColumns}")
        names = [t.getAccessibleAt(r, c).name for r in range(t.nRows) for c in range(t.nColumns)]
        asked = [n for n in names if re.match(r"^\d razy \d: \d+ z \d+ źle, średnio \d+,\d s", n)]
        print("A fact cell reads:", asked[0] if asked else names[:1], flush=True)
        check(len(asked) >= 3, f"the fact table's asked cells: {asked}")
        check(names[0] == "3 razy 3: jeszcze nie było" or names[0].startswith("3 razy 3:"), f"first cell {names[0]!r}")
    charts = pyatspi.findAllDescendants(app, lambda x: x.name == "Oceny w czasie")
    check(len(charts) == 1, "no chart on the bus")
    if charts:
        print("The chart reads:", charts[0].description, flush=True)
        check(re.search(r"mnożenie, losowe: 1 ćwiczenie, średnia ocena 5,0", charts[0].description or ""),
              f"the chart's text: {charts[0].description!r}")
    xdo("key", "Escape")
    check(wait_for(lambda: focused() == "Odpowiedź", 5), f"after the results window the focus is on {focused()!r}")


def main():
    # Runs the listener's main loop in small steps from wait_for.
    check(wait_for(lambda: window() is not None, 10), "the window did not appear")
    desktop = pyatspi.Registry.getDesktop(0)
    app = None
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name in ("zoltava-mnozenia", "Zoltava mnożenia"):
            app = a
    check(app is not None, "the program is not on the AT-SPI bus")
    if app is not None:
        buttons = pyatspi.findAllDescendants(app, lambda x: x.getRoleName() == "push button" and x.name in ("Start", "Stop"))
        check(len(buttons) == 1, "START/STOP is not one push button")
        if buttons:
            actions = buttons[0].queryAction()
            names = [actions.getName(i) for i in range(actions.nActions)]
            check(len(names) == 1 and names[0].lower() in ("press", "click"), f"START/STOP actions: {names}")
        shadows = pyatspi.findAllDescendants(app, lambda x: x.name.startswith("Numer pytania"))
        check(len(shadows) == 1, f"the question number is exposed {len(shadows)} times")
    check(wait_for(lambda: any("naciśnij spację" in n[3] for n in notifications()), 5), "not told how to start")

    # Tab goes round the idle window's buttons and back to the answer field;
    # Shift+Tab the other way.
    w = window()
    if w:
        xdo("windowactivate", "--sync", w)
    order = tab_round("Tab", 6)
    print("Tab order of the main window:", order, flush=True)
    check(order == ["Zamknij", "Ustawienia", "O programie", "Wyniki", "Kto ćwiczy: Dziecko 1", "Odpowiedź"],
          f"Tab order of the main window: {order}")
    back = tab_round("shift+Tab", 6)
    check(back == ["Kto ćwiczy: Dziecko 1", "Wyniki", "O programie", "Ustawienia", "Zamknij", "Odpowiedź"],
          f"Shift+Tab order of the main window: {back}")

    key("space")
    check(wait_for(lambda: notifications() and notifications()[-1][3].startswith("Start. "), 2), "START not spoken")
    spoken_with_question("Start. ")
    q = last_question()[3]
    # A wrong answer: after the reading, the correct result, then the next
    # question. The pointer crosses the window before and during the reading.
    time.sleep(0.2)
    cross_window()
    for k in ("1", "Return"):
        key(k)
    cross_window()
    wrong = f"Źle. Wynik: {result(q)}. "
    check(wait_for(lambda: notifications()[-1][3].startswith(wrong), 10), "the mistake and its result not spoken")
    spoken_with_question(wrong)
    # The rest right.
    while True:
        q = last_question()[3]
        cross_window()
        time.sleep(0.15)
        count = len(notifications())
        for k in list(str(result(q))) + ["Return"]:
            key(k)
        if not wait_for(lambda: len(notifications()) > count, 3):
            check(False, "no notification after a right answer")
            break
        text = notifications()[-1][3]
        if "Koniec" in text:
            check(text == "Dobrze. Koniec. Ocena: 5. Dobre odpowiedzi: 9, złe: 1.", f"the grade spoken as {text!r}")
            break
        spoken_with_question("Dobrze. ")
    start = keys_seen.index("space") if "space" in keys_seen else 0
    check(keys_seen[start:start + 3] == ["space", "1", "Return"], f"the listener saw the keys {keys_seen[:20]}")
    if app is not None:
        grade = pyatspi.findAllDescendants(app, lambda x: x.getRoleName() == "label" and x.name.startswith("Otrzymana"))
        check([g.name for g in grade] == ["Otrzymana ocena: 5"], f"the grade obtained: {[g.name for g in grade]}")
        results_window(app)
    # Who practises: the button in the menu strip opens the picker, whose
    # list a screen reader reads; a child added and chosen by keyboard is
    # announced.
    if app is not None:
        kto = pyatspi.findAllDescendants(app, lambda x: x.getRoleName() == "push button" and x.name.startswith("Kto ćwiczy"))
        check(len(kto) == 1, "no button for who practises")
        if kto:
            actions = kto[0].queryAction()
            actions.doAction(0)
            def items():
                return [x.name for x in pyatspi.findAllDescendants(app, lambda x: x.getRoleName() == "list item")]
            check(wait_for(lambda: items() == ["Dziecko 1"], 5), f"the picker's items: {items()}")
            # Into the picker, which has the focus.
            time.sleep(0.5)
            for k in ("Tab", "O", "l", "a", "Return", "Return"):
                xdo("key", k)
                xdo("keyup", k)
                time.sleep(0.1)
            check(wait_for(lambda: any(n[3] == "Ćwiczy: Ola." for n in notifications()), 5),
                  f"the chosen child not announced: {[n[3] for n in notifications()[-3:]]}")
            check(wait_for(lambda: focused() == "Odpowiedź", 3), f"after the picker the focus is on {focused()!r}")
    proc.terminate()
    proc.wait(5)
    print("screen reader check:", "passed" if not failures else f"{len(failures)} failures", flush=True)
    return 1 if failures else 0


sys.exit(main())
