#!/usr/bin/python3
# Prints what a screen reader reads of the running skimplane: one line per object of its accessibility
# tree, "role|name|description", windows first. Waits up to 20 s for the program to appear on the bus.
import sys
import time

import pyatspi


def walk(accessible, lines):
    try:
        lines.append(f"{accessible.getRoleName()}|{accessible.name}|{accessible.description}")
        for i in range(accessible.childCount):
            child = accessible.getChildAtIndex(i)
            if child is not None:
                walk(child, lines)
    except Exception:  # an object that went away while it was read
        pass


def main():
    wanted = int(sys.argv[1]) if len(sys.argv) > 1 else 1  # how many top-level windows to wait for
    apps = []
    for _ in range(200):
        desktop = pyatspi.Registry.getDesktop(0)
        apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
        apps = [a for a in apps if a is not None and a.name.lower() == "skimplane"]
        if apps and sum(a.childCount for a in apps) >= wanted:
            break
        time.sleep(0.1)
    lines = []
    for app in apps:
        for i in range(app.childCount):
            walk(app.getChildAtIndex(i), lines)
    print("\n".join(lines))


main()
