#include "platform/host/host_gtk.h"

#include <gdk/gdkkeysyms.h>
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/host/access_atk.h"
#include "platform/host/gdk_user_time.h"
#include "platform/host/host_module.h"
#include "platform/host/session_end.h"
#include "platform/registry/registry.h"
#include "platform/unicode.h"
#include "platform/user/screen_colours.h"
#include "platform/user/single_instance.h"
#include "platform/win32_constants.h"

struct GtkHost::Impl {
    GdkWindow* window = nullptr;  // a plain GDK toplevel: the program draws all it shows
    GtkIMContext* im = nullptr;
    int width = 240;
    int height = 320;
    int scale = 1;  // program pixels to GTK's logical pixels
    bool focused = true;
    gint64 focusedAt = 0;  // when the desktop last gave the focus (monotonic microseconds)
    bool focusAsked = false;
    bool damaged = true;
    guint fdWatch = 0;
    SystemClipboard clipboard;  // what the program offers while it owns the system clipboard
    std::string primary;        // the program's selection, offered as the primary selection
    // The last press of the first button, to count the clicks of a double or triple click.
    guint32 lastPressTime = 0;
    double lastPressX = 0, lastPressY = 0;
    int clicks = 0;
    // While the first button is held after a move, the move is given again at intervals, so
    // that a drag held beyond a pane's edge goes on scrolling it without moving.
    guint repeatMove = 0;
    int lastMoveX = 0, lastMoveY = 0;
    bool fullScreen = false;
    bool maximized = false;
    // The window's size in GTK's logical pixels while it is neither maximised nor full screen:
    // what the next start opens at.
    int normalWidth = 0;
    int normalHeight = 0;
    // The window's icon is set once the first frame is on the screen (finding it in the icon
    // themes takes longer than drawing the frame); the timeout sets it if no frame is drawn.
    bool iconNamed = false;
    guint iconIdle = 0;
    guint iconTimeout = 0;
};

namespace {

// The desktop entry's icon name, so the desktop puts the installed launcher's icon on the window.
constexpr char kIconName[] = "com.velmora.Orvanel";

// The icon at each size the themes hold it, as the window manager wants them (a scalable one at
// 48 pixels).
GList* ThemeIcons(const char* name) {
    GtkIconTheme* theme = gtk_icon_theme_get_default();
    gint* sizes = gtk_icon_theme_get_icon_sizes(theme, name);
    GList* icons = nullptr;
    for (gint* size = sizes; *size; ++size) {
        GdkPixbuf* icon = gtk_icon_theme_load_icon(theme, name, *size > 0 ? *size : 48,
                                                   GtkIconLookupFlags(0), nullptr);
        if (icon) icons = g_list_append(icons, icon);
    }
    g_free(sizes);
    return icons;
}

gboolean NameWindowIcon(gpointer data) {
    auto* impl = static_cast<GtkHost::Impl*>(data);
    if (impl->iconIdle) g_source_remove(impl->iconIdle);
    if (impl->iconTimeout) g_source_remove(impl->iconTimeout);
    impl->iconIdle = impl->iconTimeout = 0;
    impl->iconNamed = true;
    // The frame goes to the display before the themes are searched.
    gdk_display_flush(gdk_window_get_display(impl->window));
    if (GList* icons = ThemeIcons(kIconName)) {
        gdk_window_set_icon_list(impl->window, icons);
        g_list_free_full(icons, g_object_unref);
    }
    // The accessibility bridge, likewise: finding the bus takes longer than drawing the frame.
    StartAccessBridge(impl->window, impl->scale);
    return G_SOURCE_REMOVE;
}

unsigned VirtualKey(guint keyval) {
    switch (keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return VK_RETURN;
        case GDK_KEY_Escape: return VK_ESCAPE;
        case GDK_KEY_BackSpace: return VK_BACK;
        case GDK_KEY_Tab: return VK_TAB;
        case GDK_KEY_space: return VK_SPACE;
        case GDK_KEY_Page_Up:
        case GDK_KEY_KP_Page_Up: return VK_PRIOR;
        case GDK_KEY_Page_Down:
        case GDK_KEY_KP_Page_Down: return VK_NEXT;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home: return VK_HOME;
        case GDK_KEY_End:
        case GDK_KEY_KP_End: return VK_END;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left: return VK_LEFT;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up: return VK_UP;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right: return VK_RIGHT;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down: return VK_DOWN;
        case GDK_KEY_Delete: return VK_DELETE;
    }
    switch (keyval) {
        case GDK_KEY_plus:
        case GDK_KEY_equal: return VK_OEM_PLUS;
        case GDK_KEY_minus:
        case GDK_KEY_underscore: return VK_OEM_MINUS;
        case GDK_KEY_KP_Add: return VK_ADD;
        case GDK_KEY_KP_Subtract: return VK_SUBTRACT;
        case GDK_KEY_KP_0:
        case GDK_KEY_KP_Insert: return VK_NUMPAD0;
    }
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F12) return VK_F1 + (keyval - GDK_KEY_F1);
    guint lower = gdk_keyval_to_lower(keyval);
    if (lower >= GDK_KEY_a && lower <= GDK_KEY_z) return 'A' + (lower - GDK_KEY_a);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
    return 0;
}

