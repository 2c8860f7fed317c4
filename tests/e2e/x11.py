"""Just enough of Xlib and XTest, through ctypes, to look at and drive a client."""

import ctypes
import select
import time

from ctypes import (CFUNCTYPE, POINTER, Structure, Union, byref, c_char_p, c_int, c_long,
                    c_ubyte, c_uint, c_ulong, c_void_p)

_xlib = ctypes.CDLL("libX11.so.6")
_xtst = ctypes.CDLL("libXtst.so.6")

Window = c_ulong
Atom = c_ulong

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
IS_VIEWABLE = 2
CLIENT_MESSAGE = 33
SELECTION_REQUEST, SELECTION_NOTIFY = 30, 31
MAP_NOTIFY = 19
UNMAP_NOTIFY = 18
DESTROY_NOTIFY = 17
Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
REVERT_TO_POINTER_ROOT = 1
SHIFT = "Shift_L"
CW_OVERRIDE_REDIRECT = 1 << 9


class _WindowAttributes(Structure):
    _fields_ = [("x", c_int), ("y", c_int), ("width", c_int), ("height", c_int),
                ("border_width", c_int), ("depth", c_int), ("visual", c_void_p),
                ("root", Window), ("c_class", c_int), ("bit_gravity", c_int),
                ("win_gravity", c_int), ("backing_store", c_int), ("backing_planes", c_ulong),
                ("backing_pixel", c_ulong), ("save_under", c_int), ("colormap", c_ulong),
                ("map_installed", c_int), ("map_state", c_int), ("all_event_masks", c_long),
                ("your_event_mask", c_long), ("do_not_propagate_mask", c_long),
                ("override_redirect", c_int), ("screen", c_void_p)]


class _SetWindowAttributes(Structure):
    _fields_ = [("background_pixmap", c_ulong), ("background_pixel", c_ulong),
                ("border_pixmap", c_ulong), ("border_pixel", c_ulong), ("bit_gravity", c_int),
                ("win_gravity", c_int), ("backing_store", c_int), ("backing_planes", c_ulong),
                ("backing_pixel", c_ulong), ("save_under", c_int), ("event_mask", c_long),
                ("do_not_propagate_mask", c_long), ("override_redirect", c_int),
                ("colormap", c_ulong), ("cursor", c_ulong)]


class _AnyEvent(Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("event", Window), ("window", Window)]


class _ClientMessage(Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", Window), ("message_type", Atom),
                ("format", c_int), ("data", c_long * 5)]


class _Event(Union):
    _fields_ = [("type", c_int), ("any", _AnyEvent), ("client", _ClientMessage),
                ("pad", c_long * 24)]


_ErrorHandler = CFUNCTYPE(c_int, c_void_p, c_void_p)


def _declare(name, restype, *argtypes, lib=_xlib):
    function = getattr(lib, name)
    function.restype = restype
    function.argtypes = argtypes
    return function


XOpenDisplay = _declare("XOpenDisplay", c_void_p, c_char_p)
XCloseDisplay = _declare("XCloseDisplay", c_int, c_void_p)
XDefaultRootWindow = _declare("XDefaultRootWindow", Window, c_void_p)
XConnectionNumber = _declare("XConnectionNumber", c_int, c_void_p)
XInternAtom = _declare("XInternAtom", Atom, c_void_p, c_char_p, c_int)
XSelectInput = _declare("XSelectInput", c_int, c_void_p, Window, c_long)
XPending = _declare("XPending", c_int, c_void_p)
XNextEvent = _declare("XNextEvent", c_int, c_void_p, POINTER(_Event))
XSync = _declare("XSync", c_int, c_void_p, c_int)
XFlush = _declare("XFlush", c_int, c_void_p)
XFree = _declare("XFree", c_int, c_void_p)
XQueryTree = _declare("XQueryTree", c_int, c_void_p, Window, POINTER(Window), POINTER(Window),
                      POINTER(POINTER(Window)), POINTER(c_uint))
XGetWindowAttributes = _declare("XGetWindowAttributes", c_int, c_void_p, Window,
                                POINTER(_WindowAttributes))
XGetWindowProperty = _declare("XGetWindowProperty", c_int, c_void_p, Window, Atom, c_long,
                              c_long, c_int, Atom, POINTER(Atom), POINTER(c_int),
                              POINTER(c_ulong), POINTER(c_ulong), POINTER(c_void_p))
