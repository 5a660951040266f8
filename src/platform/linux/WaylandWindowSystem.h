// The desktop's top-level windows on a wlroots compositor, through the foreign-toplevel
// protocol (zwlr_foreign_toplevel_manager_v1), the one a task bar uses. Window ids are our
// own numbers, one per toplevel handle, never reused.
//
// The protocol tells no stacking order: the list puts the activated window first, then the
// others newest first. Every query first does a roundtrip, so it answers with the state the
// compositor has now; requests go out at once and take effect on the compositor's time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct wl_array;

namespace quorvane {

class WaylandConnection;

class WaylandWindowSystem : public WindowSystem {
  public:
    // True when the compositor offers the foreign-toplevel protocol.
    static bool Supported(const WaylandConnection& connection);

    // connection is borrowed and must outlive the object.
    explicit WaylandWindowSystem(WaylandConnection& connection);
    ~WaylandWindowSystem() override;
    WaylandWindowSystem(const WaylandWindowSystem&) = delete;
    WaylandWindowSystem& operator=(const WaylandWindowSystem&) = delete;

    std::vector<TopLevelWindow> TopLevelWindows() override;
    WindowId ForegroundWindow() override;
    std::string Caption(WindowId window) override;
    void Activate(WindowId window) override;
    void RestoreWithoutActivation(WindowId window) override;
    void Minimize(WindowId window) override;

    // The app id of window ("foot"; empty when unknown or gone).
    std::string AppId(WindowId window);

  private:
    struct Toplevel {
        WindowId id = 0;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        // Events fill the pending values; done makes them current.
        std::string title, pendingTitle;
        std::string appId, pendingAppId;
        bool minimized = false, pendingMinimized = false;
        bool activated = false, pendingActivated = false;
        bool complete = false;  // the first done has come
    };

    static void OnToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                           zwlr_foreign_toplevel_handle_v1* handle);
    static void OnFinished(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void OnTitle(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title);
    static void OnAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void OnState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* state);
    static void OnDone(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void OnClosed(void* data, zwlr_foreign_toplevel_handle_v1* handle);

    void Update();
    Toplevel* Find(WindowId window);

    WaylandConnection& connection_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;  // oldest first
    WindowId nextId_ = 1;
};

}  // namespace quorvane
