#include "platform/linux/WaylandWindowSystem.h"

#include <wayland-client.h>

#include <algorithm>

#include "config/CodePage.h"
#include "platform/linux/WaylandConnection.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

namespace quorvane {

namespace {

void IgnoreOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void IgnoreParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

}  // namespace

bool WaylandWindowSystem::Supported(const WaylandConnection& connection) {
    return connection.Has(zwlr_foreign_toplevel_manager_v1_interface.name);
}

WaylandWindowSystem::WaylandWindowSystem(WaylandConnection& connection) : connection_(connection) {
    manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        connection.Bind(&zwlr_foreign_toplevel_manager_v1_interface, 3));
    if (!manager_) return;
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {
        &WaylandWindowSystem::OnToplevel, &WaylandWindowSystem::OnFinished};
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &listener, this);
    // The toplevels come at the bind, each followed by its details.
    connection_.Roundtrip();
    connection_.Roundtrip();
}

WaylandWindowSystem::~WaylandWindowSystem() {
    for (auto& toplevel : toplevels_) zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    if (manager_) zwlr_foreign_toplevel_manager_v1_stop(manager_);
    connection_.FlushOut();
    // The manager object lives until the compositor's finished, which no one reads now.
}

void WaylandWindowSystem::OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                     zwlr_foreign_toplevel_handle_v1* handle) {
    auto* self = static_cast<WaylandWindowSystem*>(data);
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        &WaylandWindowSystem::OnTitle,
        &WaylandWindowSystem::OnAppId,
        &IgnoreOutput,
        &IgnoreOutput,
        &WaylandWindowSystem::OnState,
        &WaylandWindowSystem::OnDone,
        &WaylandWindowSystem::OnClosed,
        &IgnoreParent};
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->id = self->nextId_++;
    toplevel->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
    self->toplevels_.push_back(std::move(toplevel));
}

void WaylandWindowSystem::OnFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
    auto* self = static_cast<WaylandWindowSystem*>(data);
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    self->manager_ = nullptr;
}

void WaylandWindowSystem::OnTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    static_cast<Toplevel*>(data)->pendingTitle = title;
}

void WaylandWindowSystem::OnAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
    static_cast<Toplevel*>(data)->pendingAppId = appId;
}

void WaylandWindowSystem::OnState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* state) {
    auto* toplevel = static_cast<Toplevel*>(data);
    toplevel->pendingMinimized = false;
    toplevel->pendingActivated = false;
    const auto* values = static_cast<const uint32_t*>(state->data);
    for (size_t i = 0; i < state->size / sizeof(uint32_t); ++i) {
        if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED) {
            toplevel->pendingMinimized = true;
        }
        if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) {
            toplevel->pendingActivated = true;
        }
    }
}

void WaylandWindowSystem::OnDone(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto* toplevel = static_cast<Toplevel*>(data);
    toplevel->title = toplevel->pendingTitle;
    toplevel->appId = toplevel->pendingAppId;
    toplevel->minimized = toplevel->pendingMinimized;
    toplevel->activated = toplevel->pendingActivated;
    toplevel->complete = true;
}

void WaylandWindowSystem::OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    // The handle is gone: forget it. The owner's list is reached through the handle's
    // user data, which is the toplevel itself, so the list is swept in Update.
    auto* toplevel = static_cast<Toplevel*>(data);
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    toplevel->handle = nullptr;
}

void WaylandWindowSystem::Update() {
    connection_.Roundtrip();
    std::erase_if(toplevels_, [](const std::unique_ptr<Toplevel>& t) { return !t->handle; });
}

WaylandWindowSystem::Toplevel* WaylandWindowSystem::Find(WindowId window) {
    for (auto& toplevel : toplevels_) {
        if (toplevel->id == window && toplevel->handle) return toplevel.get();
    }
    return nullptr;
}

std::vector<TopLevelWindow> WaylandWindowSystem::TopLevelWindows() {
    Update();
    std::vector<TopLevelWindow> windows;
    for (auto it = toplevels_.rbegin(); it != toplevels_.rend(); ++it) {
        const Toplevel& t = **it;
        if (!t.complete) continue;
        TopLevelWindow w;
        w.id = t.id;
        w.caption = CodePage::FromUtf8(t.title);
        w.minimized = t.minimized;
        if (t.activated && !t.minimized) {
            windows.insert(windows.begin(), std::move(w));
        } else {
            windows.push_back(std::move(w));
        }
    }
    return windows;
}

WindowId WaylandWindowSystem::ForegroundWindow() {
    Update();
    for (auto& toplevel : toplevels_) {
        if (toplevel->complete && toplevel->activated && !toplevel->minimized) return toplevel->id;
    }
    return 0;
}

std::string WaylandWindowSystem::Caption(WindowId window) {
    Update();
    Toplevel* toplevel = Find(window);
    return toplevel ? CodePage::FromUtf8(toplevel->title) : std::string();
}

std::string WaylandWindowSystem::AppId(WindowId window) {
    Update();
    Toplevel* toplevel = Find(window);
    return toplevel ? toplevel->appId : std::string();
}

void WaylandWindowSystem::Activate(WindowId window) {
    Toplevel* toplevel = Find(window);
    if (!toplevel || !connection_.seat()) return;
    if (toplevel->minimized) zwlr_foreign_toplevel_handle_v1_unset_minimized(toplevel->handle);
    zwlr_foreign_toplevel_handle_v1_activate(toplevel->handle, connection_.seat());
    connection_.FlushOut();
}

void WaylandWindowSystem::RestoreWithoutActivation(WindowId window) {
    if (Toplevel* toplevel = Find(window)) {
        zwlr_foreign_toplevel_handle_v1_unset_minimized(toplevel->handle);
        connection_.FlushOut();
    }
}

void WaylandWindowSystem::Minimize(WindowId window) {
    if (Toplevel* toplevel = Find(window)) {
        zwlr_foreign_toplevel_handle_v1_set_minimized(toplevel->handle);
        connection_.FlushOut();
    }
}

}  // namespace quorvane