XSendEvent = _declare("XSendEvent", c_int, c_void_p, Window, c_int, c_long, POINTER(_Event))
XSetSelectionOwner = _declare("XSetSelectionOwner", c_int, c_void_p, Atom, Window, c_ulong)
XGetSelectionOwner = _declare("XGetSelectionOwner", Window, c_void_p, Atom)
XSetInputFocus = _declare("XSetInputFocus", c_int, c_void_p, Window, c_int, c_ulong)
XGetInputFocus = _declare("XGetInputFocus", c_int, c_void_p, POINTER(Window), POINTER(c_int))
XGetImage = _declare("XGetImage", c_void_p, c_void_p, Window, c_int, c_int, c_uint, c_uint,
                     c_ulong, c_int)
XGetPixel = _declare("XGetPixel", c_ulong, c_void_p, c_int, c_int)
XDestroyImage = _declare("XDestroyImage", c_int, c_void_p)
XStringToKeysym = _declare("XStringToKeysym", c_ulong, c_char_p)
XKeysymToKeycode = _declare("XKeysymToKeycode", c_ubyte, c_void_p, c_ulong)
XKeycodeToKeysym = _declare("XKeycodeToKeysym", c_ulong, c_void_p, c_ubyte, c_int)
XSetErrorHandler = _declare("XSetErrorHandler", c_void_p, _ErrorHandler)
XGrabPointer = _declare("XGrabPointer", c_int, c_void_p, Window, c_int, c_uint, c_int, c_int,
                        Window, c_ulong, c_ulong)
XUngrabPointer = _declare("XUngrabPointer", c_int, c_void_p, c_ulong)
XGrabKeyboard = _declare("XGrabKeyboard", c_int, c_void_p, Window, c_int, c_int, c_int, c_ulong)
XUngrabKeyboard = _declare("XUngrabKeyboard", c_int, c_void_p, c_ulong)
XCreateSimpleWindow = _declare("XCreateSimpleWindow", Window, c_void_p, Window, c_int, c_int,
                                c_uint, c_uint, c_uint, c_ulong, c_ulong)
XMapWindow = _declare("XMapWindow", c_int, c_void_p, Window)
XUnmapWindow = _declare("XUnmapWindow", c_int, c_void_p, Window)
XDestroyWindow = _declare("XDestroyWindow", c_int, c_void_p, Window)
XRaiseWindow = _declare("XRaiseWindow", c_int, c_void_p, Window)
XMoveWindow = _declare("XMoveWindow", c_int, c_void_p, Window, c_int, c_int)
XChangeWindowAttributes = _declare("XChangeWindowAttributes", c_int, c_void_p, Window, c_ulong,
                                   POINTER(_SetWindowAttributes))
XTestFakeKeyEvent = _declare("XTestFakeKeyEvent", c_int, c_void_p, c_uint, c_int, c_ulong,
                             lib=_xtst)
XTestFakeMotionEvent = _declare("XTestFakeMotionEvent", c_int, c_void_p, c_int, c_int, c_int,
                                c_ulong, lib=_xtst)
XTestFakeButtonEvent = _declare("XTestFakeButtonEvent", c_int, c_void_p, c_uint, c_int,
                                c_ulong, lib=_xtst)

# A window can vanish between two requests; Xlib's default handler would end this process.
_errors = []
_on_error = _ErrorHandler(lambda display, event: _errors.append(1) or 0)
XSetErrorHandler(_on_error)

_CHARACTER_KEYSYMS = {" ": "space", "#": "numbersign", "\t": "Tab", "\n": "Return"}


