#include "resources/program_resources.h"

void RegisterAccelerators();
void RegisterBitmaps();
void RegisterDialogs();
void RegisterMenus();

void RegisterProgramResources() {
    RegisterAccelerators();
    RegisterBitmaps();
    RegisterDialogs();
    RegisterMenus();
}
