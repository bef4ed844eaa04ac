// map-wait: runs a program and reports how long it took until a window of a given title was
// mapped on the X display, then asks that window to close as a window manager would, and waits
// for the program to end.
//
//   map-wait [--frame] <title> <timeout-ms> <program> [arguments...]
//
// Prints the milliseconds from just before the program was started to the map. Exits 1 when no
// such window is mapped in time (the program is then killed). Watching the X server's own
// MapNotify events, rather than polling, keeps the figure free of the poller's own delay.
//
// With --frame it prints a second figure: the time to the first complete frame, that is the last
// drawing into the window (an X DAMAGE event) before it stays unchanged for 300 ms. A window is
// mapped before it is painted, and a program that loads its pictures after showing its window is
// on screen, but empty, in between: the map alone would not show that.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double now_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string title_of(Display* display, Window window) {
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom net_name = XInternAtom(display, "_NET_WM_NAME", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0;
  unsigned long rest = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, net_name, 0, 1024, False, utf8, &type, &format, &count,
                         &rest, &data) == Success &&
      data != nullptr) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

void ask_to_close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
}

bool wait_for_exit(pid_t child, double timeout_ms) {
  const double end = now_ms() + timeout_ms;
  while (now_ms() < end) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return true;
    usleep(2000);
  }
  return false;
}

int damage_opcode = -1;

// Windows that take no drawing (input-only ones, which Wine makes too) refuse to be watched;
// they are simply not watched.
int ignore_damage_errors(Display* display, XErrorEvent* error) {
  if (error->request_code == damage_opcode) return 0;
  char text[256];
  XGetErrorText(display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "map-wait: X error: %s\n", text);
  std::exit(2);
}

}  // namespace

int main(int argc, char* argv[]) {
  const bool frame = argc > 1 && std::strcmp(argv[1], "--frame") == 0;
  if (frame) {
    --argc;
    ++argv;
  }
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: map-wait [--frame] <title> <timeout-ms> <program> [arguments...]\n");
    return 2;
  }
  const std::string wanted = argv[1];
  const double timeout = std::atof(argv[2]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "map-wait: cannot open the display\n");
    return 2;
  }
  int damage_event = 0;
  int damage_error = 0;
  int first_event = 0;
  int first_error = 0;
  if (frame && (!XDamageQueryExtension(display, &damage_event, &damage_error) ||
                !XQueryExtension(display, "DAMAGE", &damage_opcode, &first_event, &first_error))) {
    std::fprintf(stderr, "map-wait: the X server has no DAMAGE extension\n");
    return 2;
  }
  if (frame) XSetErrorHandler(ignore_damage_errors);
  // Top-level windows are children of the root (there is no window manager to reparent them).
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  const double start = now_ms();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[3], argv + 3);
    std::perror("map-wait: exec");
    _exit(127);
  }

  Window found = 0;
  double mapped = 0;
  double drawn = 0;  // the last drawing into the window seen so far
  constexpr double kQuiet = 300;
  const int fd = ConnectionNumber(display);
  // Until the window is mapped, and with --frame until it has been left alone for kQuiet ms.
  while (now_ms() - start < timeout) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (frame && event.type == CreateNotify) {
        // Watched from its creation, so that no drawing before the map goes unseen.
        XDamageCreate(display, event.xcreatewindow.window, XDamageReportRawRectangles);
      } else if (found == 0 && event.type == MapNotify &&
                 title_of(display, event.xmap.window) == wanted) {
        found = event.xmap.window;
        mapped = now_ms() - start;
      } else if (frame && event.type == damage_event + XDamageNotify) {
        const auto* damage = reinterpret_cast<const XDamageNotifyEvent*>(&event);
        if (found == 0 || damage->drawable == found) drawn = now_ms() - start;
      }
    }
    if (found != 0 && (!frame || now_ms() - start - std::max(drawn, mapped) >= kQuiet)) break;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 5);
  }
  if (found == 0) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::fprintf(stderr, "map-wait: no window \"%s\" within %.0f ms\n", wanted.c_str(), timeout);
    return 1;
  }
  if (frame) {
    std::printf("%.1f %.1f\n", mapped, std::max(drawn, mapped));
  } else {
    std::printf("%.1f\n", mapped);
  }
  std::fflush(stdout);

  // Let the first paint happen, so that the memory figure covers a window really drawn.
  if (!frame) usleep(500 * 1000);
  ask_to_close(display, found);
  if (!wait_for_exit(child, 5000)) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::fprintf(stderr, "map-wait: the program did not close; killed\n");
    return 1;
  }
  XCloseDisplay(display);
  return 0;
}
