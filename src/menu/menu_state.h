// State of the in-game menu (one instance, inside the machine state).
#pragma once
#include <cstdint>

struct MenuState {
    int32_t menu_open = 0;
    uint32_t menu_page = 0;
    int32_t menu_cursor = 0;
};
