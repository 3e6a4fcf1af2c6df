// The one machine state: every field of the emulated board and of the host side, in one record
// with one global instance. Handlers and opcode routines reach it through `machine`, since a
// handler receives only an address and a value. Each member is owned by one subsystem (named in
// the header that defines its type); others touch only the fields their headers name.
#pragma once
#include "app/app_state.h"
#include "app/settings.h"
#include "board/board_state.h"
#include "cpu68k/cpu68k_state.h"
#include "cpu68k/main_bus.h"
#include "cpuz80/cpuz80_state.h"
#include "host/host_state.h"
#include "menu/menu_state.h"
#include "sound/sound_state.h"
#include "video/video_state.h"

struct MachineState {
    AppState app;
    Settings settings;
    RomState roms;
    MainBus bus;
    MainCpuState main_cpu;
    BoardState board;
    VideoState video;
    SoundCpuState sound_cpu;
    SoundChipState sound_chip;
    SoundTiming sound_timing;
    AudioRing audio_ring;
    HostState host;
    MenuState menu;
};

extern MachineState machine;

// Puts every field back to its program-start value (tests use it between cases). Frees nothing:
// call it only when no heap block is held.
void machine_reset_state();
