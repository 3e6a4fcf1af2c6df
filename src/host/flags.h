// Bits of the two settings words kept in the settings file: VideoFlags and AudioFlags.
#pragma once
#include <cstdint>

inline constexpr uint32_t VF_8BIT = 0x1;
inline constexpr uint32_t VF_SCANLINES = 0x2;
inline constexpr uint32_t VF_DIM_SCANLINES = 0x4;
inline constexpr uint32_t VF_SOFT = 0x8;
inline constexpr uint32_t VF_LOWRES = 0x10;
inline constexpr uint32_t VF_VSYNC = 0x20;
inline constexpr uint32_t VF_MMX = 0x40;
inline constexpr uint32_t VF_SHARP = 0x100;
inline constexpr uint32_t VF_FLIPCHAIN = 0x200;
inline constexpr uint32_t VF_NOT_FAMILY5 = 0x400;

inline constexpr uint32_t AF_ADPCM = 0x1;
inline constexpr uint32_t AF_FM_SSG = 0x2;
inline constexpr uint32_t AF_16BIT = 0x4;
inline constexpr uint32_t AF_STEREO = 0x8;
inline constexpr uint32_t AF_44K = 0x10;
inline constexpr uint32_t AF_INTERPOLATE = 0x20;
inline constexpr uint32_t AF_RECORD = 0x40;
