// The video chip: video RAM and its registers, the per-frame tick, the sprite pass, the fix layer
// and the palette conversion into the host's pixel format.
// Touches: machine.video (its own), machine.board (palette RAM, dirty flags, palette bank),
// machine.roms (fix tiles, sprite patterns and tile tables), machine.main_cpu (live cycle count,
// saved PC pointer), the frame buffer in machine.app.work_block, machine.settings.video_flags.
#pragma once
#include <cstdint>

void video_frame_tick();
// Classifies every fix tile of both banks into the fix flag table (all transparent / all opaque).
void compute_fix_flags();
