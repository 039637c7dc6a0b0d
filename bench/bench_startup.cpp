// Start-up as the user sees it: from the exec of the real program to the first expose of its main
// window, watched by a plain Xlib client so that nothing of the program's own timing counts. The
// program runs warm from a throw-away program folder holding the sample master.
//
//   zelnoa-bench-startup [Google Benchmark options]      (needs an X display in DISPLAY)

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kTitle = "ゼルノア";

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

// A folder with the program and the sample master, removed with the object.
class ProgramFolder {
public:
    ProgramFolder() {
        std::string name = (fs::temp_directory_path() / "zelnoa-startup-XXXXXX").string();
        if (!mkdtemp(name.data()))
            throw std::runtime_error("no temporary folder");
        m_path = name;
        fs::copy_file(ZELNOA_PROGRAM, m_path / "zelnoa");
        fs::copy_file(ZELNOA_SAMPLE_DB, m_path / "vaelbuki.mdb");
    }
    ~ProgramFolder() { fs::remove_all(m_path); }
    std::string program() const { return (m_path / "zelnoa").string(); }

private:
    fs::path m_path;
};

// The time from the spawn to the first expose of the main window, or nothing when the program
// ends or shows nothing within 20 s. The program is ended afterwards.
std::optional<double> startOnce(Display* display, const std::string& program) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);
    const auto start = Clock::now();
    pid_t pid;
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return std::nullopt;
    // Expose events reach every client that asked for them, so the program's new top-level
    // windows are watched from their creation on. A window created and mapped in one go may be
    // exposed before the watch is in place; its map, which the server exposes at once, counts.
    std::set<Window> watched;
    std::optional<double> shown;
    while (!shown && Clock::now() - start < std::chrono::seconds(20)) {
        if (!XPending(display)) {
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                return std::nullopt;
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
                    windowTitle(display, event.xexpose.window) == kTitle) ||
                   (event.type == MapNotify && event.xmap.event == root &&
                    windowTitle(display, event.xmap.window) == kTitle)) {
            shown = std::chrono::duration<double>(Clock::now() - start).count();
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return shown;
}

void startUp(benchmark::State& state) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display");
        return;
    }
    // A window of the program can vanish between an event and the request about it.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const ProgramFolder folder;
    startOnce(display, folder.program()); // warms the caches
    for (auto _ : state) {
        const std::optional<double> seconds = startOnce(display, folder.program());
        if (!seconds) {
            state.SkipWithError("the program showed no main window");
            break;
        }
        state.SetIterationTime(*seconds);
    }
    XCloseDisplay(display);
}

BENCHMARK(startUp)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