void Draw(GtkHost::Impl* impl, const cairo_region_t* region) {
    GdkDrawingContext* frame = gdk_window_begin_draw_frame(impl->window, region);
    cairo_t* cr = gdk_drawing_context_get_cairo_context(frame);
    // What the screen does not cover (the rest of a scaled window) is white, or what the
    // screen's colours make of white.
    if (gdk_window_get_width(impl->window) > impl->width * impl->scale ||
        gdk_window_get_height(impl->window) > impl->height * impl->scale) {
        uint32_t back = TransformScreenPixel(0xFFFFFF, CurrentScreenColours());
        cairo_set_source_rgb(cr, (back >> 16) / 255.0, ((back >> 8) & 0xFF) / 255.0,
                             (back & 0xFF) / 255.0);
        cairo_paint(cr);
    }
    cairo_surface_t* screen = ComposeScreen();
    cairo_scale(cr, impl->scale, impl->scale);
    cairo_set_source_surface(cr, screen, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_surface_destroy(screen);
    gdk_window_end_draw_frame(impl->window, frame);
    impl->damaged = false;
    if (!impl->iconNamed && !impl->iconIdle)
        impl->iconIdle = g_idle_add_full(G_PRIORITY_LOW, NameWindowIcon, impl, nullptr);
}

// Tells a compositor that the window hides what lies behind it.
void SetOpaque(GdkWindow* window, int width, int height) {
    cairo_rectangle_int_t whole{0, 0, width, height};
    cairo_region_t* region = cairo_region_create_rectangle(&whole);
    gdk_window_set_opaque_region(window, region);
    cairo_region_destroy(region);
}

void OnConfigure(GtkHost::Impl* impl, const GdkEventConfigure& e) {
    SetOpaque(impl->window, e.width, e.height);
    if (!impl->fullScreen && !impl->maximized) {
        impl->normalWidth = e.width;
        impl->normalHeight = e.height;
    }
    int w = std::max(1, e.width / impl->scale), h = std::max(1, e.height / impl->scale);
    if (w == impl->width && h == impl->height) return;
    impl->width = w;
    impl->height = h;
    ScreenResized(w, h);
}

// A window manager gives the focus on the press that fetches a window from behind another and
// then passes that press on: a press without the focus, or this soon after it came, only
// brought the reader forward.
constexpr gint64 kFocusingPressWindow = 250000;  // microseconds

// How often a held drag's last move is given again.
constexpr guint kRepeatMoveMs = 80;

gboolean RepeatMove(gpointer data) {
    auto* impl = static_cast<GtkHost::Impl*>(data);
    InjectMouse(MouseAction::Move, impl->lastMoveX, impl->lastMoveY);
    return G_SOURCE_CONTINUE;
}

void StopRepeatingMove(GtkHost::Impl* impl) {
    if (impl->repeatMove) g_source_remove(impl->repeatMove);
    impl->repeatMove = 0;
}

// A press within the desktop's double-click time and distance of the one before counts on
// from it (up to a triple click, then a single one again). GTK's own 2- and 3-button events
// follow a press already counted here.
int CountClick(GtkHost::Impl* impl, const GdkEventButton& e) {
    gint time = 400, distance = 5;
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_get(settings, "gtk-double-click-time", &time, "gtk-double-click-distance",
                     &distance, nullptr);
    bool near = std::abs(e.x - impl->lastPressX) <= distance &&
                std::abs(e.y - impl->lastPressY) <= distance;
    bool soon = impl->clicks > 0 && e.time - impl->lastPressTime <= guint32(time);
    impl->clicks = near && soon && impl->clicks < 3 ? impl->clicks + 1 : 1;
    impl->lastPressTime = e.time;
    impl->lastPressX = e.x;
    impl->lastPressY = e.y;
    return impl->clicks;
}

void OnButton(GtkHost::Impl* impl, const GdkEventButton& e) {
    if (e.button != 1 || e.type == GDK_2BUTTON_PRESS || e.type == GDK_3BUTTON_PRESS) return;
    int x = int(e.x) / impl->scale, y = int(e.y) / impl->scale;
    int keys = ((e.state & GDK_CONTROL_MASK) ? MK_CONTROL : 0) |
               ((e.state & GDK_SHIFT_MASK) ? MK_SHIFT : 0);
    StopRepeatingMove(impl);
    if (e.type == GDK_BUTTON_PRESS &&
        (!impl->focused || g_get_monotonic_time() - impl->focusedAt < kFocusingPressWindow)) {
        // Without a window manager nothing else would give it.
        if (!impl->focused) gdk_window_focus(impl->window, e.time);
        InjectFocusingPress(x, y);
        return;
    }
    if (e.type == GDK_BUTTON_PRESS)
        InjectMouse(MouseAction::Down, x, y, CountClick(impl, e), keys);
    else
        InjectMouse(MouseAction::Up, x, y, 1, keys);
}

void OnMotion(GtkHost::Impl* impl, const GdkEventMotion& e) {
    if (!(e.state & GDK_BUTTON1_MASK)) {
        StopRepeatingMove(impl);  // the release went elsewhere
        return;
    }
    impl->lastMoveX = int(e.x) / impl->scale;
    impl->lastMoveY = int(e.y) / impl->scale;
    InjectMouse(MouseAction::Move, impl->lastMoveX, impl->lastMoveY);
    if (!impl->repeatMove) impl->repeatMove = g_timeout_add(kRepeatMoveMs, RepeatMove, impl);
}

void OnScroll(GtkHost::Impl* impl, const GdkEventScroll& e) {
    int delta = 0;
    if (e.direction == GDK_SCROLL_UP) delta = 120;
    if (e.direction == GDK_SCROLL_DOWN) delta = -120;
    if (e.direction == GDK_SCROLL_SMOOTH) delta = e.delta_y < 0 ? 120 : e.delta_y > 0 ? -120 : 0;
    WORD keys = WORD(((e.state & GDK_CONTROL_MASK) ? MK_CONTROL : 0) |
                     ((e.state & GDK_SHIFT_MASK) ? MK_SHIFT : 0));
    if (delta) InjectWheel(int(e.x) / impl->scale, int(e.y) / impl->scale, delta, keys);
}

void OnKey(GtkHost::Impl* impl, GdkEventKey* e) {
    // A screen reader hears every key first, and keeps the ones that are its commands.
    if (OfferKeyToAccessBridge(e)) return;
    bool down = e->type == GDK_KEY_PRESS;
    bool ctrl = e->state & GDK_CONTROL_MASK, alt = e->state & GDK_MOD1_MASK,
         shift = e->state & GDK_SHIFT_MASK;
    // Plain typing goes through the input method, which turns it into text.
    if (!ctrl && !alt && gtk_im_context_filter_keypress(impl->im, e)) return;
    unsigned vk = VirtualKey(e->keyval);
    if (vk) InjectKey(vk, down, ctrl, alt, shift);
    if (down && !ctrl && !alt && vk != VK_RETURN && vk != VK_ESCAPE && vk != VK_BACK &&
        vk != VK_TAB) {
        gunichar c = gdk_keyval_to_unicode(e->keyval);
        if (c >= 0x20 && c < 0xFFFF) InjectText(std::u16string(1, char16_t(c)));
    }
}

void OnCommit(GtkIMContext*, const gchar* text, gpointer) { InjectText(Utf8ToUtf16(text)); }

void OnFocus(GtkHost::Impl* impl, const GdkEventFocus& e) {
    impl->focused = e.in;
    if (e.in) impl->focusedAt = g_get_monotonic_time();
    if (e.in)
        gtk_im_context_focus_in(impl->im);
    else
        gtk_im_context_focus_out(impl->im);
    InjectDesktopFocus(e.in);
}

// Shown for the first time, the window asks for the keyboard: a window manager gives it to a
// window it maps anyway, but on a bare X server (a kiosk) nothing would, and typing would go
// nowhere.
void OnMap(GtkHost::Impl* impl) {
    if (impl->focusAsked) return;
    impl->focusAsked = true;
    gdk_window_focus(impl->window, LatestUserTime(impl->window));
}

void PassToGtk(GdkEvent* e, gpointer) { gtk_main_do_event(e); }

// Events for the window come here; all others (the clipboard's among them) go on to GTK.
void OnEvent(GdkEvent* e, gpointer data) {
    auto* impl = static_cast<GtkHost::Impl*>(data);
    if (e->any.window != impl->window) {
        gtk_main_do_event(e);
        return;
    }
    switch (e->type) {
        case GDK_EXPOSE: Draw(impl, e->expose.region); break;
        case GDK_CONFIGURE: OnConfigure(impl, e->configure); break;
        case GDK_BUTTON_PRESS:
        case GDK_2BUTTON_PRESS:
        case GDK_3BUTTON_PRESS:
        case GDK_BUTTON_RELEASE: OnButton(impl, e->button); break;
        case GDK_MOTION_NOTIFY: OnMotion(impl, e->motion); break;
        case GDK_SCROLL: OnScroll(impl, e->scroll); break;
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE: OnKey(impl, &e->key); break;
        case GDK_FOCUS_CHANGE: OnFocus(impl, e->focus_change); break;
        case GDK_MAP: OnMap(impl); break;
        case GDK_WINDOW_STATE:
            impl->fullScreen = e->window_state.new_window_state & GDK_WINDOW_STATE_FULLSCREEN;
            impl->maximized = e->window_state.new_window_state & GDK_WINDOW_STATE_MAXIMIZED;
            break;
        // The window goes when the program's main window is destroyed.
        case GDK_DELETE: InjectClose(); break;
        default: gtk_main_do_event(e); break;
    }
}

gboolean OnInstanceRequest(gint, GIOCondition, gpointer) {
    ServeOtherStarts();
    return G_SOURCE_CONTINUE;
}

// The clipboard targets the program offers, each served as its name says: UTF-8 text under the
// names text editors and terminals ask for, Latin-1 text as STRING only when the text has a
// Latin-1 form (STRING is Latin-1 by definition), and RTF under its two names.
enum ClipTarget : guint { kTargetText = 1, kTargetLatin1 = 2, kTargetRtf = 3 };
const GtkTargetEntry kTextTargets[] = {
    {const_cast<gchar*>("UTF8_STRING"), 0, kTargetText},
    {const_cast<gchar*>("text/plain;charset=utf-8"), 0, kTargetText},
};
const GtkTargetEntry kLatin1Targets[] = {
    {const_cast<gchar*>("STRING"), 0, kTargetLatin1},
};
const GtkTargetEntry kRtfTargets[] = {
    {const_cast<gchar*>("text/rtf"), 0, kTargetRtf},
    {const_cast<gchar*>("application/rtf"), 0, kTargetRtf},
};
// What the program reads from another program's clipboard, in the order it prefers them.
const char* const kRtfNames[] = {"text/rtf", "application/rtf"};
const char* const kTextNames[] = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING"};

// The clipboard's owner is the window, which carries the host's record.
void OnClipboardGet(GtkClipboard*, GtkSelectionData* data, guint info, gpointer owner) {
    auto* impl = static_cast<GtkHost::Impl*>(g_object_get_data(G_OBJECT(owner), "orvanel-host"));
    if (!impl) return;
    const SystemClipboard& c = impl->clipboard;
    const std::string& bytes = info == kTargetRtf      ? c.rtf
                               : info == kTargetLatin1 ? c.latin1
                                                       : c.text;
    gtk_selection_data_set(data, gtk_selection_data_get_target(data), 8,
                           reinterpret_cast<const guchar*>(bytes.data()), gint(bytes.size()));
}

// How long one read of another program's clipboard may take in all. An owner that does not
// answer (a stopped program) holds the reader up no longer than this; its clipboard then counts
// as holding nothing the reader can use.
constexpr gint64 kClipboardPatience = 2 * G_USEC_PER_SEC;

// One request to the clipboard's owner. Its reply comes through the main loop; a request given
// up before that waits in gAbandoned until the reply (or GTK's own time-out) comes at last.
struct ClipboardRequest {
    bool answered = false;
    bool abandoned = false;
    GtkSelectionData* data = nullptr;  // a copy of a reply that holds data
};
std::vector<std::unique_ptr<ClipboardRequest>> gAbandoned;

void OnClipboardReceived(GtkClipboard*, GtkSelectionData* data, gpointer p) {
    auto* request = static_cast<ClipboardRequest*>(p);
    if (request->abandoned) {
        std::erase_if(gAbandoned, [request](const auto& r) { return r.get() == request; });
        return;
    }
    request->answered = true;
    if (data && gtk_selection_data_get_length(data) >= 0)
        request->data = gtk_selection_data_copy(data);
}

gboolean OnPatienceOver(gpointer fired) {
    *static_cast<bool*>(fired) = true;
    return G_SOURCE_REMOVE;
}

// The owner's reply for the target, or nullptr when it has none or gives none before the
// deadline (monotonic time). The main context keeps running meanwhile: the window draws what it
// is asked to draw, and input goes into the program's queue, handled once the read is over.
GtkSelectionData* RequestTarget(GtkClipboard* cb, GdkAtom target, gint64 deadline) {
    auto* request = new ClipboardRequest;
    gtk_clipboard_request_contents(cb, target, OnClipboardReceived, request);
    while (!request->answered) {
        gint64 left = deadline - g_get_monotonic_time();
        if (left <= 0) {
            request->abandoned = true;
            gAbandoned.emplace_back(request);
            return nullptr;
        }
        bool fired = false;
        guint timer = g_timeout_add(guint(left / 1000) + 1, OnPatienceOver, &fired);
        g_main_context_iteration(nullptr, TRUE);
        if (!fired) g_source_remove(timer);
    }
    GtkSelectionData* data = request->data;
    delete request;
    return data;
}

// The first of the names that the owner offers, or GDK_NONE.
template <size_t N>
GdkAtom FirstOffered(const char* const (&names)[N], const GdkAtom* offered, gint count) {
    for (const char* name : names) {
        GdkAtom atom = gdk_atom_intern(name, FALSE);
        for (gint i = 0; i < count; ++i)
            if (offered[i] == atom) return atom;
    }
    return GDK_NONE;
}

// Whether a reply's type is one of the names (an owner may hand out something else than asked).
template <size_t N>
bool TypeIsOneOf(GtkSelectionData* data, const char* const (&names)[N]) {
    GdkAtom type = gtk_selection_data_get_data_type(data);
    for (const char* name : names)
        if (type == gdk_atom_intern(name, FALSE)) return true;
    return false;
}

void OnClipboardClear(GtkClipboard*, gpointer) {}

void OnPrimaryGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer owner) {
    auto* impl = static_cast<GtkHost::Impl*>(g_object_get_data(G_OBJECT(owner), "orvanel-host"));
    if (!impl) return;
    gtk_selection_data_set(data, gtk_selection_data_get_target(data), 8,
                           reinterpret_cast<const guchar*>(impl->primary.data()),
                           gint(impl->primary.size()));
}

