// The save file's byte stream: run-length coding of zero bytes and the 4-byte scramble.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr size_t SAVE_IMAGE_SIZE = 65'536;
// The longest stream an image can code to (isolated zeros between non-zero bytes).
inline constexpr size_t SAVE_STREAM_MAX = 98'304;

// Codes `image` (SAVE_IMAGE_SIZE bytes) into `stream` (room for SAVE_STREAM_MAX bytes); returns
// the stream length.
size_t save_encode(const uint8_t* image, uint8_t* stream);
// Decodes `length` stream bytes into `image` (SAVE_IMAGE_SIZE bytes, cleared first). Tokens of a
// damaged stream that would reach past the image are cut off there.
void save_decode(const uint8_t* stream, size_t length, uint8_t* image);
// XORs byte i with key byte i mod 4; the same call undoes it.
void save_scramble(uint8_t* stream, size_t length);
