// Draws the program's bitmaps and writes them as PNG files into the folder given:
//   113.png  About logo, 29 x 33, one bit per pixel
//   114.png  six 16 x 16 tool images in one strip (previous, choose article, next, choose font,
//            search, search again), one bit per pixel
//   119.png  the search keyboard, 154 x 95, one bit per pixel: three rows of nine 17 x 25 keys
//            with the Hebrew letters, and a space bar under columns 2 to 6
//   201-203  outline markers, 9 x 9, one bit per pixel: boxed plus, boxed minus, page
//   101.png  the program icon, 32 x 32 in colour
// One-bit images store 0 for ink and 1 for paper. The PNGs are committed; run this again
// (target orvanel-bitmaps) only to change them.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/tools/icon_picture.h"
#include "resources/tools/one_bit_png.h"

namespace {

// A one-bit PNG of the surface: pixels darker than half are ink (0), others paper (1).
bool WriteOneBit(cairo_surface_t* s, const std::string& path) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    std::vector<std::vector<int>> rows(static_cast<size_t>(h),
                                       std::vector<int>(static_cast<size_t>(w)));
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            uint32_t p = row[x];
            int grey = int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
            rows[size_t(y)][size_t(x)] = grey >= 128 ? 1 : 0;
        }
    }
    std::string png = OneBitPng(rows);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    return std::fclose(f) == 0 && ok;
}

struct Canvas {
    Canvas(int w, int h) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        cairo_set_line_width(cr, 1);
    }
    ~Canvas() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    void Fill(double x, double y, double w, double h) {
        cairo_rectangle(cr, x, y, w, h);
        cairo_fill(cr);
    }
    // A one-pixel outline of the cells x .. x + w - 1, y .. y + h - 1.
    void Box(double x, double y, double w, double h) {
        cairo_rectangle(cr, x + 0.5, y + 0.5, w - 1, h - 1);
        cairo_stroke(cr);
    }
    void Line(double x0, double y0, double x1, double y1) {
        cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
        cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
        cairo_stroke(cr);
    }
    void Poly(std::initializer_list<double> xy) {
        const double* p = xy.begin();
        cairo_move_to(cr, p[0], p[1]);
        for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, p[i], p[i + 1]);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    // Text centred on (cx, cy) by its ink, in the face and pixel size given.
    void Centred(const char* utf8, double cx, double cy, const char* face, double size, bool bold) {
        cairo_select_font_face(cr, face, CAIRO_FONT_SLANT_NORMAL,
                               bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, size);
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_FULL);
        cairo_set_font_options(cr, o);
        cairo_font_options_destroy(o);
        cairo_text_extents_t e;
        cairo_text_extents(cr, utf8, &e);
        cairo_move_to(cr, int(cx - e.width / 2 - e.x_bearing),
                      int(cy - e.height / 2 - e.y_bearing));
        cairo_show_text(cr, utf8);
    }
    cairo_surface_t* surface;
    cairo_t* cr;
};

std::string Utf8(uint32_t c) {
    std::string s;
    if (c < 0x80) {
        s.push_back(char(c));
    } else if (c < 0x800) {
        s.push_back(char(0xC0 | (c >> 6)));
        s.push_back(char(0x80 | (c & 0x3F)));
    } else {
        s.push_back(char(0xE0 | (c >> 12)));
        s.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        s.push_back(char(0x80 | (c & 0x3F)));
    }
    return s;
}

// The letter codes in key order: key position p (1 = top right) shows kLetterKeys[p - 1];
// letter code c is the Hebrew letter U+05D0 + (c - 'a').
constexpr char kLetterKeys[] = "abcdefghijlkmonqprsutwvxyz{";

bool Keyboard(const std::string& dir) {
    Canvas k(154, 95);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 9; ++col) {
            int x = col * 17, y = row * 25;
            k.Box(x, y, 18, 26);
            int position = 9 * (row + 1) - col;
            uint32_t letter = 0x05D0 + uint32_t(kLetterKeys[position - 1] - 'a');
            cairo_set_antialias(k.cr, CAIRO_ANTIALIAS_DEFAULT);
            k.Centred(Utf8(letter).c_str(), x + 9, y + 13, "DejaVu Sans", 15, true);
            cairo_set_antialias(k.cr, CAIRO_ANTIALIAS_NONE);
        }
    // The space bar under columns 2 to 6, with a bracket showing a space.
    k.Box(34, 78, 86, 17);
    k.Line(55, 84, 55, 88);
    k.Line(55, 88, 99, 88);
    k.Line(99, 84, 99, 88);
    return WriteOneBit(k.surface, dir + "/119.png");
}