// The window's size and maximised state are kept in values of their own in the reader's
// settings key, read when the window opens and written when the program ends.
constexpr char16_t kWindowKey[] = u"Software\\Velmora\\Orvanel";
constexpr char16_t kWindowWidth[] = u"WindowWidth";
constexpr char16_t kWindowHeight[] = u"WindowHeight";
constexpr char16_t kWindowMaximized[] = u"WindowMaximized";

// A stored DWORD, or -1 when there is none.
int64_t ReadWindowValue(HKEY key, const char16_t* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return value;
}

struct StoredWindow {
    int width = 0, height = 0;  // 0: none stored
    bool maximized = false;
};

StoredWindow ReadStoredWindow() {
    StoredWindow w;
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kWindowKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return w;
    int64_t width = ReadWindowValue(key, kWindowWidth),
            height = ReadWindowValue(key, kWindowHeight);
    if (width > 0 && height > 0 && width < 100000 && height < 100000) {
        w.width = int(width);
        w.height = int(height);
    }
    w.maximized = ReadWindowValue(key, kWindowMaximized) > 0;
    RegCloseKey(key);
    return w;
}

void WriteStoredWindow(const StoredWindow& w) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kWindowKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                       &disposition) != ERROR_SUCCESS)
        return;
    auto put = [key](const char16_t* name, DWORD value) {
        RegSetValueEx(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    if (w.width > 0 && w.height > 0) {
        put(kWindowWidth, DWORD(w.width));
        put(kWindowHeight, DWORD(w.height));
    }
    put(kWindowMaximized, w.maximized ? 1 : 0);
    RegCloseKey(key);
}

// The part of the desktop a window may take, in GTK's logical pixels.
GdkRectangle ScreenArea() {
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return area;
}

// The scale at which the reader's pixels are not tiny on a screen of this height: 1 up to about
// 1600 logical pixels, 2 up to about 2700, and so on.
int ScaleForScreen(const GdkRectangle& area) {
    return std::clamp((area.height + 540) / 1080, 1, 8);
}

}  // namespace

