#include "shell/app_state.h"

#include "text/text_settings.h"

AppState App;

void ResetAppState() { App = AppState{}; }

// The text engine reads these two settings through accessors (text/text_settings.h).
int32_t CurrentAsciiBase() { return App.Font.FontAsciiBase; }
uint32_t CurrentViewFlags() { return App.Flags; }
