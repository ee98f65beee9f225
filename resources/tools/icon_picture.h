#pragma once
// The program's icon (resource 101): a dark blue rounded square with an open white book, drawn
// on a 32 x 32 grid. Scale the context first for other sizes.
#include <cairo.h>

void DrawProgramIcon(cairo_t* cr);
