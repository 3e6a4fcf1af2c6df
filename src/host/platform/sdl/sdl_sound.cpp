// SDL sound: the primary buffer only records the format and volume; the looping stream buffer
// is played by an SDL audio device whose callback consumes it from its play position. The
// callback runs on SDL's audio thread, so every access to the buffer locks the device.
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "host/platform/platform.h"
#include "host/platform/platform_internal.h"
#include "host/platform/sdl/sdl_internal.h"

struct PlatformSoundBuffer {
    bool primary = false;
    AudioFormat format;
    int32_t frequency = 22050;
    int32_t volume = 0;
    std::vector<uint8_t> bytes;
    uint32_t position = 0;
    bool playing = false;
    SDL_AudioDeviceID device = 0;
};

namespace {

struct SdlSound {
    bool open = false;
    std::unique_ptr<PlatformSoundBuffer> primary;
    std::unique_ptr<PlatformSoundBuffer> stream;
};

SdlSound sound;

bool valid(PlatformSoundBuffer* b) { return b && (b == sound.primary.get() || b == sound.stream.get()); }

float gain(int32_t hundredths_db) { return hundredths_db <= -10000 ? 0.0f : std::pow(10.0f, hundredths_db / 2000.0f); }

void consume(void* user, Uint8* out, int length) {
    auto* b = static_cast<PlatformSoundBuffer*>(user);
    const size_t size = b->bytes.size();
    const float g = gain(b->volume);
    for (int i = 0; i < length;) {
        if (b->format.bits == 16) {
            int16_t s;
            std::memcpy(&s, &b->bytes[b->position], 2);
            const int16_t v = static_cast<int16_t>(s * g);
            std::memcpy(out + i, &v, 2);
            i += 2;
            b->position = static_cast<uint32_t>((b->position + 2) % size);
        } else {
            out[i++] = static_cast<uint8_t>(128 + (b->bytes[b->position] - 128) * g);
            b->position = static_cast<uint32_t>((b->position + 1) % size);
        }
    }
}

void close_device(PlatformSoundBuffer* b) {
    if (b->device) SDL_CloseAudioDevice(b->device);
    b->device = 0;
}

bool open_device(PlatformSoundBuffer* b) {
    close_device(b);
    SDL_AudioSpec want{};
    want.freq = b->frequency;
    want.format = b->format.bits == 16 ? AUDIO_S16SYS : AUDIO_U8;
    want.channels = static_cast<Uint8>(b->format.channels);
    want.samples = 512;
    want.callback = consume;
    want.userdata = b;
    SDL_AudioSpec got{};
    b->device = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0); // SDL converts for the card
    return b->device != 0;
}

struct DeviceLock {
    SDL_AudioDeviceID id;
    explicit DeviceLock(PlatformSoundBuffer* b) : id(b->device) {
        if (id) SDL_LockAudioDevice(id);
    }
    ~DeviceLock() {
        if (id) SDL_UnlockAudioDevice(id);
    }
};

} // namespace

int32_t sound_device_open() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return PLATFORM_FAILED;
    sound.open = true;
    return PLATFORM_OK;
}

void sound_device_close() {
    if (sound.stream) close_device(sound.stream.get());
    sound.stream.reset();
    sound.primary.reset();
    if (sound.open) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sound.open = false;
}

int32_t sound_device_caps(bool* emulated) {
    if (!sound.open) return PLATFORM_FAILED;
    *emulated = true; // SDL mixes for us: there is no primary buffer to write directly
    return PLATFORM_OK;
}

int32_t sound_device_set_level(WindowHandle, bool write_primary) {
    if (!sound.open) return PLATFORM_FAILED;
    return write_primary ? PLATFORM_UNSUPPORTED : PLATFORM_OK;
}

PlatformSoundBuffer* sound_device_create_primary(bool) {
    if (!sound.open) return nullptr;
    sound.primary = std::make_unique<PlatformSoundBuffer>();
    sound.primary->primary = true;
    return sound.primary.get();
}

PlatformSoundBuffer* sound_device_create_stream(const AudioFormat& format, uint32_t bytes) {
    if (!sound.open || bytes == 0) return nullptr;
    if (sound.stream) close_device(sound.stream.get());
    auto b = std::make_unique<PlatformSoundBuffer>();
    b->format = format;
    b->frequency = format.rate;
    b->bytes.assign(bytes, 0);
    if (!open_device(b.get())) return nullptr;
    sound.stream = std::move(b);
    return sound.stream.get();
}

void sound_buffer_release(PlatformSoundBuffer* buffer) {
    if (buffer == nullptr) return;
    if (buffer == sound.stream.get()) {
        close_device(buffer);
        sound.stream.reset();
    } else if (buffer == sound.primary.get()) {
        sound.primary.reset();
    }
}

int32_t sound_buffer_set_format(PlatformSoundBuffer* buffer, const AudioFormat& format) {
    if (!valid(buffer) || !buffer->primary) return PLATFORM_FAILED;
    AudioFormat f = format;
    f.bits = f.bits == 16 ? 16 : 8;
    f.channels = f.channels == 2 ? 2 : 1;
    f.rate = f.rate == 44100 ? 44100 : 22050;
    buffer->format = f;
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
    if (!valid(buffer) || buffer->bytes.empty()) return PLATFORM_FAILED;
    if (!sound_ring_lock_parts(buffer->bytes.data(), static_cast<uint32_t>(buffer->bytes.size()), offset, bytes, part1,
                               bytes1, part2, bytes2))
        return PLATFORM_FAILED;
    if (buffer->device) SDL_LockAudioDevice(buffer->device); // until the unlock
    return PLATFORM_OK;
}

int32_t sound_buffer_unlock(PlatformSoundBuffer* buffer) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    if (buffer->device) SDL_UnlockAudioDevice(buffer->device);
    return PLATFORM_OK;
}

int32_t sound_buffer_play(PlatformSoundBuffer* buffer) {
    if (!valid(buffer) || buffer->device == 0) return PLATFORM_FAILED;
    buffer->playing = true;
    SDL_PauseAudioDevice(buffer->device, 0);
    return PLATFORM_OK;
}

int32_t sound_buffer_stop(PlatformSoundBuffer* buffer) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    if (buffer->device) SDL_PauseAudioDevice(buffer->device, 1);
    buffer->playing = false;
    return PLATFORM_OK;
}

int32_t sound_buffer_restore(PlatformSoundBuffer* buffer) { return valid(buffer) ? PLATFORM_OK : PLATFORM_FAILED; }

int32_t sound_buffer_position(PlatformSoundBuffer* buffer, uint32_t* play) {
    if (!valid(buffer) || buffer->bytes.empty()) return PLATFORM_FAILED;
    DeviceLock lock(buffer);
    *play = buffer->position;
    return PLATFORM_OK;
}

int32_t sound_buffer_set_volume(PlatformSoundBuffer* buffer, int32_t hundredths_db) {
    if (!valid(buffer)) return PLATFORM_FAILED;
    DeviceLock lock(buffer);
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
    if (buffer->primary || rate == buffer->frequency) return PLATFORM_OK;
    const bool was_playing = buffer->playing;
    buffer->frequency = rate;
    if (!open_device(buffer)) return PLATFORM_FAILED;
    if (was_playing) SDL_PauseAudioDevice(buffer->device, 0);
    return PLATFORM_OK;
}

int32_t sound_buffer_set_pan(PlatformSoundBuffer* buffer, int32_t) { return valid(buffer) ? PLATFORM_OK : PLATFORM_FAILED; }
