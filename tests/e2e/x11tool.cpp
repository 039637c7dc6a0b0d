// zelnoa-e2e-x11: what the end-to-end driver needs from the X server beyond xdotool and xclip.
//
//   zelnoa-e2e-x11 shot <out.ppm>
//       the whole screen as a binary PPM (the driver turns it into PNG files)
//   zelnoa-e2e-x11 startup <title> <program>
//       starts the program and prints the milliseconds from its exec to the first expose of a
//       top-level window with that title, then ends the program
//
// Plain Xlib, no Qt, so the timing sees nothing of the program but its windows.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

int ignoreErrors(Display*, XErrorEvent*) {
    // A window of the program can vanish between an event and our request about it.
    return 0;
}

int shot(Display* display, const char* path) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return 1;
    const auto shiftOf = [](unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        return shift;
    };
    const int rs = shiftOf(image->red_mask), gs = shiftOf(image->green_mask),
              bs = shiftOf(image->blue_mask);
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<std::size_t>(image->width) * image->height * 3);
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            rgb.push_back(static_cast<unsigned char>((p & image->red_mask) >> rs));
            rgb.push_back(static_cast<unsigned char>((p & image->green_mask) >> gs));
            rgb.push_back(static_cast<unsigned char>((p & image->blue_mask) >> bs));
        }
    }
    FILE* out = std::fopen(path, "wb");
    if (!out) {
        XDestroyImage(image);
        return 1;
    }
    std::fprintf(out, "P6\n%d %d\n255\n", image->width, image->height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    XDestroyImage(image);
    return std::fclose(out) == 0 && written ? 0 : 1;
}

std::string windowTitle(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return title;
}

int startup(Display* display, const std::string& title, char* program) {
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    char* argv[] = {program, nullptr};
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        return 1;
    }
    // Expose events reach every client that asked for them, so the program's new top-level
    // windows are watched from their creation on. A window created and mapped in one go may be
    // exposed before the watch is in place; its map, which the server exposes at once, counts
    // then.
    std::set<Window> watched;
    int result = 1;
    const int fd = ConnectionNumber(display);
    for (bool done = false; !done;) {
        while (!done && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
                watched.insert(event.xcreatewindow.window);
                XSelectInput(display, event.xcreatewindow.window, ExposureMask);
            } else if ((event.type == Expose && watched.count(event.xexpose.window) &&
                        windowTitle(display, event.xexpose.window) == title) ||
                       (event.type == MapNotify && event.xmap.event == root &&
                        windowTitle(display, event.xmap.window) == title)) {
                const auto elapsed = std::chrono::steady_clock::now() - start;
                std::printf("%.1f\n", std::chrono::duration<double, std::milli>(elapsed).count());
                result = 0;
                done = true;
            }
        }
        if (done)
            break;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
            std::fprintf(stderr, "no window \"%s\" within 20 s\n", title.c_str());
            break;
        }
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "the program ended before showing its window\n");
            return 1;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);
    }
    kill(pid, SIGTERM);
    int status;
    waitpid(pid, &status, 0);
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    int rc = 2;
    if (argc == 3 && std::strcmp(argv[1], "shot") == 0)
        rc = shot(display, argv[2]);
    else if (argc == 4 && std::strcmp(argv[1], "startup") == 0)
        rc = startup(display, argv[2], argv[3]);
    else
        std::fprintf(stderr, "usage: zelnoa-e2e-x11 shot <out.ppm> | startup <title> <program>\n");
    XCloseDisplay(display);
    return rc;
}
