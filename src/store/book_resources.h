#pragma once
// The book compiled into the program: the 27 containers as RCDATA 1001-1026 and 32767.

// Adds the embedded containers to the resource table. Defined by the orvanel_book library.
void RegisterBookResources();
