// wm_close WINDOW: asks an X window to close the way a window manager does, with a
// WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Xvfb runs without a window manager, so
// the end-to-end tests send it themselves. Exit status 0 when the message was sent.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: wm_close WINDOW\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long window = std::strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || window == 0) {
        std::fprintf(stderr, "wm_close: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "wm_close: cannot open the display\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        std::fprintf(stderr, "wm_close: the message could not be sent\n");
        return 1;
    }
    return 0;
}
