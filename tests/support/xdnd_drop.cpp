// xdnd_drop X Y PATH: drags PATH from a window of its own and drops it at
// screen point X, Y, as a file manager does (the XDND protocol, version 5,
// "text/uri-list"). Exits 0 once the target said it finished, 1 when no
// window there takes drops or the target did not answer in time.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <ctime>
#include <string>

namespace {

Display* display;
Atom Intern(const char* name) { return XInternAtom(display, name, False); }

// The innermost window at x, y that carries XdndAware (Wine marks its top-level windows).
Window AwareWindowAt(int x, int y) {
  const Window root = DefaultRootWindow(display);
  const Atom aware = Intern("XdndAware");
  Window at = root, found = None;
  for (;;) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, at, aware, 0, 1, False, AnyPropertyType, &type, &format, &items, &after, &data) ==
            Success &&
        type != None)
      found = at;
    if (data) XFree(data);
    int cx, cy;
    Window child = None;
    if (!XTranslateCoordinates(display, root, at, x, y, &cx, &cy, &child) || child == None) return found;
    at = child;
  }
}

void Send(Window target, Atom message, long l0, long l1, long l2, long l3, long l4) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = target;
  e.xclient.message_type = message;
  e.xclient.format = 32;
  long* l = e.xclient.data.l;
  l[0] = l0, l[1] = l1, l[2] = l2, l[3] = l3, l[4] = l4;
  XSendEvent(display, target, False, NoEventMask, &e);
  XFlush(display);
}

std::string Uri(const char* path) {
  std::string uri = "file://";
  for (const char* p = path; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (std::isalnum(c) || std::strchr("/-_.~", c)) {
      uri += char(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    }
  }
  return uri + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || !(display = XOpenDisplay(nullptr))) {
    std::fputs("usage: xdnd_drop X Y PATH (with DISPLAY set)\n", stderr);
    return 2;
  }
  const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
  const std::string uri = Uri(argv[3]);
  const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Window target = AwareWindowAt(x, y);
  if (target == None) {
    std::fputs("xdnd_drop: no window there takes drops\n", stderr);
    return 1;
  }
  const Atom selection = Intern("XdndSelection"), uri_list = Intern("text/uri-list"), copy = Intern("XdndActionCopy");
  XSetSelectionOwner(display, selection, source, CurrentTime);
  Send(target, Intern("XdndEnter"), long(source), 5L << 24, long(uri_list), 0, 0);
  Send(target, Intern("XdndPosition"), long(source), 0, (long(x) << 16) | y, CurrentTime, long(copy));

  const auto start = std::chrono::steady_clock::now();
  bool dropped = false;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    if (!XPending(display)) {
      struct timespec nap{0, 5000000};
      nanosleep(&nap, nullptr);
      continue;
    }
    XEvent e;
    XNextEvent(display, &e);
    if (e.type == ClientMessage && e.xclient.message_type == Intern("XdndStatus") && !dropped) {
      // Sent whether or not the target accepts: it answers the drop with XdndFinished either way.
      Send(target, Intern("XdndDrop"), long(source), 0, CurrentTime, 0, 0);
      dropped = true;
    } else if (e.type == SelectionRequest) {
      const XSelectionRequestEvent& r = e.xselectionrequest;
      XEvent reply{};
      reply.xselection = {SelectionNotify, 0, True, display, r.requestor, r.selection, r.target, r.property, r.time};
      if (r.target == uri_list) {
        XChangeProperty(display, r.requestor, r.property, uri_list, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uri.data()), int(uri.size()));
      } else {
        reply.xselection.property = None;
      }
      XSendEvent(display, r.requestor, False, NoEventMask, &reply);
      XFlush(display);
    } else if (e.type == ClientMessage && e.xclient.message_type == Intern("XdndFinished")) {
      XCloseDisplay(display);
      return 0;
    }
  }
  std::fputs(dropped ? "xdnd_drop: the target did not finish\n" : "xdnd_drop: the target did not answer\n", stderr);
  return 1;
}
