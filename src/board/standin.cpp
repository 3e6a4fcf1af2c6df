// Stand-in until the board lands.
#include "board/board.h"

void fill_handler_tables() {}
const PortHandlerEntry sound_port_read_list[] = {{0xFFFF, 0xFFFF, nullptr, nullptr, 0}};
const PortHandlerEntry sound_port_write_list[] = {{0xFFFF, 0xFFFF, nullptr, nullptr, 0}};