GtkHost::Impl* GtkHost::Prepare() {
    // GTK prints its own warnings when it cannot open a display; say it once, plainly.
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    if ((!x || !*x) && (!wl || !*wl)) return nullptr;
    g_log_set_writer_func(g_log_writer_default, nullptr, nullptr);
    // The window's class is the desktop entry's (its icon is set after the first frame).
    g_set_prgname("orvanel");
    // The caller sets the locale before any other thread runs; setlocale here could race with
    // the program's own start.
    gtk_disable_setlocale();
    // A plain GDK window has no decorations of its own: where X11 is there (under XWayland too),
    // the window manager draws them.
    gdk_set_allowed_backends("x11,*");
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->im = gtk_im_context_simple_new();
    g_signal_connect(impl->im, "commit", G_CALLBACK(OnCommit), nullptr);
    return impl.release();
}

void GtkHost::Discard(Impl* prepared) {
    if (!prepared) return;
    g_object_unref(prepared->im);
    delete prepared;
}

std::unique_ptr<GtkHost> GtkHost::Open(Impl* prepared, const GtkHostOptions& options) {
    if (!prepared) return nullptr;
    std::unique_ptr<Impl> impl(prepared);
    impl->width = options.width;
    impl->height = options.height;
    // GTK already draws in the desktop's own scale (its logical pixels are whole device pixels
    // at HiDPI); --scale multiplies on top of that. Without it, a screen of more than about
    // 1600 logical pixels' height (4K at the desktop's scale 1) shows each of the reader's pixels
    // as 2 x 2, and so on, so that its text is not tiny.
    const GdkRectangle area = ScreenArea();
    impl->scale = options.scale > 0 ? options.scale : ScaleForScreen(area);
    int windowWidth = impl->width * impl->scale, windowHeight = impl->height * impl->scale;
    StoredWindow stored = ReadStoredWindow();
    if (stored.width == 0 && !options.sizeGiven && area.height > 0) {
        // A first start: two thirds of the screen's height, in the handheld's proportions.
        windowHeight = area.height * 2 / 3;
        windowWidth = std::min(area.width > 0 ? area.width : windowHeight, windowHeight * 3 / 4);
        impl->width = std::max(1, windowWidth / impl->scale);
        impl->height = std::max(1, windowHeight / impl->scale);
    }
    if (stored.width > 0) {
        // A size stored on a larger screen is cut to this one.
        windowWidth = area.width > 0 ? std::min(stored.width, area.width) : stored.width;
        windowHeight = area.height > 0 ? std::min(stored.height, area.height) : stored.height;
        impl->width = std::max(1, windowWidth / impl->scale);
        impl->height = std::max(1, windowHeight / impl->scale);
    }
    impl->normalWidth = windowWidth;
    impl->normalHeight = windowHeight;

    GdkWindowAttr attributes{};
    attributes.window_type = GDK_WINDOW_TOPLEVEL;
    attributes.wclass = GDK_INPUT_OUTPUT;
    attributes.width = windowWidth;
    attributes.height = windowHeight;
    attributes.title = const_cast<gchar*>("Orvanel");
    // The desktop matches the window to its launcher by its class.
    attributes.wmclass_name = const_cast<gchar*>(g_get_prgname());
    attributes.wmclass_class = const_cast<gchar*>(gdk_get_program_class());
    attributes.event_mask = GDK_EXPOSURE_MASK | GDK_STRUCTURE_MASK | GDK_PROPERTY_CHANGE_MASK |
                            GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                            GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK |
                            GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK;
    impl->window = gdk_window_new(nullptr, &attributes, GDK_WA_TITLE | GDK_WA_WMCLASS);
    g_object_set_data(G_OBJECT(impl->window), "orvanel-host", impl.get());
    GdkGeometry hints{};
    hints.min_width = hints.min_height = 80;
    gdk_window_set_geometry_hints(impl->window, &hints, GDK_HINT_MIN_SIZE);
    gdk_window_set_type_hint(impl->window, GDK_WINDOW_TYPE_HINT_NORMAL);
    SetOpaque(impl->window, windowWidth, windowHeight);
    if (stored.maximized) gdk_window_maximize(impl->window);
    gdk_event_handler_set(OnEvent, impl.get(), nullptr);
    gtk_im_context_set_client_window(impl->im, impl->window);
    gdk_window_show(impl->window);
    gdk_notify_startup_complete();
    impl->iconTimeout = g_timeout_add(500, NameWindowIcon, impl.get());
    auto host = std::unique_ptr<GtkHost>(new GtkHost(std::move(impl)));
    InstallHost(host.get());
    // A logout, a closed terminal, kill or the X server going away end the program as closing
    // the window does, so that it saves what it saves at a normal exit.
    WatchSessionEnd([](int) { return InjectClose(); });
    return host;
}

