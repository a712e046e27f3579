#!/usr/bin/python3
"""The wizard read through the desktop's accessibility bus, as a screen reader reads it.

Starts a desktop of its own (Xvfb, a session bus, the AT-SPI bus launcher and registry,
openbox) and walks the serial, USB and Ethernet roads against the simulators with keys alone
(synthesized through AT-SPI), Welcome to the finished page. On every page and sheet it checks
through libatspi:
no control of another page is showing or focusable; every control has a role and a name; Tab
and Shift+Tab cycle over the page and the shell's buttons only. On the way: the licence's
Toggle action enables Next, and the COM port search's result reaches the bus. Each failure is
printed with the tree of its page; a desktop or bus that cannot start is a failure too.

    tests/desktop/accessibility_bus_test.py [ROAD...]    (VORMATIC_BUILD_DIR: the build)
"""
import os, shutil, signal, subprocess, sys, tempfile, time, warnings
from itertools import islice

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ.get("VORMATIC_BUILD_DIR", os.path.join(HERE, "../../build"))
SOURCE = os.environ.get("VORMATIC_SOURCE_DIR", os.path.join(HERE, "../.."))
TOOLS = os.path.join(BUILD, "tools")
warnings.simplefilter("ignore", DeprecationWarning)  # libatspi 2.46 names its actions the old way


class Failure(Exception):
    pass


# Each road, step by step: the page (and, on the USB and Ethernet pages, the sheet), what the
# user does there, and what ends the wait for what follows: a change that then holds still
# (by default), the same for 1.5 s ("quiet", while the USB page moves on by itself), Next
# enabled ("next"), or the window gone ("closed"). Actions: a key; PICK(role, name) moves the
# focus to the control with Tab (and the arrows among radio buttons, which choose) and
# presses Space unless it is checked; ACCEPT chooses the licence's first choice with Up and
# Space; TOGGLE does so through its AT-SPI action; FIND presses Find and waits for the
# result to be announced.
TOGGLE, FIND, ACCEPT, ENTER = "toggle", "find", "accept", "Return"
NEXT = ("push button", "Next")
KEYSYMS = {"Tab": 0xFF09, "shift+Tab": 0xFE20, "Return": 0xFF0D, "space": 0x20, "Up": 0xFF52,
           "Down": 0xFF54}
ROADS = {
    "serial": [
        ("welcome", [ENTER]),
        ("licence", [TOGGLE, ENTER]),
        ("connection", [ENTER]),
        ("serial", [ENTER]),
        ("port", [FIND, NEXT]),  # Enter would press the focused Find again, as on Windows
        ("producer", [ENTER]),
        ("finished", [ENTER], "closed"),
    ],
    "usb": [
        ("welcome", [ENTER]),
        ("licence", [ACCEPT, ENTER]),
        ("connection", [("radio button", "USB"), ENTER]),
        ("usb/install", [ENTER], "quiet"),
        ("usb/plugged", [ENTER]),
        ("port", [FIND, NEXT]),
        ("producer", [ENTER]),
        ("finished", [ENTER], "closed"),
    ],
    "ethernet": [
        ("welcome", [ENTER]),
        ("licence", [ACCEPT, ENTER]),
        ("connection", [("radio button", "Ethernet"), ENTER]),
        ("ethernet/intro1", [ENTER]),
        ("ethernet/intro2", [("radio button", "DHCP"), ENTER], "next"),
        ("ethernet/printers found", [ENTER], "next"),
        ("ethernet/configured", [ENTER]),
        ("ethernet/redirector", [ENTER]),
        ("ethernet/installing", [ENTER]),
        ("ethernet/manager", [ENTER]),
        ("ethernet/port made", [ENTER]),
        ("port", [ENTER]),  # the hand-over chose the port; without a search the model page asks
        ("model", [("radio button", ""), ENTER]),
        ("producer", [ENTER]),
        ("finished", [ENTER], "closed"),
    ],
}
NAMED_ROLES = {"push button", "radio button", "check box", "list", "list box", "table",
               "tree table", "text", "entry", "password text", "progress bar", "page tab",
               "combo box", "spin button", "unknown"}


