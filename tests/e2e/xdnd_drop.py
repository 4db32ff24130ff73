#!/usr/bin/python3
"""Drops files (or text) onto an X window as a file manager does, through the XDND protocol.

    xdnd_drop.py WINDOW X Y PATH...        drops PATHs as text/uri-list
    xdnd_drop.py --text WINDOW X Y TEXT    drops TEXT as dragged text, no files

X and Y are relative to WINDOW's top-left corner. Exits 0 once the target reports the drop
finished, 1 when it refused the drop or did not answer in time.
"""
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

XDND_VERSION = 5
TIMEOUT_S = 10


def uri_list(paths):
    # Every byte outside the unreserved set is %-encoded: blanks, %, & and non-ASCII arrive whole.
    return "".join("file://" + urllib.parse.quote(p, safe="/") + "\r\n" for p in paths).encode()


def main(argv):
    as_text = argv[:1] == ["--text"]
    args = argv[1:] if as_text else argv
    if len(args) < 4:
        sys.exit(__doc__)
    target_id, x, y, items = int(args[0], 0), int(args[1]), int(args[2]), args[3:]
    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    if as_text:
        payload = {atom(t): items[0].encode() for t in ("text/plain;charset=utf-8", "UTF8_STRING")}
    else:
        payload = {atom("text/uri-list"): uri_list(items)}
    types = list(payload)

    root = d.screen().root
    target = d.create_resource_object("window", target_id)
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    at = root.translate_coords(target, x, y)

    def send(name, *data):
        words = [source.id] + list(data) + [0] * (4 - len(data))
        ev = event.ClientMessage(window=target, client_type=atom(name), data=(32, words))
        target.send_event(ev)
        d.flush()

    def answer(req):
        # Wine reads the data as soon as the drag enters: serve every request at once.
        prop = req.property or req.target
        if req.target == atom("TARGETS"):
            req.requestor.change_property(prop, Xatom.ATOM, 32, types + [atom("TARGETS")])
        elif req.target in payload:
            req.requestor.change_property(prop, req.target, 8, payload[req.target])
        else:
            prop = X.NONE
        reply = event.SelectionNotify(time=req.time, requestor=req.requestor,
                                      selection=req.selection, target=req.target, property=prop)
        req.requestor.send_event(reply)
        d.flush()

    def wait_for(name):
        until = time.monotonic() + TIMEOUT_S
        while time.monotonic() < until:
            while d.pending_events():
                ev = d.next_event()
                if ev.type == X.SelectionRequest:
                    answer(ev)
                elif ev.type == X.ClientMessage and ev.client_type == atom(name):
                    return ev.data[1]
            time.sleep(0.005)
        sys.exit(f"xdnd_drop: no {name} from window {target_id:#x}")

    send("XdndEnter", XDND_VERSION << 24, *types[:3])
    send("XdndPosition", 0, (at.x << 16) | at.y, X.CurrentTime, atom("XdndActionCopy"))
    accepted = wait_for("XdndStatus")[1] & 1
    if not accepted:
        send("XdndLeave")
        sys.exit("xdnd_drop: the target refused the drop")
    send("XdndDrop", 0, X.CurrentTime)
    wait_for("XdndFinished")


if __name__ == "__main__":
    main(sys.argv[1:])