std::unique_ptr<GtkHost> GtkHost::Create(const GtkHostOptions& options) {
    setlocale(LC_ALL, "");
    return Open(Prepare(), options);
}

GtkHost::GtkHost(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

GtkHost::~GtkHost() {
    if (CurrentHost() == this) InstallHost(nullptr);
    WriteStoredWindow({impl_->normalWidth, impl_->normalHeight, impl_->maximized});
    // Without a display nothing more can be said to it: the window and the clipboard went with
    // the server, and its connection would keep the main loop busy for ever.
    const bool lost = DisplayLost();
    // Leave what the program copied with the desktop's clipboard keeper, if there is one.
    GtkClipboard* cb = lost ? nullptr : gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (cb && gtk_clipboard_get_owner(cb) == G_OBJECT(impl_->window)) gtk_clipboard_store(cb);
    StopRepeatingMove(impl_.get());
    if (impl_->fdWatch) g_source_remove(impl_->fdWatch);
    if (impl_->iconIdle) g_source_remove(impl_->iconIdle);
    if (impl_->iconTimeout) g_source_remove(impl_->iconTimeout);
    StopAccessBridge();
    gdk_event_handler_set(PassToGtk, nullptr, nullptr);
    if (!lost) {
        gtk_im_context_set_client_window(impl_->im, nullptr);
        g_object_unref(impl_->im);
        gdk_window_destroy(impl_->window);
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }
    StopWatchingSessionEnd();
}

int GtkHost::ScreenWidth() const { return impl_->width; }
int GtkHost::ScreenHeight() const { return impl_->height; }

bool GtkHost::WaitForInput() {
    if (DisplayLost()) {
        // The program is on its way out (its main window was sent the close); whatever loop
        // still waits is not kept spinning flat out.
        g_usleep(10000);
        return true;
    }
    if (!impl_->fdWatch && SingleInstanceFd() >= 0)
        impl_->fdWatch = g_unix_fd_add(SingleInstanceFd(), G_IO_IN, OnInstanceRequest, nullptr);
    if (impl_->damaged) gdk_window_invalidate_rect(impl_->window, nullptr, FALSE);
    SyncAccessBridge();
    g_main_context_iteration(nullptr, TRUE);
    return true;
}

void GtkHost::ScreenDamaged() { impl_->damaged = true; }
bool GtkHost::HasDesktopFocus() const { return impl_->focused; }
void GtkHost::RaiseWindow() {
    if (DisplayLost()) return;
    gdk_window_show(impl_->window);
    // The window manager lets a window take the focus for the user's latest action.
    gdk_window_focus(impl_->window, LatestUserTime(impl_->window));
}

bool GtkHost::IsFullScreen() const { return impl_->fullScreen; }

void GtkHost::SetFullScreen(bool on) {
    // Said at once, so that a second request before the desktop answers toggles back.
    impl_->fullScreen = on;
    if (DisplayLost()) return;
    if (on)
        gdk_window_fullscreen(impl_->window);
    else
        gdk_window_unfullscreen(impl_->window);
}

void GtkHost::SetTitle(const std::string& title) {
    if (DisplayLost()) return;
    gdk_window_set_title(impl_->window, title.c_str());
}

bool GtkHost::OpenAddress(const std::string& address) {
    if (DisplayLost()) return false;
    GError* error = nullptr;
    if (!gtk_show_uri_on_window(nullptr, address.c_str(), GDK_CURRENT_TIME,
                                &error)) {
        std::fprintf(stderr, "orvanel: could not open %s: %s\n", address.c_str(),
                     error ? error->message : "no handler");
        if (error) g_error_free(error);
        return false;
    }
    return true;
}

void GtkHost::PublishClipboard(const SystemClipboard& contents) {
    impl_->clipboard = contents;
    if (DisplayLost()) return;
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    std::vector<GtkTargetEntry> targets;
    if (contents.hasRtf)
        targets.insert(targets.end(), std::begin(kRtfTargets), std::end(kRtfTargets));
    if (contents.hasText)
        targets.insert(targets.end(), std::begin(kTextTargets), std::end(kTextTargets));
    if (contents.hasText && contents.hasLatin1)
        targets.insert(targets.end(), std::begin(kLatin1Targets), std::end(kLatin1Targets));
    if (targets.empty()) {
        if (gtk_clipboard_get_owner(cb) == G_OBJECT(impl_->window)) gtk_clipboard_clear(cb);
        return;
    }
    gtk_clipboard_set_with_owner(cb, targets.data(), guint(targets.size()), OnClipboardGet,
                                 OnClipboardClear, G_OBJECT(impl_->window));
    gtk_clipboard_set_can_store(cb, nullptr, 0);
}

// The selection is offered as UTF-8 text under the names terminals and editors ask for; nothing
// selected gives the primary selection up, if the program still holds it.
void GtkHost::PublishPrimary(const std::string& text) {
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_PRIMARY);
    impl_->primary = text;
    if (text.empty()) {
        if (gtk_clipboard_get_owner(cb) == G_OBJECT(impl_->window)) gtk_clipboard_clear(cb);
        return;
    }
    gtk_clipboard_set_with_owner(cb, kTextTargets, guint(std::size(kTextTargets)), OnPrimaryGet,
                                 OnClipboardClear, G_OBJECT(impl_->window));
}

