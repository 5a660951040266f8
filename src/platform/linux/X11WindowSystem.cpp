#include "platform/linux/X11WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "config/CodePage.h"
#include "platform/linux/X11ErrorTrap.h"

namespace quorvane {

namespace {

constexpr long kIconicState = 3;           // ICCCM WM_STATE
constexpr long kSourcePager = 2;           // EWMH: the request comes from a pager
constexpr long kStateRemove = 0;           // EWMH _NET_WM_STATE action
constexpr long kPropertyLimit = 1L << 20;  // longs; a caption longer than 4 MB is cut

// A format-8 property as bytes, and its type; empty when absent.
std::string ByteProperty(Display* display, Window window, Atom property, Atom type,
                         Atom* actualType = nullptr) {
    Atom gotType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(display, window, property, 0, kPropertyLimit, False, type, &gotType,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 8) {
        out.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    if (actualType != nullptr) *actualType = gotType;
    return out;
}

std::string Latin1ToUtf8(const std::string& latin1) {
    std::string out;
    for (char c : latin1) AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

}  // namespace

X11WindowSystem::X11WindowSystem(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {}

X11WindowSystem::XAtom X11WindowSystem::Intern(const char* name) {
    return XInternAtom(display_, name, False);
}

std::vector<unsigned long> X11WindowSystem::Property(XWindow window, XAtom property, XAtom type) {
    Atom gotType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(display_, window, property, 0, kPropertyLimit, False, type, &gotType,
                           &format, &count, &after, &data) == Success &&
        data != nullptr && format == 32 && gotType == type) {
        // Xlib hands format-32 items over as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        out.assign(items, items + count);
    }
    if (data != nullptr) XFree(data);
    return out;
}

bool X11WindowSystem::HasWindowManager() {
    X11ErrorTrap trap(display_);
    const XAtom check = Intern("_NET_SUPPORTING_WM_CHECK");
    const std::vector<unsigned long> fromRoot = Property(root_, check, XA_WINDOW);
    if (fromRoot.size() != 1 || fromRoot[0] == 0) return false;
    // A manager that died leaves the root's property behind; its own window proves it lives.
    const std::vector<unsigned long> fromSelf = Property(fromRoot[0], check, XA_WINDOW);
    return !trap.Failed() && fromSelf.size() == 1 && fromSelf[0] == fromRoot[0];
}

std::vector<X11WindowSystem::XWindow> X11WindowSystem::ManagedStacking() {
    std::vector<unsigned long> list =
        Property(root_, Intern("_NET_CLIENT_LIST_STACKING"), XA_WINDOW);
    if (list.empty()) list = Property(root_, Intern("_NET_CLIENT_LIST"), XA_WINDOW);
    std::reverse(list.begin(), list.end());  // bottom to top on the root
    return list;
}

std::vector<X11WindowSystem::XWindow> X11WindowSystem::UnmanagedStacking() {
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<XWindow> list;
    if (XQueryTree(display_, root_, &rootReturn, &parent, &children, &count) == 0) return list;
    for (unsigned int i = count; i-- > 0;) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, children[i], &attributes) == 0) continue;
        if (attributes.c_class != InputOutput || attributes.override_redirect) continue;
        if (attributes.map_state == IsViewable || hiddenUnmanaged_.count(children[i]) != 0) {
            list.push_back(children[i]);
        }
    }
    if (children != nullptr) XFree(children);
    return list;
}

bool X11WindowSystem::IsMinimized(XWindow window, bool managed) {
    if (!managed) return hiddenUnmanaged_.count(window) != 0;
    const XAtom wmState = Intern("WM_STATE");
    const std::vector<unsigned long> state = Property(window, wmState, wmState);
    if (!state.empty() && static_cast<long>(state[0]) == kIconicState) return true;
    const std::vector<unsigned long> netState = Property(window, Intern("_NET_WM_STATE"), XA_ATOM);
    const XAtom hidden = Intern("_NET_WM_STATE_HIDDEN");
    return std::find(netState.begin(), netState.end(), hidden) != netState.end();
}

