#include "resources/program_resources.h"

void RegisterAccelerators();

void RegisterProgramResources() { RegisterAccelerators(); }