class Desktop:
    """Xvfb, a session bus, the accessibility bus and registry, openbox; ended by pid."""

    def __init__(self, root):
        self.procs, self.root = [], root
        self.env = dict(os.environ, XDG_RUNTIME_DIR=root, HOME=root)
        for tool in ("Xvfb", "dbus-daemon", "openbox", "xdotool", "gdbus"):
            if not shutil.which(tool):
                raise Failure(f"{tool} is missing: run scripts/install-deps.sh")
        self.env["DISPLAY"] = ":" + self.start_reporting(
            ["Xvfb", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-displayfd", "{fd}"],
            "Xvfb")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start_reporting(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], "the session bus")
        launcher = "/usr/libexec/at-spi-bus-launcher"
        if not os.access(launcher, os.X_OK):
            raise Failure(f"{launcher} is missing (at-spi2-core): run scripts/install-deps.sh")
        self.start([launcher, "--launch-immediately"])
        self.start(["openbox", "--sm-disable"])
        ask = ["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
               "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner",
               "org.a11y.Bus"]
        for _ in range(100):
            if "true" in subprocess.run(ask, env=self.env, capture_output=True, text=True).stdout:
                break
            time.sleep(0.1)
        else:
            raise Failure("the accessibility bus did not start: nobody owns org.a11y.Bus")
        os.environ.update(DISPLAY=self.env["DISPLAY"],
                          DBUS_SESSION_BUS_ADDRESS=self.env["DBUS_SESSION_BUS_ADDRESS"])

    def start(self, argv, **kw):
        log = open(os.path.join(self.root, os.path.basename(argv[0]) + ".log"), "ab")
        kw.setdefault("stdout", subprocess.DEVNULL)
        self.procs.append(subprocess.Popen(argv, env=kw.pop("env", self.env), stderr=log, **kw))
        return self.procs[-1]

    def start_reporting(self, argv, what):
        """Starts a server that writes its address on the pipe `{fd}` stands for, and reads it."""
        rfd, wfd = os.pipe()
        self.start([a.format(fd=wfd) for a in argv], pass_fds=(wfd,))
        os.close(wfd)
        data, end = b"", time.time() + 15
        os.set_blocking(rfd, False)
        while b"\n" not in data and time.time() < end:
            try:
                chunk = os.read(rfd, 256)
                if not chunk:
                    break
                data += chunk
            except BlockingIOError:
                time.sleep(0.05)
        os.close(rfd)
        if b"\n" not in data:
            with open(os.path.join(self.root, os.path.basename(argv[0]) + ".log"), "rb") as log:
                raise Failure(f"{what} did not start: {log.read()[-400:].decode(errors='replace')}")
        return data.split(b"\n")[0].decode()

    def stop(self):
        # The processes started, their children (the accessibility bus and registry, the
        # installers' helpers) and any that still carries this run's folder in its environment.
        pids = {p.pid for p in self.procs}
        for pid in pids | descendants(pids) | marked(self.root):
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for p in self.procs:
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        for pid in marked(self.root):
            os.kill(pid, signal.SIGKILL)