std::vector<TopLevelWindow> X11WindowSystem::TopLevelWindows() {
    const bool managed = HasWindowManager();
    X11ErrorTrap trap(display_);
    std::vector<TopLevelWindow> windows;
    for (XWindow window : managed ? ManagedStacking() : UnmanagedStacking()) {
        TopLevelWindow w;
        w.id = window;
        w.caption = Caption(window);
        w.minimized = IsMinimized(window, managed);
        windows.push_back(std::move(w));
    }
    return windows;
}

WindowId X11WindowSystem::ForegroundWindow() {
    if (HasWindowManager()) {
        X11ErrorTrap trap(display_);
        const std::vector<unsigned long> active =
            Property(root_, Intern("_NET_ACTIVE_WINDOW"), XA_WINDOW);
        return active.empty() ? 0 : active[0];
    }
    X11ErrorTrap trap(display_);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    if (focus == None || focus == PointerRoot) return 0;
    // The focus may sit in a child of the top-level window.
    for (Window current = focus;;) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display_, current, &rootReturn, &parent, &children, &count) == 0) return 0;
        if (children != nullptr) XFree(children);
        if (parent == root_ || parent == 0) return current == root_ ? 0 : current;
        current = parent;
    }
}

std::string X11WindowSystem::Caption(WindowId window) {
    X11ErrorTrap trap(display_);
    const XAtom utf8 = Intern("UTF8_STRING");
    const std::string netName = ByteProperty(display_, window, Intern("_NET_WM_NAME"), utf8);
    if (!netName.empty()) return CodePage::FromUtf8(netName);

    Atom type = 0;
    const std::string name = ByteProperty(display_, window, XA_WM_NAME, AnyPropertyType, &type);
    if (name.empty()) return {};
    if (type == XA_STRING) return CodePage::FromUtf8(Latin1ToUtf8(name));
    if (type == utf8) return CodePage::FromUtf8(name);
    // COMPOUND_TEXT and the like: Xlib converts them.
    XTextProperty text;
    text.value = reinterpret_cast<unsigned char*>(const_cast<char*>(name.data()));
    text.encoding = type;
    text.format = 8;
    text.nitems = name.size();
    char** list = nullptr;
    int count = 0;
    std::string utf8Text;
    if (Xutf8TextPropertyToTextList(display_, &text, &list, &count) >= Success && list) {
        for (int i = 0; i < count; ++i) utf8Text += list[i];
        XFreeStringList(list);
    }
    return CodePage::FromUtf8(utf8Text);
}

void X11WindowSystem::SendToRoot(XWindow window, XAtom message, const long (&data)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = message;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i) event.xclient.data.l[i] = data[i];
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11WindowSystem::Activate(WindowId window) {
    if (window == 0) return;
    if (HasWindowManager()) {
        const long active = static_cast<long>(ForegroundWindow());
        X11ErrorTrap trap(display_);
        SendToRoot(window, Intern("_NET_ACTIVE_WINDOW"), {kSourcePager, CurrentTime, active, 0, 0});
        XFlush(display_);
        return;
    }
    X11ErrorTrap trap(display_);
    if (hiddenUnmanaged_.erase(window) != 0) XMapWindow(display_, window);
    XRaiseWindow(display_, window);
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XFlush(display_);
}

void X11WindowSystem::RestoreWithoutActivation(WindowId window) {
    if (window == 0) return;
    const bool managed = HasWindowManager();
    X11ErrorTrap trap(display_);
    if (managed) {
        // Managers that honour the state change show it in place; the others take the map
        // request, the ICCCM way out of the iconic state.
        SendToRoot(
            window, Intern("_NET_WM_STATE"),
            {kStateRemove, static_cast<long>(Intern("_NET_WM_STATE_HIDDEN")), 0, kSourcePager, 0});
        XMapWindow(display_, window);
    } else if (hiddenUnmanaged_.erase(window) != 0) {
        XMapWindow(display_, window);
    }
    XFlush(display_);
}

void X11WindowSystem::Minimize(WindowId window) {
    if (window == 0) return;
    const bool managed = HasWindowManager();
    X11ErrorTrap trap(display_);
    if (managed) {
        XIconifyWindow(display_, window, DefaultScreen(display_));
    } else {
        XUnmapWindow(display_, window);
        hiddenUnmanaged_.insert(window);
    }
    XFlush(display_);
}

}  // namespace quorvane
