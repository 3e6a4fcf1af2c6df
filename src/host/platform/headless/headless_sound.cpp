// The headless sound device: a primary buffer whose format can be refused, and looping buffers
// whose play position advances with the virtual clock. What passes the play position is kept,
// as a sound card would have played it.
#include <memory>
#include <vector>

#include "host/platform/headless/headless.h"
#include "host/platform/headless/headless_internal.h"
#include "host/platform/platform.h"
#include "host/platform/platform_internal.h"

struct PlatformSoundBuffer {
    bool primary = false;
    AudioFormat format;
    int32_t frequency = 22050;
    int32_t volume = 0;
    int32_t pan = 0;
    std::vector<uint8_t> bytes;
    bool playing = false;
    bool locked = false;
    uint64_t start_clock = 0;
    uint32_t start_position = 0;
    uint64_t recorded_until = 0; // bytes of play recorded so far
};

namespace {

struct SoundDevice {
    HeadlessSoundSwitches switches;
    bool open = false;
    int32_t lose = 0;
    int32_t created = 0;
    std::unique_ptr<PlatformSoundBuffer> primary;
    std::unique_ptr<PlatformSoundBuffer> stream;
    std::vector<uint8_t> played;
};

SoundDevice& device() {
    static SoundDevice d;
    return d;
}

bool valid(PlatformSoundBuffer* b) { return b && (b == device().primary.get() || b == device().stream.get()); }

// Bytes played since the buffer started, at the current virtual time.
uint64_t bytes_played(const PlatformSoundBuffer* b) {
    const uint64_t frame_bytes = static_cast<uint64_t>(b->format.channels) * (b->format.bits / 8);
    const uint64_t ticks = headless_clock_value() - b->start_clock;
    return ticks * static_cast<uint64_t>(b->frequency) / HEADLESS_COUNTER_FREQUENCY * frame_bytes;
}

void record_play(PlatformSoundBuffer* b) {
    if (!b->playing || b->bytes.empty()) return;
    const uint64_t total = bytes_played(b);
    const uint64_t size = b->bytes.size();
    if (!device().switches.keep_played) {
        b->recorded_until = total;
        return;
    }
    // More than a whole buffer behind: only the last pass is still in the buffer.
    if (total - b->recorded_until > size) b->recorded_until = total - size;
    for (; b->recorded_until < total; ++b->recorded_until)
        device().played.push_back(b->bytes[(b->start_position + b->recorded_until) % size]);
}

PlatformSoundBuffer* playing_buffer() {
    SoundDevice& d = device();
    if (d.stream) return d.stream.get();
    if (d.primary && !d.primary->bytes.empty()) return d.primary.get();
    return nullptr;
}

} // namespace

void headless_sound_reset() { device() = SoundDevice{}; }
HeadlessSoundSwitches& headless_sound_switches() { return device().switches; }
void headless_sound_lose_buffer(int32_t count) { device().lose = count; }
const std::vector<uint8_t>& headless_sound_played() {
    if (PlatformSoundBuffer* b = playing_buffer()) record_play(b);
    return device().played;
}

HeadlessSoundView headless_sound_stream() {
    PlatformSoundBuffer* b = playing_buffer();
    HeadlessSoundView v;
    v.created = device().created;
    if (b == nullptr) return v;
    v.bytes = b->bytes.data();
    v.size = static_cast<uint32_t>(b->bytes.size());
    v.format = b->format;
    v.frequency = b->frequency;
    v.volume = b->volume;
    v.pan = b->pan;
    v.playing = b->playing;
    sound_buffer_position(b, &v.position);
    return v;
}

void headless_sound_set_position(uint32_t byte_offset) {
    PlatformSoundBuffer* b = playing_buffer();
    if (b == nullptr) return;
    record_play(b);
    b->start_clock = headless_clock_value();
    b->start_position = byte_offset % b->bytes.size();
    b->recorded_until = 0;
}

int32_t sound_device_open() {
    SoundDevice& d = device();
    if (d.switches.no_device) return PLATFORM_FAILED;
    d.open = true;
    return PLATFORM_OK;
}

void sound_device_close() {
    SoundDevice& d = device();
    d.stream.reset();
    d.primary.reset();
    d.open = false;
}

int32_t sound_device_caps(bool* emulated) {
    if (!device().open) return PLATFORM_FAILED;
    *emulated = device().switches.emulated_driver;
    return PLATFORM_OK;
}

int32_t sound_device_set_level(WindowHandle, bool write_primary) {
    SoundDevice& d = device();
    if (!d.open) return PLATFORM_FAILED;
    if (write_primary && d.switches.emulated_driver) return PLATFORM_UNSUPPORTED;
    return PLATFORM_OK;
}

PlatformSoundBuffer* sound_device_create_primary(bool) {
    SoundDevice& d = device();
    if (!d.open) return nullptr;
    d.primary = std::make_unique<PlatformSoundBuffer>();
    d.primary->primary = true;
    d.primary->volume = d.switches.primary_volume;
    return d.primary.get();
}

