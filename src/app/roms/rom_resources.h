// The images built into the executable.
#pragma once

// Makes the built-in images findable through the platform's resource lookup.
void rom_resources_register();
