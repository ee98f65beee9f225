// Composing the top-level windows onto the host's screen, with the screen's colours.
#include <cstdint>
#include <vector>

#include "platform/hosting.h"
#include "platform/user/screen_colours.h"
#include "platform/user/window_internal.h"

namespace {

void ComposeWindows(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_paint(cr);
    for (Window* w : wm::TopLevels()) {
        if (!(w->style & WS_VISIBLE) || !w->backing) continue;
        cairo_surface_flush(w->backing);
        cairo_set_source_surface(cr, w->backing, w->rect.left, w->rect.top);
        cairo_rectangle(cr, w->rect.left, w->rect.top, w->rect.right - w->rect.left,
                        w->rect.bottom - w->rect.top);
        cairo_fill(cr);
        if (w->owner) {
            // A thin shadow sets dialogs and message boxes apart from what lies behind.
            cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
            cairo_rectangle(cr, w->rect.right, w->rect.top + 2, 2, w->rect.bottom - w->rect.top);
            cairo_rectangle(cr, w->rect.left + 2, w->rect.bottom, w->rect.right - w->rect.left, 2);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
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
        ComposeWindows(cr);
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
    if (!wm::IsEmpty(area)) {
        cairo_t* cr = cairo_create(last.surface);
        cairo_rectangle(cr, area.left, area.top, area.right - area.left, area.bottom - area.top);
        cairo_clip(cr);
        ComposeWindows(cr);
        cairo_destroy(cr);
        TransformScreenArea(last.surface, colours, area.left, area.top, area.right - area.left,
                            area.bottom - area.top);
    }
    last.layers = std::move(layers);
    last.colours = colours;
    return cairo_surface_reference(last.surface);
}

void ForgetComposedScreen() {
    LastScreen& last = Last();
    if (last.surface) cairo_surface_destroy(last.surface);
    last = LastScreen{};
}