PlatformSoundBuffer* sound_device_create_stream(const AudioFormat& format, uint32_t bytes) {
    SoundDevice& d = device();
    if (!d.open || d.switches.refuse_stream || bytes == 0) return nullptr;
    d.stream = std::make_unique<PlatformSoundBuffer>();
    d.stream->format = format;
    d.stream->frequency = format.rate;
    d.stream->bytes.assign(bytes, 0x33); // fresh buffers hold leftovers, not silence
    ++d.created;
    return d.stream.get();
}

void sound_buffer_release(PlatformSoundBuffer* buffer) {
    SoundDevice& d = device();
    if (buffer == nullptr) return;
    if (buffer == d.stream.get()) {
        record_play(buffer);
        d.stream.reset();
    } else if (buffer == d.primary.get()) {
        d.primary.reset();
    }
}

int32_t sound_buffer_set_format(PlatformSoundBuffer* buffer, const AudioFormat& format) {
    if (!valid(buffer) || !buffer->primary) return PLATFORM_FAILED;
    const HeadlessSoundSwitches& sw = device().switches;
    AudioFormat accepted = format;
    if (sw.only_8bit_mono) accepted = AudioFormat{1, 22050, 8};
    if (sw.refuse_44k && accepted.rate == 44100) accepted.rate = 22050;
    buffer->format = accepted;
    buffer->frequency = accepted.rate;
    if (!sw.emulated_driver) buffer->bytes.assign(sw.primary_bytes, 0x33);
    return PLATFORM_OK;
}

int32_t sound_buffer_get_format(PlatformSoundBuffer* buffer, AudioFormat* format) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    *format = buffer->format;
    return PLATFORM_OK;
}

int32_t sound_buffer_size(PlatformSoundBuffer* buffer, uint32_t* bytes) {
    if (!valid(buffer) || buffer->bytes.empty()) return PLATFORM_FAILED;
    *bytes = static_cast<uint32_t>(buffer->bytes.size());
    return PLATFORM_OK;
}

int32_t sound_buffer_lock(PlatformSoundBuffer* buffer, uint32_t offset, uint32_t bytes, uint8_t** part1,
                          uint32_t* bytes1, uint8_t** part2, uint32_t* bytes2) {
    SoundDevice& d = device();
    if (!valid(buffer) || buffer->bytes.empty() || buffer->locked) return PLATFORM_FAILED;
    if (d.lose > 0) {
        --d.lose;
        return PLATFORM_BUFFER_LOST;
    }
    if (!sound_ring_lock_parts(buffer->bytes.data(), static_cast<uint32_t>(buffer->bytes.size()), offset, bytes, part1,
                               bytes1, part2, bytes2))
        return PLATFORM_FAILED;
    record_play(buffer);
    buffer->locked = true;
    return PLATFORM_OK;
}

int32_t sound_buffer_unlock(PlatformSoundBuffer* buffer) {
    if (!valid(buffer) || !buffer->locked) return PLATFORM_FAILED;
    buffer->locked = false;
    return PLATFORM_OK;
}

int32_t sound_buffer_play(PlatformSoundBuffer* buffer) {
    if (!valid(buffer) || buffer->bytes.empty()) return PLATFORM_FAILED;
    if (!buffer->playing) {
        buffer->playing = true;
        buffer->start_clock = headless_clock_value();
        buffer->start_position = 0;
        buffer->recorded_until = 0;
    }
    return PLATFORM_OK;
}

int32_t sound_buffer_stop(PlatformSoundBuffer* buffer) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    record_play(buffer);
    buffer->playing = false;
    return PLATFORM_OK;
}

int32_t sound_buffer_restore(PlatformSoundBuffer* buffer) { return valid(buffer) ? PLATFORM_OK : PLATFORM_FAILED; }

int32_t sound_buffer_position(PlatformSoundBuffer* buffer, uint32_t* play) {
    SoundDevice& d = device();
    if (!valid(buffer) || buffer->bytes.empty()) return PLATFORM_FAILED;
    if (d.lose > 0) {
        --d.lose;
        buffer->playing = false;
        return PLATFORM_BUFFER_LOST;
    }
    if (!buffer->playing) {
        *play = buffer->start_position;
        return PLATFORM_OK;
    }
    record_play(buffer);
    *play = static_cast<uint32_t>((buffer->start_position + bytes_played(buffer)) % buffer->bytes.size());
    return PLATFORM_OK;
}

int32_t sound_buffer_set_volume(PlatformSoundBuffer* buffer, int32_t hundredths_db) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    buffer->volume = hundredths_db;
    return PLATFORM_OK;
}

int32_t sound_buffer_get_volume(PlatformSoundBuffer* buffer, int32_t* hundredths_db) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    *hundredths_db = buffer->volume;
    return PLATFORM_OK;
}

int32_t sound_buffer_set_frequency(PlatformSoundBuffer* buffer, int32_t rate) {
    if (!valid(buffer) || rate <= 0) return PLATFORM_FAILED;
    record_play(buffer);
    buffer->start_position = static_cast<uint32_t>((buffer->start_position + bytes_played(buffer)) % buffer->bytes.size());
    buffer->start_clock = headless_clock_value();
    buffer->recorded_until = 0;
    buffer->frequency = rate;
    return PLATFORM_OK;
}

int32_t sound_buffer_set_pan(PlatformSoundBuffer* buffer, int32_t pan) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    buffer->pan = pan;
    return PLATFORM_OK;
}
