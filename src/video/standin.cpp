// Stand-in until the video chip lands.
#include "video/video.h"

void video_frame_tick() {}
void compute_fix_flags() {}