bool Tools(const std::string& dir) {
    Canvas t(96, 16);
    // 0 previous article: an arrow to the left.
    t.Poly({1, 8, 7, 2, 7, 5.5, 14, 5.5, 14, 10.5, 7, 10.5, 7, 14});
    // 1 choose article: a list of entries with markers.
    for (int i = 0; i < 4; ++i) {
        t.Fill(16 + 2, 2 + i * 3.5, 2, 2);
        t.Fill(16 + 6, 2 + i * 3.5, 8, 2);
    }
    t.Box(16 + 0, 0, 16, 16);
    // 2 next article: an arrow to the right.
    t.Poly(
        {32 + 15, 8, 32 + 9, 2, 32 + 9, 5.5, 32 + 2, 5.5, 32 + 2, 10.5, 32 + 9, 10.5, 32 + 9, 14});
    // 3 choose font: a large and a small letter.
    cairo_set_antialias(t.cr, CAIRO_ANTIALIAS_DEFAULT);
    t.Centred("A", 48 + 6, 8, "DejaVu Sans", 15, true);
    t.Centred("a", 48 + 12, 10, "DejaVu Sans", 9, true);
    cairo_set_antialias(t.cr, CAIRO_ANTIALIAS_NONE);
    // 4 search and 5 search again: a magnifier; the second with an arrow.
    for (int i = 0; i < 2; ++i) {
        double x = 64 + 16 * i;
        cairo_set_antialias(t.cr, CAIRO_ANTIALIAS_DEFAULT);
        cairo_set_line_width(t.cr, 2);
        double r = i ? 3.4 : 4.2, c = i ? 5.5 : 6.5;
        cairo_arc(t.cr, x + c, c + i * 2, r, 0, 6.3);
        cairo_stroke(t.cr);
        cairo_set_line_width(t.cr, 3);
        cairo_move_to(t.cr, x + c + 3, c + 3 + i * 2);
        cairo_line_to(t.cr, x + 14.5, 14.5);
        cairo_stroke(t.cr);
        cairo_set_line_width(t.cr, 1);
        cairo_set_antialias(t.cr, CAIRO_ANTIALIAS_NONE);
    }
    t.Poly({80 + 11, 0, 80 + 16, 3.5, 80 + 11, 7});
    t.Fill(80 + 8, 2.5, 3, 2);
    return WriteOneBit(t.surface, dir + "/114.png");
}

bool Logo(const std::string& dir) {
    Canvas l(29, 33);
    // An open book seen from above, with lines of text, under a star.
    l.Poly({14.5, 0,  16.5, 4.5,  21,   5, 17.5, 8, 18.5, 12.5,
            14.5, 10, 10.5, 12.5, 11.5, 8, 8,    5, 12.5, 4.5});
    l.Line(0, 16, 0, 31);
    l.Line(28, 16, 28, 31);
    l.Line(0, 16, 13, 18);
    l.Line(15, 18, 28, 16);
    l.Line(0, 31, 13, 32);
    l.Line(15, 32, 28, 31);
    l.Line(14, 18, 14, 32);
    for (int i = 0; i < 5; ++i) {
        l.Line(3, 20 + i * 2.4, 11, 21 + i * 2.4);
        l.Line(17, 21 + i * 2.4, 25, 20 + i * 2.4);
    }
    return WriteOneBit(l.surface, dir + "/113.png");
}

bool Markers(const std::string& dir) {
    Canvas plus(9, 9), minus(9, 9), page(9, 9);
    plus.Box(0, 0, 9, 9);
    plus.Line(2, 4, 6, 4);
    plus.Line(4, 2, 4, 6);
    minus.Box(0, 0, 9, 9);
    minus.Line(2, 4, 6, 4);
    page.Line(1, 0, 5, 0);
    page.Line(5, 0, 7, 2);
    page.Line(7, 2, 7, 8);
    page.Line(1, 8, 7, 8);
    page.Line(1, 0, 1, 8);
    page.Line(5, 0, 5, 2);
    page.Line(5, 2, 7, 2);
    page.Line(3, 4, 5, 4);
    page.Line(3, 6, 5, 6);
    return WriteOneBit(plus.surface, dir + "/201.png") &&
           WriteOneBit(minus.surface, dir + "/202.png") &&
           WriteOneBit(page.surface, dir + "/203.png");
}

bool Icon(const std::string& dir) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 32, 32);
    cairo_t* cr = cairo_create(s);
    DrawProgramIcon(cr);
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(s, (dir + "/101.png").c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanel-bitmaps FOLDER\n");
        return 2;
    }
    std::string dir = argv[1];
    if (!(Keyboard(dir) && Tools(dir) && Logo(dir) && Markers(dir) && Icon(dir))) {
        std::fprintf(stderr, "orvanel-bitmaps: could not write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
