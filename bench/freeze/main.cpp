// The least a picker that freezes the screen does between its key and its loupe on screen: copy
// the root into a pixmap inside the server, show that pixmap in an override-redirect window over
// the root, and put a black window of the loupe's size beside the pointer. The floor under the
// picker's figure on the same machine. It waits for the same Ctrl+Shift+C, so that both times
// run from the key and neither includes a process start.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>

namespace {

constexpr int LoupeWidth = 110;
constexpr int LoupeHeight = 144;
constexpr int LoupeGap = 16;

XEvent nextOf(Display *display, int type, int other = -1)
{
    XEvent event;
    do
        XNextEvent(display, &event);
    while (event.type != type && event.type != other);
    return event;
}

} // namespace

int main()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("freeze: cannot open the display\n", stderr);
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window root = RootWindow(display, screen);
    XGrabKey(display, XKeysymToKeycode(display, XK_c), ControlMask | ShiftMask, root, False,
        GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    // The benchmark presses the key only once the grab holds.
    std::puts("ready");
    std::fflush(stdout);

    const XKeyEvent key = nextOf(display, KeyPress).xkey;
    const int width = DisplayWidth(display, screen);
    const int height = DisplayHeight(display, screen);
    const Pixmap frozen
        = XCreatePixmap(display, root, width, height, DefaultDepth(display, screen));
    XGCValues values {};
    values.subwindow_mode = IncludeInferiors;
    const GC gc = XCreateGC(display, root, GCSubwindowMode, &values);
    XCopyArea(display, root, frozen, gc, 0, 0, width, height, 0, 0);

    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.background_pixmap = frozen;
    attributes.event_mask = KeyPressMask | ButtonPressMask;
    const Window overlay = XCreateWindow(display, root, 0, 0, width, height, 0, CopyFromParent,
        InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
    const Window loupe = XCreateSimpleWindow(display, overlay, key.x_root + LoupeGap,
        key.y_root + LoupeGap, LoupeWidth, LoupeHeight, 0, 0, BlackPixel(display, screen));
    XMapWindow(display, loupe);
    XMapWindow(display, overlay);
    XFlush(display);

    nextOf(display, KeyPress, ButtonPress);
    XCloseDisplay(display);
    return 0;
}
