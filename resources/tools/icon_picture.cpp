#include "resources/tools/icon_picture.h"

void DrawProgramIcon(cairo_t* cr) {
    // A dark blue rounded square with an open white book.
    cairo_new_path(cr);
    cairo_arc(cr, 6, 6, 5, 3.1416, 4.7124);
    cairo_arc(cr, 26, 6, 5, 4.7124, 6.2832);
    cairo_arc(cr, 26, 26, 5, 0, 1.5708);
    cairo_arc(cr, 6, 26, 5, 1.5708, 3.1416);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.10, 0.20, 0.45);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, 16, 11);
    cairo_curve_to(cr, 12, 8, 8, 8, 5, 9);
    cairo_line_to(cr, 5, 25);
    cairo_curve_to(cr, 8, 24, 12, 24, 16, 27);
    cairo_curve_to(cr, 20, 24, 24, 24, 27, 25);
    cairo_line_to(cr, 27, 9);
    cairo_curve_to(cr, 24, 8, 20, 8, 16, 11);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.10, 0.20, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 16, 11);
    cairo_line_to(cr, 16, 26);
    cairo_stroke(cr);
    for (int i = 0; i < 4; ++i) {
        cairo_move_to(cr, 8, 13 + i * 3);
        cairo_line_to(cr, 14, 14 + i * 3);
        cairo_move_to(cr, 18, 14 + i * 3);
        cairo_line_to(cr, 24, 13 + i * 3);
    }
    cairo_stroke(cr);
}
