// qzb: the arcade machine.
#include "app/roms/rom_resources.h"
#include "app/shell.h"

int main() {
    rom_resources_register();
    return app_main();
}