def proc_table():
    table = {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{entry}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            table[int(entry)] = (int(fields[1]), fields[0])
        except (OSError, IndexError):
            pass
    return table


def descendants(pids):
    table, found, grew = proc_table(), set(), True
    while grew:
        more = {pid for pid, (ppid, _) in table.items() if ppid in pids | found} - found
        found, grew = found | more, bool(more)
    return found


def marked(root):
    """The live processes whose environment names this run's folder."""
    found = set()
    for pid, (_, state) in proc_table().items():
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if pid != os.getpid() and state != "Z" and root.encode() in f.read():
                    found.add(pid)
        except OSError:
            pass
    return found


class Bus:
    """The accessibility tree and its events, as a screen reader receives them."""

    def __init__(self):
        try:
            import gi
            gi.require_version("Atspi", "2.0")
            from gi.repository import Atspi, GLib
        except (ImportError, ValueError) as e:
            raise Failure(f"libatspi for Python is missing ({e}): run scripts/install-deps.sh")
        self.Atspi, self.context = Atspi, GLib.MainContext.default()
        if Atspi.init() not in (0, 1):
            raise Failure("the accessibility bus cannot be reached")
        self.events, self.focus = [], None
        self.listener = Atspi.EventListener.new(self.on_event)
        for kind in ("object:state-changed:focused", "object:property-change:accessible-name",
                     "object:property-change:accessible-value", "object:text-changed:insert",
                     "object:value-changed", "object:announcement"):
            self.listener.register(kind)

    def on_event(self, event):
        self.events.append((event.type, event.source))
        if event.type.startswith("object:state-changed:focused") and event.detail1:
            self.focus = event.source

    def pump(self, seconds=0.0):
        end = time.time() + seconds
        while True:
            while self.context.iteration(False):
                pass
            if time.time() >= end:
                return
            time.sleep(0.01)

    def app(self, pid):
        for _ in range(100):
            desktop = self.Atspi.get_desktop(0)
            for app in (desktop.get_child_at_index(i) for i in range(desktop.get_child_count())):
                if app is not None and app.get_process_id() == pid and app.get_child_count():
                    return app
            self.pump(0.2)
        raise Failure("the wizard is not on the accessibility bus (is Qt's AT-SPI bridge on?)")

    def has(self, acc, state):
        kind = getattr(self.Atspi.StateType, state)
        return acc is not None and acc.get_state_set().contains(kind)

    def children(self, acc):
        return [c for c in map(acc.get_child_at_index, range(acc.get_child_count())) if c]

    def walk(self, acc, keep=lambda child: True):
        """`acc` and its descendants, entering only the children that `keep` accepts."""
        yield acc
        for child in filter(keep, self.children(acc)):
            yield from self.walk(child, keep)

    def showing(self, acc):
        return self.has(acc, "SHOWING")

    def describe(self, acc):
        if acc is None:
            return "nothing"
        states = acc.get_state_set()
        states = [s.lower() for s in ("SHOWING", "FOCUSABLE", "FOCUSED", "ENABLED", "CHECKED")
                  if states.contains(getattr(self.Atspi.StateType, s))]
        return f"{acc.get_role_name()} {acc.get_name()!r} [{' '.join(states)}]"

    def dump(self, acc, depth=2):
        return ["  " * depth + self.describe(acc)] + [
            line for child in self.children(acc) for line in self.dump(child, depth + 1)]

    def reachable(self, acc):
        states = acc.get_state_set()
        return any(all(states.contains(getattr(self.Atspi.StateType, s)) for s in group)
                   for group in (["SHOWING"], ["VISIBLE", "FOCUSABLE", "ENABLED"]))

    def said(self, text):
        """An event since the last clear whose object's name or text holds `text`."""
        for _, source in self.events:
            try:
                words = source.get_name()
                if "Text" in source.get_interfaces():
                    words += source.get_text(0, -1)
                if text in words and source.get_role_name() != "list item":
                    return True
            except Exception:  # the object is gone
                pass
        return False


def key(acc):
    return (acc.app.bus_name if acc.app else "", acc.path) if acc is not None else None


class Road:
    """The wizard started from a demo CD of its own and walked along one road."""

    def __init__(self, name, desktop, bus, root):
        self.name, self.desktop, self.bus, self.failed, self.page = name, desktop, bus, 0, -1
        self.root, self.wizard, self.window = os.path.join(root, name), None, None
        cd = os.path.join(self.root, "cd")
        for d in ("cd", "registry", "config", "common", "data"):
            os.makedirs(f"{self.root}/{d}")
        env = self.env = dict(
            desktop.env, VORMATIC_REGISTRY_DIR=f"{self.root}/registry", VORMATIC_SERIAL_DEVICES="",
            XDG_CONFIG_HOME=f"{self.root}/config", XDG_CONFIG_DIRS=f"{self.root}/common",
            XDG_DATA_HOME=f"{self.root}/data", VORMATIC_DEMO_STATE_DIR=self.root,
            VORMATIC_DEMO_LOG=f"{self.root}/install.log", VORMATIC_DEMO_INSTALL_SECONDS="0",
            VORMATIC_DEMO_USB_PLUG_SECONDS="0", VORMATIC_CPR_OWNER_PID=str(os.getpid()),
            VORMATIC_DEMO_USB_PRINTER_IDENTITY="MZ4-B Vormatic Slide Printer v1.0",
            QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        subprocess.run(["bash", f"{SOURCE}/tools/make-demo-cd.sh", cd,
                        f"{BUILD}/vormatic-installer", TOOLS], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        self.port = "/dev/"
        if name == "serial":
            sim = desktop.start([f"{TOOLS}/vormatic-printer-sim", "--register"], env=env,
                                stdout=subprocess.PIPE)
            self.port = sim.stdout.readline().decode().strip() or "no simulator"
        elif name == "ethernet":  # a loopback subnet of this run's own
            net = f"127.{100 + os.getpid() % 100}.{1 + os.getpid() // 100 % 200}"
            udp = str(20000 + os.getpid() % 20000)
            env.update(VORMATIC_NETWORK_ADAPTERS=f"{net}.1/255.255.255.0",
                       VORMATIC_XPORT_PORT=udp, VORMATIC_XPORT_QUERY_ADDRESS=f"{net}.255",
                       VORMATIC_DEMO_CPR_ADD=f"{net}.120:10001")
            sim = desktop.start([f"{TOOLS}/vormatic-xport-sim", "--port", udp, "--restart-ms",
                                 "300", "--module", f"{net}.20,dhcp={net}.120"], env=env,
                                stdout=subprocess.PIPE)
            if not sim.stdout.readline().startswith(b"ready"):
                raise Failure("the XPort simulator did not start")
        self.wizard = desktop.start(["./vormatic-installer"], cwd=cd, env=env)
        app = bus.app(self.wizard.pid)
        self.window = self.wait(lambda: next(filter(bus.showing, bus.children(app)), None), 20,
                                "the wizard shows no window")
        self.wait(self.activate, 30, "the window does not become active")
        shell = [p for p in bus.children(self.window)
                 if any(c.get_role_name() == "push button" for c in bus.children(p))]
        if len(shell) != 1:
            raise Failure("no panel of the shell's buttons")
        self.shell = shell[0]

    def activate(self):
        """Asks the window manager to activate the window (keys go to the active window)."""
        subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.wizard.pid),
                        "--name", ".", "windowactivate"], env=self.desktop.env,
                       capture_output=True, timeout=20)
        self.bus.pump(1)
        return self.bus.has(self.window, "ACTIVE")

    def wait(self, condition, timeout, what):
        end = time.time() + timeout
        while time.time() < end:
            value = condition()
            if value:
                return value
            self.bus.pump(0.05)
        raise Failure(what)

    def pages(self):
        """The pages in the order they were made: the window's panels but the shell's."""
        return [p for p in self.bus.children(self.window)
                if p.get_child_count() and key(p) != key(self.shell)]

    def current(self):
        return self.pages()[self.page]

    def next_enabled(self):
        nexts = [b for b in self.bus.children(self.shell) if b.get_name() == NEXT[1]]
        return bool(nexts) and self.bus.has(nexts[0], "ENABLED")

    def signature(self):
        """What shows of the newest page and the shell (a covered page does not change)."""
        pages = self.pages()
        return [len(pages)] + [self.bus.describe(a) for part in (pages[-1], self.shell)
                               for a in self.bus.walk(part, self.bus.showing)]

    def settle(self, before, until):
        """Waits until the window has changed from `before`, meets `until` and holds still."""
        quiet, end, last, since = (1.5 if until == "quiet" else 0.4), time.time() + 45, None, 0
        while time.time() < end:
            self.bus.pump(0.1)
            sig = self.signature()
            if sig != last:
                last, since = sig, time.time()
            elif (sig != before and time.time() - since >= quiet
                  and (until != "next" or self.next_enabled())):
                return
        raise Failure("nothing changed after the keys" if last == before
                      else "the page does not settle")

    def fail(self, step, what, lines=()):
        self.failed += 1
        print(f"FAIL [{self.name}: {step}] {what}", *("    " + x for x in lines), sep="\n",
              flush=True)

    def press(self, key_name):
        """Presses a key as the keyboard does, through the accessibility bus's key synthesis."""
        atspi = self.bus.Atspi
        atspi.generate_keyboard_event(KEYSYMS[key_name], None, atspi.KeySynthType.SYM)

    def inside(self, acc, container):
        while acc is not None and key(acc) != key(self.window):
            if key(acc) == key(container):
                return True
            acc = acc.get_parent()
        return False

    def check_page(self, step):
        bus, page = self.bus, self.current()
        for i, other in enumerate(self.pages()):
            seen = list(islice((bus.describe(a) for c in bus.children(other) if i != self.page and
                                bus.reachable(c) for a in bus.walk(c, bus.reachable)), 8))
            if seen:
                self.fail(step, f"controls of an earlier page (#{i + 1}) can be reached", seen)
        stacks = [a for a in bus.walk(page, bus.showing) if a.get_role_name() == "layered pane"]
        for sheets in stacks:
            shown = [bus.describe(c) for c in bus.children(sheets)
                     if any(map(bus.reachable, bus.walk(c)))]
            if len(shown) > 1:
                self.fail(step, "more than one sheet of a stack can be reached", shown)
        silent = [bus.describe(a) for part in (page, self.shell)
                  for a in bus.walk(part, bus.showing) if a.get_role_name() in NAMED_ROLES
                  and (not a.get_name().strip() or a.get_role_name() == "unknown")]
        if silent:
            self.fail(step, "controls without a role or a name", silent)
        forward, backward = self.tab_cycle(step, "Tab"), self.tab_cycle(step, "shift+Tab")
        if forward and backward and not same_cycle(forward, backward[::-1]):
            self.fail(step, "Shift+Tab does not retrace Tab",
                      ["Tab: " + " > ".join(n for _, n in forward),
                       "Shift+Tab: " + " > ".join(n for _, n in backward)])

    def tab_cycle(self, step, keys):
        """The stops of `keys` pressed until the focus comes round; None after a failure."""
        stops = []
        for _ in range(40):
            before = key(self.bus.focus)
            self.press(keys)
            end = time.time() + 2
            while key(self.bus.focus) == before and time.time() < end:
                self.bus.pump(0.02)
            acc = self.bus.focus
            stop = (key(acc), self.bus.describe(acc))
            if not (self.inside(acc, self.current()) or self.inside(acc, self.shell)):
                self.fail(step, f"{keys} reaches a control off the page and the shell's buttons",
                          [s for _, s in stops + [stop]])
                return None
            if stop in stops:
                return stops[stops.index(stop):]
            stops.append(stop)
        self.fail(step, f"{keys} does not come round in 40 presses", [s for _, s in stops])
        return None

    def focus_to(self, role, name):
        """Tab, and the arrows inside a group of radio buttons, until the control has the focus."""
        def at(r, n=""):
            f = self.bus.focus
            return f is not None and f.get_role_name() == r and n in f.get_name()
        for _ in range(30):
            for arrow in ["Down"] * 6 if at(role) and role == "radio button" else []:
                if at(role, name):
                    break
                self.press(arrow)
                self.bus.pump(0.15)
            if at(role, name):
                return True
            self.press("Tab")
            self.bus.pump(0.15)
        raise Failure(f"no {role} {name!r} can be reached with the keyboard")

    def act(self, step, action):
        if action == TOGGLE:
            self.toggle(step)
        elif action == ACCEPT:
            self.focus_to("radio button", "")
            for k in ("Up", "space"):  # onto the first choice, and choose it
                self.press(k)
                self.bus.pump(0.1)
            self.wait(self.next_enabled, 5, "Up and Space on the licence's choices leave Next off")
        elif action == FIND:
            self.focus_to("push button", "Find")
            self.bus.events.clear()
            self.press("space")
            try:
                self.wait(lambda: self.bus.said(self.port), 60, "")
            except Failure:
                self.fail(step, "no name, value, text or focus event announces the search's result",
                          sorted({k for k, _ in self.bus.events}))
        elif isinstance(action, tuple):
            self.focus_to(*action)
            if not self.bus.has(self.bus.focus, "CHECKED"):
                self.press("space")
        else:
            self.press(action)
        self.bus.pump(0.2)

    def toggle(self, step):
        bus = self.bus
        choices = [a for a in bus.walk(self.current(), bus.showing)
                   if a.get_role_name() == "radio button" and not bus.has(a, "CHECKED")]
        action = bus.Atspi.Action
        names = [action.get_action_name(choices[0], i).lower()
                 for i in range(action.get_n_actions(choices[0]))] if len(choices) == 1 else []
        if "toggle" not in names:
            return self.fail(step, f"no single unchecked choice with a Toggle action ({names})")
        action.do_action(choices[0], names.index("toggle"))
        try:
            self.wait(lambda: bus.has(choices[0], "CHECKED") and self.next_enabled(), 5, "")
        except Failure:
            self.fail(step, "Toggle on the unchecked choice leaves it unchecked or Next disabled",
                      [bus.describe(choices[0])])
            self.act(step, ACCEPT)  # the walk goes on by keys

    def walk(self):
        previous = None
        for step, actions, *until in ROADS[self.name]:
            if previous is None or step.split("/")[0] != previous.split("/")[0]:
                self.page += 1
                self.wait(lambda: len(self.pages()) > self.page, 30,
                          f"{step}: the page does not come")
            self.bus.pump(0.3)
            failed, began = self.failed, time.time()
            self.check_page(step)
            before = self.signature()
            for action in actions:
                self.act(step, action)
            if self.failed > failed:
                print(f"  the tree of [{self.name}: {step}]:", *self.bus.dump(self.window),
                      sep="\n")
            if until == ["closed"]:
                try:
                    code = self.wizard.wait(15)
                except subprocess.TimeoutExpired:
                    raise Failure("Enter on the finished page does not close the wizard")
                if code != 0:
                    raise Failure(f"the wizard ended with {code}")
            else:
                try:
                    self.settle(before, until[0] if until else "")
                except Failure as e:
                    raise Failure(f"{step}: {e}")
            print(f"[{self.name}: {step}] {time.time() - began:.1f} s", flush=True)
            previous = step

    def end(self):
        if self.wizard and self.wizard.poll() is None:
            self.wizard.kill()
            self.wizard.wait()
        if self.name == "ethernet":
            subprocess.run([f"{TOOLS}/vormatic-cpr-manager", "--remove-all"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def same_cycle(a, b):
    keys, other = [k for k, _ in a], [k for k, _ in b]
    return len(keys) == len(other) and any(other[i:] + other[:i] == keys for i in range(len(other)))


def main():
    root, desktop, failed = tempfile.mkdtemp(prefix="vormatic-a11y-"), None, 0
    try:
        desktop = Desktop(root)
        bus = Bus()
        for name in sys.argv[1:] or ROADS:
            road = None
            try:
                road = Road(name, desktop, bus, root)
                road.walk()
            except Failure as e:
                print(f"FAIL [{name}] {e}", flush=True)
                if road and road.window:
                    print(f"  the tree of [{name}]:", *bus.dump(road.window), sep="\n")
                failed += 1
            finally:
                failed += road.failed if road else 0
                if road:
                    road.end()
    except Failure as e:
        print(f"FAIL {e}")
        failed += 1
    finally:
        if desktop:
            desktop.stop()
        shutil.rmtree(root, ignore_errors=True)
    print(f"{failed} failures" if failed else "every check passed on every road")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
