// Writes the drawable band of a 16-bit (5-6-5) frame buffer as a PNG, for a person to look at.
#pragma once
#include <string>

// Columns 0-327 and rows 15 above to 16 below the picture; false when the file cannot be written.
bool write_frame_png(const std::string& path);
