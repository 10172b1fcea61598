#!/usr/bin/env python3
"""Writes app/StartOrder.ld: the program's functions that a start runs, laid
out together by the linker.

A start maps every page of the program's code within reach of one it runs
(the kernel maps pages around each fault), so functions the start needs,
spread among the rest, brought in most of the program. This runs the built
program under callgrind on a private Xvfb, twice (a new home, then the same
home again, as at every later start), 25 s each (idle well before that),
and lists every function of the program that ran, under each of its names.

Usage: tools/start_order.py <build>/zoltava-mnozenia [app/StartOrder.ld]
Needs valgrind, Xvfb and binutils' nm. Run it again after larger changes to
what the start does; a stale list costs memory, never correctness.
"""

import bisect
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

TEKST_FUNKCJI = set("tTwWi")  # nm's kinds of code symbols


def ekran_xvfb():
    """A private Xvfb; returns (process, display)."""
    odczyt, zapis = os.pipe()
    proces = subprocess.Popen(
        ["Xvfb", "-displayfd", str(zapis), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(zapis,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(zapis)
    bufor = b""
    while b"\n" not in bufor:
        gotowe, _, _ = select.select([odczyt], [], [], 30)
        if not gotowe:
            proces.kill()
            sys.exit("Xvfb did not start")
        kawalek = os.read(odczyt, 64)
        if not kawalek:
            sys.exit("Xvfb did not start")
        bufor += kawalek
    os.close(odczyt)
    return proces, ":" + bufor.split(b"\n")[0].decode()


def przebieg(program, dom, ekran, wynik, sekundy):
    """One start under callgrind, ended by SIGTERM once it has idled."""
    srodowisko = {k: v for k, v in os.environ.items()
                  if k not in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER")}
    srodowisko.update({
        "HOME": dom, "DISPLAY": ekran, "QT_QPA_PLATFORM": "xcb", "SDL_AUDIODRIVER": "dummy",
        "XDG_RUNTIME_DIR": os.path.join(dom, "runtime"),
    })
    for z in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"):
        srodowisko[z] = os.path.join(dom, z)
    os.makedirs(srodowisko["XDG_RUNTIME_DIR"], mode=0o700, exist_ok=True)
    proces = subprocess.Popen(
        ["valgrind", "--tool=callgrind", "--dump-instr=yes", "--compress-pos=no",
         "--compress-strings=no", "--callgrind-out-file=" + wynik, program],
        env=srodowisko, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Where valgrind loaded the program: the code of a section other than
    # .text is "???" to callgrind, at its address in the process.
    # (A position-independent program: its first segment is at 0.)
    zakres = None
    koniec = time.monotonic() + sekundy
    while time.monotonic() < koniec:
        time.sleep(0.5)
        try:
            with open("/proc/%d/maps" % proces.pid) as f:
                mapy = [linia.split(maxsplit=5) for linia in f]
        except OSError:
            continue
        nasze = [tuple(int(x, 16) for x in m[0].split("-")) for m in mapy
                 if len(m) == 6 and m[5].rstrip("\n") == program]
        if nasze:
            zakres = (min(a for a, _ in nasze), max(b for _, b in nasze))
    proces.send_signal(signal.SIGTERM)
    try:
        proces.wait(60)
    except subprocess.TimeoutExpired:
        proces.kill()
        sys.exit("the program did not end on SIGTERM")
    if zakres is None:
        sys.exit("valgrind did not load the program")
    return zakres


def adresy(plik, program, zakres):
    """Addresses (in the file's layout) of the instructions the program
    itself ran: as callgrind gives them for the program's .text, and less
    the load address for its code it cannot name ("???")."""
    wynik, obiekt = set(), None
    baza, koniec = zakres
    with open(plik, encoding="utf-8", errors="replace") as f:
        for linia in f:
            if linia.startswith("ob="):
                nazwa = linia[3:].rstrip("\n")
                obiekt = "nasz" if nazwa == program else "???" if nazwa == "???" else None
            elif obiekt and linia.startswith("0x"):
                a = int(linia.split()[0], 16)
                if obiekt == "nasz":
                    wynik.add(a)
                elif baza <= a < koniec:
                    wynik.add(a - baza)
    return wynik


def symbole(program):
    """Start address -> (size, names), for the program's functions."""
    wynik = {}
    nm = subprocess.run(["nm", "-S", "--defined-only", program], capture_output=True, text=True, check=True)
    for linia in nm.stdout.splitlines():
        czesci = linia.split()
        if len(czesci) != 4 or czesci[2] not in TEKST_FUNKCJI:
            continue
        poczatek, rozmiar = int(czesci[0], 16), int(czesci[1], 16)
        if rozmiar == 0:
            continue
        stary = wynik.setdefault(poczatek, [rozmiar, set()])
        stary[0] = max(stary[0], rozmiar)
        stary[1].add(czesci[3])
    return wynik


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    program = os.path.realpath(sys.argv[1])
    for narzedzie in ("valgrind", "Xvfb", "nm"):
        if not shutil.which(narzedzie):
            sys.exit("%s is needed (apt-get install valgrind xvfb binutils)" % narzedzie)
    if not os.access(program, os.X_OK):
        sys.exit("no program at " + program)
    with open(program, "rb") as f:
        if f.read(18)[16:18] != b"\x03\x00":  # ET_DYN
            sys.exit("the program is not position-independent")
    cel = sys.argv[2] if len(sys.argv) == 3 else os.path.normpath(os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "app", "StartOrder.ld"))
    xvfb, ekran = ekran_xvfb()
    wykonane = set()
    try:
        with tempfile.TemporaryDirectory() as tmp:
            dom = os.path.join(tmp, "dom")
            for i in range(2):  # a new home, then the same one again
                wynik = os.path.join(tmp, "callgrind.%d" % i)
                zakres = przebieg(program, dom, ekran, wynik, 25)
                wykonane |= adresy(wynik, program, zakres)
    finally:
        xvfb.terminate()
        xvfb.wait()
    funkcje = symbole(program)
    poczatki = sorted(funkcje)
    nazwy, trafione, ile = set(), 0, set()
    for a in wykonane:
        k = bisect.bisect_right(poczatki, a) - 1
        if k >= 0 and a < poczatki[k] + funkcje[poczatki[k]][0]:
            trafione += 1
            ile.add(k)
            nazwy |= funkcje[poczatki[k]][1]
    if not wykonane or trafione < len(wykonane) // 2:
        sys.exit("callgrind's addresses do not match the program's functions (%d of %d)" % (trafione, len(wykonane)))
    if "_ZN10TQRVButton10paintEventEP11QPaintEvent" not in nazwy:
        sys.exit("the start did not reach its first frame under callgrind in 25 s")
    # The C runtime's start code, in plain .text of its own objects.
    linie = ["    *crt1.o(.text) *crti.o(.text) *crtbegin*.o(.text) *crtend*.o(.text) *crtn.o(.text)"]
    for n in sorted(nazwy):
        if not re.fullmatch(r"[A-Za-z0-9_.$]+", n):
            continue
        linie.append("    *(.text.%s .text.startup.%s)" % (n, n))
    with open(cel, "w", encoding="utf-8") as f:
        f.write("/* The program's functions that a start runs, laid out together so that\n"
                "   a start maps few of the program's pages. Written by\n"
                "   tools/start_order.py; a name no longer in the program matches nothing. */\n"
                "SECTIONS\n{\n  .text.start :\n  {\n")
        f.write("\n".join(linie) + "\n")
        f.write("  }\n}\nINSERT BEFORE .text;\n")
    print("%d functions, %d names: %s" % (len(ile), len(linie) - 1, cel))


if __name__ == "__main__":
    main()
