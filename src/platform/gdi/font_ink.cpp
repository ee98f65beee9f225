// The ink of one unit, measured by drawing it alone on a scratch surface with the face's own
// Draw, so the box is exactly the pixels that drawing paints, whatever the engine.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/font_engine.h"

const InkBox& FontFace::Ink(char16_t unit) {
    auto known = ink_.find(unit);
    if (known != ink_.end()) return known->second;
    const FontMetrics& m = Metrics();
    int span = 2 * std::max({m.height, m.maxCharWidth, Advance(unit), 8});
    int size = 2 * span;  // the pen in the middle, room for the ink on every side
    InkBox box;
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(scratch);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // as text drawing sets it
    cairo_set_source_rgb(cr, 0, 0, 0);
    const int pen = 0;
    Draw(cr, span, span, &unit, 1, &pen);
    cairo_destroy(cr);
    cairo_surface_flush(scratch);
    if (cairo_surface_status(scratch) == CAIRO_STATUS_SUCCESS) {
        const unsigned char* data = cairo_image_surface_get_data(scratch);
        int stride = cairo_image_surface_get_stride(scratch);
        int left = size, top = size, right = -1, bottom = -1;
        for (int y = 0; y < size; ++y) {
            auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
            for (int x = 0; x < size; ++x) {
                if (!(row[x] >> 24)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        box.known = right < 0 || (left > 0 && top > 0 && right < size - 1 && bottom < size - 1);
        box.empty = right < 0;
        if (!box.empty)
            box = InkBox{box.known,        false, left - span, top - span, right + 1 - span,
                         bottom + 1 - span};
    }
    cairo_surface_destroy(scratch);
    return ink_.emplace(unit, box).first->second;
}
