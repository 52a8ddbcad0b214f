/* An X11 client for the reader's end-to-end test: it copies text the way a
 * password manager does, and closes a window the way a window manager does.
 *
 *   x11_clipboard_tool offer TEXT [TARGET=VALUE]...
 *       Owns the CLIPBOARD selection with TEXT as UTF8_STRING, STRING, TEXT
 *       and text/plain;charset=utf-8, plus each extra TARGET holding VALUE
 *       (for example x-kde-passwordManagerHint=secret). Prints "owner" once
 *       it owns the selection and serves requests until another client takes
 *       the selection or 60 seconds have passed.
 *   x11_clipboard_tool close TITLE
 *       Asks every top-level window named TITLE to close (WM_DELETE_WINDOW).
 *       Exits 0 when it found one, 1 otherwise.
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MAX_EXTRA 8

struct Target {
    Atom atom;
    const char* value;
};

static int Offer(Display* display, int argc, char** argv)
{
    const char* text = argv[2];
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    Atom targetsAtom = XInternAtom(display, "TARGETS", False);
    struct Target targets[4 + MAX_EXTRA];
    int count = 0;
    targets[count++] = (struct Target){XInternAtom(display, "UTF8_STRING", False), text};
    targets[count++] = (struct Target){XA_STRING, text};
    targets[count++] = (struct Target){XInternAtom(display, "TEXT", False), text};
    targets[count++] = (struct Target){XInternAtom(display, "text/plain;charset=utf-8", False), text};
    for (int i = 3; i < argc && count < 4 + MAX_EXTRA; ++i) {
        char* equals = strchr(argv[i], '=');
        if (!equals) {
            fprintf(stderr, "x11_clipboard_tool: %s is not TARGET=VALUE\n", argv[i]);
            return 2;
        }
        *equals = '\0';
        targets[count++] = (struct Target){XInternAtom(display, argv[i], False), equals + 1};
    }

    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(display, clipboard) != window) {
        fprintf(stderr, "x11_clipboard_tool: cannot own the clipboard\n");
        return 1;
    }
    printf("owner\n");
    fflush(stdout);

    const time_t end = time(NULL) + 60;
    while (time(NULL) < end) {
        if (!XPending(display)) {
            struct timespec pause = {0, 10 * 1000 * 1000};
            nanosleep(&pause, NULL);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == SelectionClear) break;
        if (event.type != SelectionRequest) continue;
        XSelectionRequestEvent* request = &event.xselectionrequest;
        XSelectionEvent reply = {0};
        reply.type = SelectionNotify;
        reply.display = request->display;
        reply.requestor = request->requestor;
        reply.selection = request->selection;
        reply.target = request->target;
        reply.time = request->time;
        reply.property = None;
        Atom property = request->property != None ? request->property : request->target;
        if (request->target == targetsAtom) {
            Atom list[5 + MAX_EXTRA];
            list[0] = targetsAtom;
            for (int i = 0; i < count; ++i) list[i + 1] = targets[i].atom;
            XChangeProperty(display, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                            (unsigned char*)list, count + 1);
            reply.property = property;
        } else {
            for (int i = 0; i < count; ++i) {
                if (targets[i].atom != request->target) continue;
                XChangeProperty(display, request->requestor, property, request->target, 8, PropModeReplace,
                                (const unsigned char*)targets[i].value, (int)strlen(targets[i].value));
                reply.property = property;
                break;
            }
        }
        XSendEvent(display, request->requestor, False, 0, (XEvent*)&reply);
        XFlush(display);
    }
    return 0;
}

/* The window's title as UTF-8 (_NET_WM_NAME), else its WM_NAME. */
static int HasTitle(Display* display, Window window, const char* title)
{
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* value = NULL;
    int same = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &after, &value) == Success &&
        value) {
        same = strlen(title) == items && memcmp(value, title, items) == 0;
        XFree(value);
        return same;
    }
    char* name = NULL;
    if (XFetchName(display, window, &name) && name) same = strcmp(name, title) == 0;
    if (name) XFree(name);
    return same;
}

static int Close(Display* display, const char* title)
{
    Window root = DefaultRootWindow(display), parent, *children = NULL;
    unsigned int count = 0;
    int found = 0;
    Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 1;
    for (unsigned int i = 0; i < count; ++i) {
        if (HasTitle(display, children[i], title)) {
            XEvent event = {0};
            event.xclient.type = ClientMessage;
            event.xclient.window = children[i];
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = (long)deleteWindow;
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
            found = 1;
        }
    }
    if (children) XFree(children);
    XFlush(display);
    return found ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc < 3 || (strcmp(argv[1], "offer") != 0 && strcmp(argv[1], "close") != 0)) {
        fprintf(stderr, "usage: x11_clipboard_tool offer TEXT [TARGET=VALUE]... | close TITLE\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "x11_clipboard_tool: cannot open the display\n");
        return 1;
    }
    const int result = strcmp(argv[1], "offer") == 0 ? Offer(display, argc, argv) : Close(display, argv[2]);
    XCloseDisplay(display);
    return result;
}
