#include "shell/app_state.h"

AppState App;

void ResetAppState() { App = AppState{}; }
