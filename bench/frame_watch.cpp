// frame-watch: records what a window shows while it changes, to tell whether a change reached the
// screen in one frame or in stages.
//
//   frame-watch <window id> <quiet ms> <timeout ms> [folder]
//
// Takes the window's pixels, prints "ready" and then, on every drawing into the window (X DAMAGE),
// takes them again, until nothing has been drawn for <quiet ms> after the first drawing (or
// <timeout ms> passed). Prints how many different pictures it saw after the first one and how
// many of those were neither the first nor the last: pictures of a change half done. Those are
// written to the folder as PPM files when one is given. Exits 0 when there were none, 1 when there
// were, 2 when it could not watch.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned long> pixels;
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && pixels == other.pixels;
  }
};

Picture take(Display* display, Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(display, window, &attributes);
  Picture picture;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return picture;
  picture.width = attributes.width;
  picture.height = attributes.height;
  picture.pixels.reserve(static_cast<std::size_t>(picture.width) * picture.height);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) picture.pixels.push_back(XGetPixel(image, x, y));
  }
  XDestroyImage(image);
  return picture;
}

void write_ppm(const Picture& picture, const std::string& path) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return;
  std::fprintf(out, "P6 %d %d 255\n", picture.width, picture.height);
  for (unsigned long p : picture.pixels) {
    std::fputc(static_cast<int>((p >> 16) & 0xFF), out);
    std::fputc(static_cast<int>((p >> 8) & 0xFF), out);
    std::fputc(static_cast<int>(p & 0xFF), out);
  }
  std::fclose(out);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: frame-watch <window id> <quiet ms> <timeout ms> [folder]\n");
    return 2;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const double quiet = std::atof(argv[2]);
  const double timeout = std::atof(argv[3]);
  const std::string folder = argc > 4 ? argv[4] : "";
  Display* display = XOpenDisplay(nullptr);
  int damage_event = 0;
  int damage_error = 0;
  if (display == nullptr || !XDamageQueryExtension(display, &damage_event, &damage_error)) {
    std::fprintf(stderr, "frame-watch: no display with the DAMAGE extension\n");
    return 2;
  }
  const Damage damage = XDamageCreate(display, window, XDamageReportNonEmpty);
  XSync(display, False);
  std::vector<Picture> seen{take(display, window)};
  if (seen.front().pixels.empty()) {
    std::fprintf(stderr, "frame-watch: cannot read the window's pixels\n");
    return 2;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  const double start = now_ms();
  double last = 0;  // the last drawing, once there was one
  pollfd fd{ConnectionNumber(display), POLLIN, 0};
  while (now_ms() - start < timeout && (last == 0 || now_ms() - last < quiet)) {
    if (XPending(display) == 0) {
      poll(&fd, 1, 5);
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    if (event.type != damage_event + XDamageNotify) continue;
    XDamageSubtract(display, damage, None, None);
    last = now_ms();
    Picture now = take(display, window);
    if (!(now == seen.back())) seen.push_back(std::move(now));
  }
  int halfway = 0;
  for (std::size_t i = 1; i + 1 < seen.size(); ++i) {
    if (seen[i] == seen.front()) continue;
    ++halfway;
    if (!folder.empty()) write_ppm(seen[i], folder + "/halfway-" + std::to_string(i) + ".ppm");
  }
  if (!folder.empty()) write_ppm(seen.back(), folder + "/last.ppm");
  std::printf("%zu pictures, %d half done\n", seen.size() - 1, halfway);
  XDamageDestroy(display, damage);
  XCloseDisplay(display);
  return halfway == 0 ? 0 : 1;
}