class Display:
    """One connection to an X server, watching the top-level windows come and go."""

    def __init__(self, name):
        self._dpy = XOpenDisplay(name.encode())
        if not self._dpy:
            raise RuntimeError(f"cannot open display {name}")
        self.root = XDefaultRootWindow(self._dpy)
        self._atoms = {}
        self.maps = []  # (monotonic time, window) of every top-level window mapped
        XSelectInput(self._dpy, self.root, SUBSTRUCTURE_NOTIFY_MASK)
        XSync(self._dpy, 0)

    def close(self):
        if self._dpy:
            XCloseDisplay(self._dpy)
            self._dpy = None

    def atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = XInternAtom(self._dpy, name.encode(), 0)
        return self._atoms[name]

    def _checked(self, call):
        del _errors[:]
        result = call()
        XSync(self._dpy, 0)
        return None if _errors else result

    # --- events and waiting ---

    def pump(self, timeout=0.0):
        """Reads the events that arrive within timeout; True if there were any."""
        fd = XConnectionNumber(self._dpy)
        if not XPending(self._dpy):
            select.select([fd], [], [], max(timeout, 0.0))
        seen = False
        event = _Event()
        while XPending(self._dpy):
            XNextEvent(self._dpy, byref(event))
            if event.type == MAP_NOTIFY:
                self.maps.append((time.monotonic(), event.any.window))
            seen = True
        return seen

    def wait_until(self, condition, timeout, what):
        """Returns condition()'s first true value, or raises after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError(f"no {what} within {timeout} s")
            self.pump(min(remaining, 0.02))

    # --- windows and properties ---

    def top_levels(self):
        return self.children(self.root)

    def children(self, window):
        """The children of window, bottom first."""
        root, parent = Window(), Window()
        children, count = POINTER(Window)(), c_uint()
        if not self._checked(lambda: XQueryTree(self._dpy, window, byref(root), byref(parent),
                                                byref(children), byref(count))):
            return []
        windows = [children[i] for i in range(count.value)]
        if children:
            XFree(children)
        return windows

    def attributes(self, window):
        attributes = _WindowAttributes()
        ok = self._checked(lambda: XGetWindowAttributes(self._dpy, window, byref(attributes)))
        return attributes if ok else None

    def viewable(self, window):
        attributes = self.attributes(window)
        return attributes is not None and attributes.map_state == IS_VIEWABLE

    def property(self, window, name):
        """(type name, format, items) of a property, or None where there is none."""
        kind, fmt, count, after = Atom(), c_int(), c_ulong(), c_ulong()
        data = c_void_p()
        status = self._checked(lambda: XGetWindowProperty(
            self._dpy, window, self.atom(name), 0, 1 << 24, 0, 0, byref(kind), byref(fmt),
            byref(count), byref(after), byref(data)))
        if status is None or status != 0 or not kind.value:
            return None
        try:
            if fmt.value == 8:
                items = ctypes.string_at(data, count.value)
            elif fmt.value == 16:
                items = list(ctypes.cast(data, POINTER(ctypes.c_ushort))[:count.value])
            else:
                # Xlib hands out 32-bit items as C longs.
                items = [v & 0xFFFFFFFF for v in ctypes.cast(data, POINTER(c_long))[:count.value]]
        finally:
            XFree(data)
        return self._atom_name(kind.value), fmt.value, items

    def _atom_name(self, atom):
        for name, value in self._atoms.items():
            if value == atom:
                return name
        return atom

    def text(self, window, name):
        found = self.property(window, name)
        return found[2].decode("latin-1") if found and found[1] == 8 else None

    def cardinals(self, window, name):
        found = self.property(window, name)
        return found[2] if found and found[1] == 32 else None

    def windows_of(self, pid):
        """The viewable top-level windows that the process pid owns."""
        return [w for w in self.top_levels()
                if self.viewable(w) and self.cardinals(w, "_NET_WM_PID") == [pid]]

    def window_named(self, pid, name):
        for window in self.windows_of(pid):
            if self.text(window, "WM_NAME") == name:
                return window
        return None

    def focus(self, window):
        """Gives window the keyboard, as a window manager would."""
        XSetInputFocus(self._dpy, window, REVERT_TO_POINTER_ROOT, 0)
        XSync(self._dpy, 0)

    def focused(self):
        window, revert = Window(), c_int()
        XGetInputFocus(self._dpy, byref(window), byref(revert))
        return window.value

    def send_delete_window(self, window):
        event = _Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = window
        event.client.message_type = self.atom("WM_PROTOCOLS")
        event.client.format = 32
        event.client.data[0] = self.atom("WM_DELETE_WINDOW")
        event.client.data[1] = 0  # CurrentTime
        XSendEvent(self._dpy, window, 0, 0, byref(event))
        XSync(self._dpy, 0)

    def pixel(self, window, x, y):
        """The (red, green, blue) on screen at (x, y) of window, whatever covers it."""
        # Read from the root: a window's own obscured parts are undefined without backing store.
        attributes = self.attributes(window)
        if attributes is None:
            return None
        x += attributes.x + attributes.border_width
        y += attributes.y + attributes.border_width
        image = self._checked(lambda: XGetImage(self._dpy, self.root, x, y, 1, 1, ALL_PLANES,
                                                Z_PIXMAP))
        if not image:
            return None
        try:
            value = XGetPixel(image, 0, 0)
        finally:
            XDestroyImage(image)
        return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF

    def grabbed(self):
        """Whether another client holds both the pointer and the keyboard."""
        async_mode, success = 1, 0
        pointer = XGrabPointer(self._dpy, self.root, 0, 0, async_mode, async_mode, 0, 0, 0)
        if pointer == success:
            XUngrabPointer(self._dpy, 0)
        keyboard = XGrabKeyboard(self._dpy, self.root, 0, async_mode, async_mode, 0)
        if keyboard == success:
            XUngrabKeyboard(self._dpy, 0)
        XSync(self._dpy, 0)
        return pointer != success and keyboard != success

    # --- input through XTest ---

    def _keycode(self, keysym_name):
        keysym = XStringToKeysym(keysym_name.encode())
        keycode = XKeysymToKeycode(self._dpy, keysym)
        if not keycode:
            raise ValueError(f"no key for {keysym_name}")
        needs_shift = XKeycodeToKeysym(self._dpy, keycode, 0) != keysym
        return keycode, needs_shift

    def paint(self, x, y, width, height, colour, popup=False):
        """Puts a rectangle of colour (red, green, blue) on the screen, above every window, as
        a window of its own; a popup, such as a notification, bypasses the window manager."""
        red, green, blue = colour
        window = XCreateSimpleWindow(self._dpy, self.root, x, y, width, height, 0, 0,
                                     red << 16 | green << 8 | blue)
        if popup:
            attributes = _SetWindowAttributes(override_redirect=1)
            XChangeWindowAttributes(self._dpy, window, CW_OVERRIDE_REDIRECT, byref(attributes))
        XMapWindow(self._dpy, window)
        XSync(self._dpy, 0)
        return window

    def raise_to(self, window, x, y):
        """Moves window to (x, y) and puts it above every other, as a window may do itself."""
        XMoveWindow(self._dpy, window, x, y)
        XRaiseWindow(self._dpy, window)
        XSync(self._dpy, 0)

    def unmap(self, window):
        self._checked(lambda: XUnmapWindow(self._dpy, window))

    def destroy(self, window):
        self._checked(lambda: XDestroyWindow(self._dpy, window))

    def key_down(self, name, down=True):
        """Presses a single key such as "Return", or releases it with down=False."""
        XTestFakeKeyEvent(self._dpy, self._keycode(name)[0], int(down), 0)
        XSync(self._dpy, 0)

    def key(self, combination):
        """Presses and releases a combination such as "alt+h", "Return" or "space"."""
        names = [{"alt": "Alt_L", "ctrl": "Control_L", "shift": SHIFT}.get(n, n)
                 for n in combination.split("+")]
        codes = []
        for name in names:
            keycode, needs_shift = self._keycode(name)
            if needs_shift:
                codes.append(self._keycode(SHIFT)[0])
            codes.append(keycode)
        for code in codes:
            XTestFakeKeyEvent(self._dpy, code, 1, 0)
        for code in reversed(codes):
            XTestFakeKeyEvent(self._dpy, code, 0, 0)
        XSync(self._dpy, 0)

    def type(self, text):
        for character in text:
            self.key(_CHARACTER_KEYSYMS.get(character, character))

    def move(self, x, y):
        """Moves the pointer to (x, y) of the screen without a click."""
        XTestFakeMotionEvent(self._dpy, -1, x, y, 0)
        XSync(self._dpy, 0)

    def click(self, x, y, button=1):
        """Clicks at (x, y) of the screen; button 3 is the right one."""
        XTestFakeMotionEvent(self._dpy, -1, x, y, 0)
        XTestFakeButtonEvent(self._dpy, button, 1, 0)
        XTestFakeButtonEvent(self._dpy, button, 0, 0)
        XSync(self._dpy, 0)