// Asks the owner what it has (TARGETS) before asking for any of it, and takes only what it
// offers, in a reply of the type asked for, all within kClipboardPatience.
bool GtkHost::FetchClipboard(unsigned forms, SystemClipboard* contents) {
    if (DisplayLost()) return false;
    GtkClipboard* cb = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (gtk_clipboard_get_owner(cb) == G_OBJECT(impl_->window)) return false;
    *contents = SystemClipboard{};
    const gint64 deadline = g_get_monotonic_time() + kClipboardPatience;
    GtkSelectionData* targets =
        RequestTarget(cb, gdk_atom_intern_static_string("TARGETS"), deadline);
    GdkAtom* offered = nullptr;
    gint count = 0;
    if (!targets || !gtk_selection_data_get_targets(targets, &offered, &count)) {
        if (targets) gtk_selection_data_free(targets);
        return true;  // no owner, or none that says what it has
    }
    gtk_selection_data_free(targets);
    GdkAtom rtf = (forms & kClipboardRtf) ? FirstOffered(kRtfNames, offered, count) : GDK_NONE;
    GdkAtom text = (forms & kClipboardText) ? FirstOffered(kTextNames, offered, count) : GDK_NONE;
    g_free(offered);
    if (rtf != GDK_NONE) {
        if (GtkSelectionData* data = RequestTarget(cb, rtf, deadline)) {
            gint length = gtk_selection_data_get_length(data);
            if (length > 0 && TypeIsOneOf(data, kRtfNames)) {
                contents->hasRtf = true;
                contents->rtf.assign(
                    reinterpret_cast<const char*>(gtk_selection_data_get_data(data)),
                    size_t(length));
            }
            gtk_selection_data_free(data);
        }
    }
    if (text != GDK_NONE) {
        if (GtkSelectionData* data = RequestTarget(cb, text, deadline)) {
            // Converted from the reply's own type (Latin-1 for STRING) into UTF-8.
            if (guchar* utf8 = gtk_selection_data_get_text(data)) {
                contents->hasText = true;
                contents->text = reinterpret_cast<const char*>(utf8);
                g_free(utf8);
            }
            gtk_selection_data_free(data);
        }
    }
    return true;
}

// The entries the program finds with dlsym when it loads this host as a module.
extern "C" __attribute__((visibility("default"))) void* OrvanelPrepareDesktopHost() {
    return GtkHost::Prepare();
}

extern "C" __attribute__((visibility("default"))) Host* OrvanelOpenDesktopHost(
    void* prepared, const DesktopHostOptions* options) {
    return GtkHost::Open(static_cast<GtkHost::Impl*>(prepared),
                         {options->width, options->height, options->scale, options->sizeGiven})
        .release();
}

extern "C" __attribute__((visibility("default"))) void OrvanelDiscardDesktopHost(void* prepared) {
    GtkHost::Discard(static_cast<GtkHost::Impl*>(prepared));
}
