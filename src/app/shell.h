// The application shell: program entry, window events, the message loop with its start-up
// stages, and shutdown.
// Touches: machine.app (its own), machine.host.display.starting/present_flip, and through their
// calls every subsystem's start-up and shutdown.
#pragma once
#include <cstdint>
#include "host/platform/platform.h"

// The entry point: runs the whole program and returns its exit code.
int app_main();
int init_instance();
void window_proc(const WindowEvent& event);
int message_loop();
int startup_stage(int n);
void cpu_feature_check();
void app_shutdown();
int allocate_work_block();
void release_resources();
// Stage 8: puts the board into its power-on state. 1 on success.
int machine_reset();
