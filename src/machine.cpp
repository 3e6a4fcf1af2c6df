#include "machine.h"

#include <memory>

MachineState machine;

void machine_reset_state() {
    // Rebuilt in place: the record is several MiB and must not pass through the stack.
    std::destroy_at(&machine);
    std::construct_at(&machine);
}
