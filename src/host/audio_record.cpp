#include "host/audio_record.h"

#include <cstdio>

#include "machine.h"

namespace {

constexpr uint32_t HEADER_BYTES = 44;

void put_u32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put_u16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void write_header(std::FILE* f, uint32_t data_bytes) {
    const AudioRing& ring = machine.audio_ring;
    const uint32_t align = static_cast<uint32_t>(ring.channels * ring.bits / 8);
    uint8_t h[HEADER_BYTES] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    put_u32(h + 4, 36 + data_bytes);
    put_u32(h + 16, 16);
    put_u16(h + 20, 1); // PCM
    put_u16(h + 22, static_cast<uint32_t>(ring.channels));
    put_u32(h + 24, static_cast<uint32_t>(ring.ring_rate));
    put_u32(h + 28, static_cast<uint32_t>(ring.ring_rate) * align);
    put_u16(h + 32, align);
    put_u16(h + 34, static_cast<uint32_t>(ring.bits));
    h[36] = 'd';
    h[37] = 'a';
    h[38] = 't';
    h[39] = 'a';
    put_u32(h + 40, data_bytes);
    std::fseek(f, 0, SEEK_SET);
    std::fwrite(h, 1, HEADER_BYTES, f);
    std::fseek(f, 0, SEEK_END);
}

} // namespace

void recording_append(const uint8_t* block, uint32_t bytes) {
    AudioStreamState& a = machine.host.audio;
    if (a.recording == nullptr) {
        a.recording = std::fopen(RECORDING_FILE_NAME, "wb");
        if (a.recording == nullptr) return;
        a.recorded_bytes = 0;
        write_header(a.recording, 0);
    }
    // A WAV file holds at most 4 GiB; a longer session keeps its first part.
    if (a.recorded_bytes > 0xFFFFFFFFu - HEADER_BYTES - bytes) return;
    a.recorded_bytes += static_cast<uint32_t>(std::fwrite(block, 1, bytes, a.recording));
}

void recording_close() {
    AudioStreamState& a = machine.host.audio;
    if (a.recording == nullptr) return;
    write_header(a.recording, a.recorded_bytes);
    std::fclose(a.recording);
    a.recording = nullptr;
    a.recorded_bytes = 0;
}
