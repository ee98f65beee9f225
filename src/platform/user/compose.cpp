// Composing the top-level windows onto the host's screen, with the screen's colours.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/hosting.h"
#include "platform/user/screen_colours.h"
#include "platform/user/second_core.h"
#include "platform/user/window_internal.h"

namespace {

// The shadow that sets dialogs and message boxes apart from what lies behind: this many pixels
// to the right of and below an owned window.
constexpr int kShadow = 2;

bool Covers(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Composes the windows, back to front, into `area` of the target (screen coordinates).
void ComposeWindows(cairo_t* cr, const RECT& area) {
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
    cairo_clip(cr);
    // The desktop shows grey only where no window lies; under a window that covers the area
    // the paint would be a wasted pass over the memory.
    bool covered = false;
    for (Window* w : wm::TopLevels())
        if ((w->style & WS_VISIBLE) && w->backing && Covers(w->rect, area)) covered = true;
    if (!covered) {
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        cairo_paint(cr);
    }
    for (Window* w : wm::TopLevels()) {
        if (!(w->style & WS_VISIBLE) || !w->backing) continue;
        cairo_surface_flush(w->backing);
        cairo_set_source_surface(cr, w->backing, w->rect.left, w->rect.top);
        cairo_rectangle(cr, w->rect.left, w->rect.top, w->rect.right - w->rect.left,
                        w->rect.bottom - w->rect.top);
        cairo_fill(cr);
        if (w->owner) {
            cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
            cairo_rectangle(cr, w->rect.right, w->rect.top + kShadow, kShadow,
                            w->rect.bottom - w->rect.top);
            cairo_rectangle(cr, w->rect.left + kShadow, w->rect.bottom,
                            w->rect.right - w->rect.left, kShadow);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

// Where a window shows on the screen: its rectangle, and the shadow of an owned window.
RECT Footprint(const Window* w) {
    RECT r = w->rect;
    if (w->owner) {
        r.right += kShadow;
        r.bottom += kShadow;
    }
    return r;
}

// The window that alone makes up `band` of the screen, if one does: the topmost window that
// shows there, when it covers the band.
const Window* SoleWindow(const RECT& band) {
    const Window* sole = nullptr;
    for (Window* w : wm::TopLevels())
        if ((w->style & WS_VISIBLE) && w->backing &&
            !wm::IsEmpty(wm::Intersect(Footprint(w), band)))
            sole = w;
    if (!sole || !Covers(sole->rect, band)) return nullptr;
    // A backing not yet grown to a window's new size holds only part of the band.
    if (cairo_image_surface_get_width(sole->backing) < band.right - sole->rect.left ||
        cairo_image_surface_get_height(sole->backing) < band.bottom - sole->rect.top)
        return nullptr;
    return sole;
}

// The pixel at x, y of an RGB24 image surface.
uint32_t* PixelAt(cairo_surface_t* s, int x, int y) {
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) +
                                       size_t(y) * cairo_image_surface_get_stride(s)) +
           x;
}

// A band of rows that one window makes up alone.
struct SoleBand {
    RECT band;
    const Window* window;
};

// Copies sole bands from their windows' backings into the screen's colours, taking the next
// band not yet taken until none is left: two cores sharing the work finish together.
void CopyBands(cairo_surface_t* screen, const std::vector<SoleBand>& bands,
               std::atomic<size_t>& next, ScreenColours colours) {
    ScreenColourCopier copier(colours);
    for (size_t i = next++; i < bands.size(); i = next++) {
        const RECT& band = bands[i].band;
        const Window* w = bands[i].window;
        for (int y = band.top; y < band.bottom; ++y)
            copier.Row(PixelAt(w->backing, band.left - w->rect.left, y - w->rect.top),
                       PixelAt(screen, band.left, y), band.right - band.left);
    }
}

// Composes `area` of the screen and gives it the screen's colours, in bands of rows small
// enough to stay in the processor's cache. Where one window makes up a whole band, its rows
// are copied straight from its backing into the screen's colours: one pass over the memory,
// shared between two cores when there is much of it. A band where windows overlap is composed
// first and coloured while still in the cache.
void ComposeArea(cairo_surface_t* screen, const RECT& area, ScreenColours colours) {
    constexpr int kBandBytes = 128 * 1024;
    constexpr size_t kSharedPixels = 512 * 1024;
    int width = area.right - area.left;
    int rows = std::max(1, kBandBytes / std::max(1, width * 4));
    cairo_surface_flush(screen);
    std::vector<SoleBand> sole;
    size_t solePixels = 0;
    cairo_t* cr = nullptr;
    ScreenColourCopier copier(colours);
    for (int top = area.top; top < area.bottom; top += rows) {
        RECT band{area.left, top, area.right, std::min(area.bottom, top + rows)};
        if (const Window* w = SoleWindow(band)) {
            cairo_surface_flush(w->backing);
            sole.push_back({band, w});
            solePixels += size_t(width) * size_t(band.bottom - band.top);
            continue;
        }
        if (!cr) cr = cairo_create(screen);
        ComposeWindows(cr, band);
        cairo_surface_flush(screen);
        for (int y = band.top; y < band.bottom; ++y)
            copier.Row(PixelAt(screen, band.left, y), PixelAt(screen, band.left, y), width);
    }
    if (cr) cairo_destroy(cr);
    std::atomic<size_t> next = 0;
    if (solePixels < kSharedPixels)
        CopyBands(screen, sole, next, colours);
    else
        RunOnTwoCores([&] { CopyBands(screen, sole, next, colours); },
                      [&] { CopyBands(screen, sole, next, colours); });
    cairo_surface_mark_dirty(screen);
}

// What a composed screen was made from: each visible top-level window, back to front, with its
// place and the version of its backing's contents.
struct Layer {
    const Window* window;
    RECT rect;
    uint64_t version;
    bool owned;
    bool operator==(const Layer& o) const {
        return window == o.window && rect.left == o.rect.left && rect.top == o.rect.top &&
               rect.right == o.rect.right && rect.bottom == o.rect.bottom && version == o.version &&
               owned == o.owned;
    }
};

std::vector<Layer> Layers() {
    std::vector<Layer> layers;
    for (Window* w : wm::TopLevels())
        if ((w->style & WS_VISIBLE) && w->backing)
            layers.push_back({w, w->rect, w->backingVersion, w->owner != nullptr});
    return layers;
}

// The last composed screen. Nobody draws into a composed screen, so while nothing on it changed
// it is handed out again, and once its users have let it go its memory takes the next one: a 4K
// screen is 33 MB, which the allocator would otherwise map and fault in afresh every frame.
struct LastScreen {
    cairo_surface_t* surface = nullptr;
    std::vector<Layer> layers;
    ScreenColours colours = ScreenColours::Normal;
};

LastScreen& Last() {
    static LastScreen last;
    return last;
}

}  // namespace

void ComposeInto(cairo_t* cr) {
    if (CurrentScreenColours() == ScreenColours::Normal) {
        Host* host = CurrentHost();
        ComposeWindows(
            cr, RECT{0, 0, host ? host->ScreenWidth() : 240, host ? host->ScreenHeight() : 320});
        return;
    }
    cairo_surface_t* s = ComposeScreen();
    cairo_save(cr);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(s);
}

// Whether two screens have the same windows in the same places, drawn on or not.
bool SameArrangement(const std::vector<Layer>& a, const std::vector<Layer>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        Layer x = a[i];
        x.version = b[i].version;
        if (!(x == b[i])) return false;
    }
    return true;
}

// The screen's colour transform applies here, to the composed picture, so that it reaches every
// window alike.
cairo_surface_t* ComposeScreen() {
    Host* host = CurrentHost();
    int w = host ? host->ScreenWidth() : 240, h = host ? host->ScreenHeight() : 320;
    LastScreen& last = Last();
    std::vector<Layer> layers = Layers();
    ScreenColours colours = CurrentScreenColours();
    bool sameSize = last.surface && cairo_image_surface_get_width(last.surface) == w &&
                    cairo_image_surface_get_height(last.surface) == h;
    if (sameSize && last.layers == layers && last.colours == colours)
        return cairo_surface_reference(last.surface);
    // With the same windows in the same places, only what was drawn since is composed again
    // (and transformed): a scrolled pane, not the whole 4K screen.
    RECT area{0, 0, w, h};
    bool reuse = sameSize && cairo_surface_get_reference_count(last.surface) == 1;
    if (reuse && last.colours == colours && SameArrangement(last.layers, layers)) {
        area = RECT{};
        for (const Layer& layer : layers) {
            const RECT& d = layer.window->drawn;
            if (wm::IsEmpty(d)) continue;
            RECT on{d.left + layer.rect.left, d.top + layer.rect.top, d.right + layer.rect.left,
                    d.bottom + layer.rect.top};
            area = wm::IsEmpty(area) ? on : wm::Union(area, on);
        }
        area = wm::Intersect(area, RECT{0, 0, w, h});
    }
    for (Window* top : wm::TopLevels()) top->drawn = RECT{};
    if (!reuse) {
        if (last.surface) cairo_surface_destroy(last.surface);
        last.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    }
    if (!wm::IsEmpty(area)) ComposeArea(last.surface, area, colours);
    last.layers = std::move(layers);
    last.colours = colours;
    return cairo_surface_reference(last.surface);
}

void ForgetComposedScreen() {
    LastScreen& last = Last();
    if (last.surface) cairo_surface_destroy(last.surface);
    last = LastScreen{};
}
