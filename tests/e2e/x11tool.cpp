// zelnoa-e2e-x11 <title> <program>: starts the program and prints the milliseconds from its exec
// to the first expose of a top-level window with that title, then ends the program.
//
// Plain Xlib, no Qt, so the timing sees nothing of the program but its windows.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string windowTitle(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                       XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                       &data);
    const std::string title = data ? std::string(reinterpret_cast<char*>(data), count) : "";
    XFree(data);
    return title;
}

int startup(Display* display, const std::string& title, char* program) {
    // A window of the program can vanish between an event and our request about it.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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
    int result = -1; // still waiting
    while (result < 0) {
        if (!XPending(display)) {
            int status;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::fprintf(stderr, "the program ended before showing its window\n");
                return 1;
            }
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(20)) {
                std::fprintf(stderr, "no window \"%s\" within 20 s\n", title.c_str());
                result = 1;
            }
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            poll(&p, 1, 50);
            continue;
        }
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
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    Display* display = XOpenDisplay(nullptr);
    if (argc != 3 || !display) {
        std::fprintf(stderr, "usage, with a display: zelnoa-e2e-x11 <title> <program>\n");
        return 2;
    }
    const int rc = startup(display, argv[1], argv[2]);
    XCloseDisplay(display);
    return rc;
}
