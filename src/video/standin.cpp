// Stand-in until the video chip lands.
#include "video/video.h"

uint32_t video_register_read_word(uint32_t) { return 0xFFFF; }
uint32_t video_register_read_long(uint32_t) { return 0xFFFFFFFF; }
void video_register_write_word(uint32_t, uint32_t) {}
void video_register_write_long(uint32_t, uint32_t) {}
void video_frame_tick() {}
void convert_all_palettes() {}
void convert_dirty_palettes() {}
void reset_kept_palettes() {}
void collect_sprite_palettes() {}
void collect_fix_palettes() {}
void allocate_host_palette() {}
void render_sprites() {}
void render_fix_layer() {}
void video_use_format_16(uint32_t, uint32_t, uint32_t) {}
void video_use_format_8() {}
void compute_fix_flags() {}
