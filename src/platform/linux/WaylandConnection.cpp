#include "platform/linux/WaylandConnection.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <poll.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quorvane {

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {}

std::unique_ptr<WaylandConnection> WaylandConnection::Connect(std::string& error,
                                                              const char* name) {
    wl_display* display = wl_display_connect(name);
    if (!display) {
        error = std::string("cannot connect to the Wayland display: ") + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    static const wl_registry_listener registryListener = {&WaylandConnection::OnGlobal,
                                                          &WaylandConnection::OnGlobalRemove};
    connection->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(connection->registry_, &registryListener, connection.get());
    // The first roundtrip lists the globals (and binds the seat), the second brings the
    // seat's capabilities.
    if (!connection->Roundtrip() || !connection->Roundtrip()) {
        error = "the Wayland display does not answer";
        return nullptr;
    }
    if (QCoreApplication::instance()) {
        connection->notifier_ =
            std::make_unique<QSocketNotifier>(wl_display_get_fd(display), QSocketNotifier::Read);
        WaylandConnection* self = connection.get();
        QObject::connect(self->notifier_.get(), &QSocketNotifier::activated, [self] {
            if (wl_display_prepare_read(self->display_) == 0) {
                wl_display_read_events(self->display_);
            }
            self->DispatchPending();
        });
    }
    return connection;
}

WaylandConnection::~WaylandConnection() {
    notifier_.reset();
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

void WaylandConnection::OnGlobal(void* data, wl_registry* registry, uint32_t name,
                                 const char* interface, uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    self->globals_.push_back(Global{name, interface, version});
    if (!self->seat_ && std::strcmp(interface, wl_seat_interface.name) == 0) {
        static const wl_seat_listener seatListener = {&WaylandConnection::OnCapabilities,
                                                      &WaylandConnection::OnSeatName};
        self->seat_ = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 2u)));
        wl_seat_add_listener(self->seat_, &seatListener, self);
    }
}

void WaylandConnection::OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
    std::erase_if(self->globals_, [name](const Global& g) { return g.name == name; });
}

void WaylandConnection::OnCapabilities(void* data, wl_seat*, uint32_t capabilities) {
    static_cast<WaylandConnection*>(data)->capabilities_ = capabilities;
}

void WaylandConnection::OnSeatName(void*, wl_seat*, const char*) {}

bool WaylandConnection::Has(const char* interface) const {
    return std::any_of(globals_.begin(), globals_.end(),
                       [&](const Global& g) { return g.interface == interface; });
}

void* WaylandConnection::Bind(const wl_interface* interface, uint32_t maxVersion) {
    for (const Global& g : globals_) {
        if (g.interface == interface->name) {
            return wl_registry_bind(registry_, g.name, interface, std::min(g.version, maxVersion));
        }
    }
    return nullptr;
}

std::string WaylandConnection::CompositorName() const {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    if (desktop && *desktop) return desktop;
    if (Has("gtk_shell1")) return "GNOME";
    if (Has("org_kde_plasma_shell") || Has("org_kde_kwin_blur_manager")) return "KDE Plasma";
    if (Has("weston_desktop_shell")) return "Weston";
    if (Has("zwlr_layer_shell_v1")) return "wlroots";
    return "unknown";
}

bool WaylandConnection::FlushOut() {
    for (;;) {
        if (wl_display_flush(display_) >= 0) return true;
        if (errno != EAGAIN) return false;
        // The socket is full: the compositor reads on its own time.
        pollfd out{wl_display_get_fd(display_), POLLOUT, 0};
        if (poll(&out, 1, 1000) < 0 && errno != EINTR) return false;
    }
}

bool WaylandConnection::Roundtrip() {
    return FlushOut() && wl_display_roundtrip(display_) >= 0;
}

void WaylandConnection::DispatchPending() {
    wl_display_dispatch_pending(display_);
    wl_display_flush(display_);
}

bool WaylandConnection::Broken() const {
    return wl_display_get_error(display_) != 0;
}

}  // namespace quorvane
