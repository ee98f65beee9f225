#include "reader/app_state.h"

#include "reader/reader_hooks.h"
#include "text/text_settings.h"

AppState App;
ReaderHooks Hooks;

void ResetAppState() { App = AppState{}; }

namespace {

// The text engine reads the display font's FontAsciiBase and the ViewFlags from the AppState.
[[maybe_unused]] const bool kTextSettingsBound = (BindTextSettings(&App.Font.FontAsciiBase, &App.Flags), true);

}  // namespace
