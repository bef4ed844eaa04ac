// map-wait: runs a program and reports how long it took until a window of a given title was
// mapped on the X display, then asks that window to close as a window manager would, and waits
// for the program to end.
//
//   map-wait <title> <timeout-ms> <program> [arguments...]
//
// Prints the milliseconds from just before the program was started to the map. Exits 1 when no
// such window is mapped in time (the program is then killed). Watching the X server's own
// MapNotify events, rather than polling, keeps the figure free of the poller's own delay.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

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

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <title> <timeout-ms> <program> [arguments...]\n", argv[0]);
    return 2;
  }
  const std::string wanted = argv[1];
  const double timeout = std::atof(argv[2]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "map-wait: cannot open the display\n");
    return 2;
  }
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
  const int fd = ConnectionNumber(display);
  while (found == 0 && now_ms() - start < timeout) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && title_of(display, event.xmap.window) == wanted) {
        found = event.xmap.window;
        break;
      }
    }
    if (found != 0) break;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 5);
  }
  const double mapped = now_ms() - start;
  if (found == 0) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    std::fprintf(stderr, "map-wait: no window \"%s\" within %.0f ms\n", wanted.c_str(), timeout);
    return 1;
  }
  std::printf("%.1f\n", mapped);
  std::fflush(stdout);

  // Let the first paint happen, so that the memory figure covers a window really drawn.
  usleep(500 * 1000);
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
