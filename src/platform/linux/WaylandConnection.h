// A client connection to the Wayland compositor of $WAYLAND_DISPLAY: the context object that
// the Wayland key injector and window system share. It lists the compositor's globals, binds
// the seat, and keeps the incoming events moving while the program waits in its event loop
// (a client that reads nothing fills its socket and the compositor drops it).
//
// Requests are buffered by libwayland; FlushOut sends them, waiting while the socket is full,
// and Roundtrip also waits until the compositor has handled them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_interface;

namespace quorvane {

class WaylandConnection {
  public:
    struct Global {
        uint32_t name = 0;
        std::string interface;
        uint32_t version = 0;
    };

    // Connects to $WAYLAND_DISPLAY (or display when given); null with error set on failure.
    static std::unique_ptr<WaylandConnection> Connect(std::string& error,
                                                      const char* display = nullptr);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return display_; }
    // The first seat; null when the compositor has none.
    wl_seat* seat() const { return seat_; }
    // The seat's capability bits (WL_SEAT_CAPABILITY_*) as last announced.
    uint32_t seatCapabilities() const { return capabilities_; }

    bool Has(const char* interface) const;
    // Binds the global of interface at the lower of its version and maxVersion; null when
    // the compositor lacks it.
    void* Bind(const wl_interface* interface, uint32_t maxVersion);
    const std::vector<Global>& globals() const { return globals_; }

    // The desktop's name for messages: $XDG_CURRENT_DESKTOP, else told from its globals
    // (GNOME, KDE Plasma, Weston, wlroots), else "unknown".
    std::string CompositorName() const;

    // Sends the buffered requests; false when the connection is broken.
    bool FlushOut();
    // FlushOut, then waits for the compositor's answer, dispatching every event meanwhile.
    bool Roundtrip();
    // Dispatches the events that have arrived, without waiting.
    void DispatchPending();
    bool Broken() const;

  private:
    explicit WaylandConnection(wl_display* display);
    static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                         uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry* registry, uint32_t name);
    static void OnCapabilities(void* data, wl_seat* seat, uint32_t capabilities);
    static void OnSeatName(void* data, wl_seat* seat, const char* name);

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    uint32_t capabilities_ = 0;
    std::vector<Global> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorvane
