#include "bench/startup_case.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "bench/child_process.h"
#include "bench/xvfb_display.h"

namespace veloris::bench {

namespace {

using std::chrono::steady_clock;

constexpr std::chrono::milliseconds kShowLimit{15000};
constexpr std::chrono::milliseconds kPaintCheck{1};
constexpr std::chrono::milliseconds kCloseLimit{5000};
constexpr double kBytesPerKib = 1024.0;
constexpr double kBytesPerMB = 1e6;
// Well inside the window, clear of its frame; any colour but the root's black is paint.
constexpr std::int16_t kProbeX = 2;
constexpr std::int16_t kProbeY = 2;

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPtr<Reply> Owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// True once the child has ended; it is left to be collected.
bool HasEnded(pid_t child) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

double Milliseconds(steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Watches the display's top-level windows as they are mapped.
class ScreenWatch {
  public:
    explicit ScreenWatch(const std::string& display) {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_) != 0) {
            xcb_disconnect(connection_);
            throw std::runtime_error("cannot connect to display " + display);
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &events);
        pidAtom_ = atom("_NET_WM_PID");
        protocolsAtom_ = atom("WM_PROTOCOLS");
        deleteAtom_ = atom("WM_DELETE_WINDOW");
    }
    ~ScreenWatch() { xcb_disconnect(connection_); }
    ScreenWatch(const ScreenWatch&) = delete;
    ScreenWatch& operator=(const ScreenWatch&) = delete;

    // The first top-level window of `owner` mapped from now on, or nothing when the owner
    // ends or `limit` passes first.
    std::optional<xcb_window_t> waitForWindowOf(pid_t owner, std::chrono::milliseconds limit) {
        const auto giveUp = steady_clock::now() + limit;
        while (steady_clock::now() < giveUp) {
            while (auto event = Owned(xcb_poll_for_event(connection_))) {
                if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY) {
                    continue;
                }
                const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
                if (mapped->override_redirect == 0 && ownerOf(mapped->window) == owner) {
                    return mapped->window;
                }
            }
            if (xcb_connection_has_error(connection_) != 0 || HasEnded(owner)) {
                return std::nullopt;
            }
            pollfd watched{xcb_get_file_descriptor(connection_), POLLIN, 0};
            (void)::poll(&watched, 1, 10);
        }
        return std::nullopt;
    }

    // True once the probe pixel of the window is no longer the root's black.
    bool painted(xcb_window_t window) {
        const auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, kProbeX,
                                          kProbeY, 1, 1, ~0u);
        const auto reply = Owned(xcb_get_image_reply(connection_, cookie, nullptr));
        if (!reply) {
            return false;
        }
        const std::uint8_t* data = xcb_get_image_data(reply.get());
        const int length = xcb_get_image_data_length(reply.get());
        for (int i = 0; i < length; ++i) {
            if (data[i] != 0) {
                return true;
            }
        }
        return false;
    }

    // Asks the window to close, as a window manager's close button does.
    void askToClose(xcb_window_t window) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocolsAtom_;
        message.data.data32[0] = deleteAtom_;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }

  private:
    xcb_atom_t atom(const char* name) {
        const auto cookie =
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
        const auto reply = Owned(xcb_intern_atom_reply(connection_, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    std::optional<pid_t> ownerOf(xcb_window_t window) {
        const auto cookie =
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1);
        const auto reply = Owned(xcb_get_property_reply(connection_, cookie, nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) != 4) {
            return std::nullopt;
        }
        return static_cast<pid_t>(
            *static_cast<std::uint32_t*>(xcb_get_property_value(reply.get())));
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
    xcb_atom_t protocolsAtom_ = XCB_ATOM_NONE;
    xcb_atom_t deleteAtom_ = XCB_ATOM_NONE;
};

std::string Tail(const std::string& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    constexpr std::size_t kKept = 400;
    return all.size() > kKept ? all.substr(all.size() - kKept) : all;
}

// A private directory for the program's runtime files, removed with its contents.
class RuntimeDirectory {
  public:
    RuntimeDirectory() {
        std::string pattern = "/tmp/veloris-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary directory");
        }
        path_ = pattern;
    }
    ~RuntimeDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    RuntimeDirectory(const RuntimeDirectory&) = delete;
    RuntimeDirectory& operator=(const RuntimeDirectory&) = delete;

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace

StartupCase MeasureStartup(const std::string& program, int runs) {
    StartupCase result;
    const std::optional<std::string> xvfb = FindProgram("Xvfb");
    if (!xvfb) {
        result.skipped = "Xvfb not found";
        return result;
    }
    if (::access(program.c_str(), X_OK) != 0) {
        result.skipped = program + " not found";
        return result;
    }
    try {
        XvfbDisplay display(*xvfb);
        ScreenWatch screen(display.name());
        RuntimeDirectory runtime;
        result.display = "Xvfb " + display.name();
        const std::string log = runtime.path() + "/program.log";

        SpawnRequest request;
        request.program = program;
        request.environment =
            EnvironmentWith({"DISPLAY=" + display.name(), "XDG_RUNTIME_DIR=" + runtime.path(),
                             "QT_QPA_PLATFORM=xcb"},
                            {"WAYLAND_DISPLAY"});
        request.outputFile = log;

        std::vector<double> shown;
        std::vector<double> painted;
        std::vector<double> peakMB;
        for (int i = 0; i < runs; ++i) {
            const auto start = steady_clock::now();
            const pid_t child = Spawn(request);
            const std::optional<xcb_window_t> window = screen.waitForWindowOf(child, kShowLimit);
            if (!window) {
                (void)WaitForEnd(child, std::chrono::milliseconds(0));
                result.problems.push_back("no window shown; the program said: " + Tail(log));
                continue;
            }
            shown.push_back(Milliseconds(steady_clock::now() - start));
            const auto paintLimit = steady_clock::now() + kShowLimit;
            bool wasPainted = screen.painted(*window);
            while (!wasPainted && steady_clock::now() < paintLimit) {
                std::this_thread::sleep_for(kPaintCheck);
                wasPainted = screen.painted(*window);
            }
            if (wasPainted) {
                painted.push_back(Milliseconds(steady_clock::now() - start));
            } else {
                result.problems.push_back("the window was shown but never painted");
            }
            screen.askToClose(*window);
            const Ended ended = WaitForEnd(child, kCloseLimit);
            peakMB.push_back(static_cast<double>(ended.usage.ru_maxrss) * kBytesPerKib /
                             kBytesPerMB);
            if (ended.killed) {
                result.problems.push_back("the program did not end when its window was closed");
            } else if (!WIFEXITED(ended.status) || WEXITSTATUS(ended.status) != 0) {
                result.problems.push_back("the program ended with status " +
                                          std::to_string(ended.status) + ": " + Tail(log));
            }
        }
        result.runs = static_cast<int>(shown.size());
        result.shownMs = Summarize(shown);
        result.paintedMs = Summarize(painted);
        result.peakRssMB = Summarize(peakMB);
    } catch (const std::exception& failure) {
        result.skipped = failure.what();
    }
    return result;
}

} // namespace veloris::bench
