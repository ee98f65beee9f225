// Draws the program's icon (resource 101) at the desktop's icon sizes, as the hicolor theme
// lays them out: orvanel-icons FOLDER writes FOLDER/NxN/apps/NAME.png for each size.
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "resources/tools/icon_picture.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool WriteIcon(const std::filesystem::path& folder, const std::string& name, int size) {
    std::string dimension = std::to_string(size) + "x" + std::to_string(size);
    std::filesystem::path dir = folder / dimension / "apps";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(s);
    cairo_scale(cr, size / 32.0, size / 32.0);
    DrawProgramIcon(cr);
    cairo_destroy(cr);
    std::string path = (dir / (name + ".png")).string();
    bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) std::fprintf(stderr, "orvanel-icons: %s cannot be written\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvanel-icons FOLDER NAME\n");
        return 2;
    }
    for (int size : kSizes)
        if (!WriteIcon(argv[1], argv[2], size)) return 1;
    return 0;
}
