// The audio device and the stream: the device format, the ring of rendered blocks, and the
// writer that keeps a looping buffer about seven blocks ahead of its play position.
#include "host/audio.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/audio_record.h"
#include "host/flags.h"
#include "machine.h"

namespace {

constexpr int32_t RING_RATE = 22050;
constexpr int32_t DEVICE_RATE_HIGH = 44100;
// The largest block the writer produces: 367 stereo 16-bit frames, twice over.
constexpr uint32_t MAX_OUTPUT_BYTES = 2 * 367 * 4;

// Stream health. A ring block is
//  - sent when the writer wrote it to the device;
//  - dropped when the game's sound in it never reached the device: the renderer wrote over it, or
//    the writer jumped over it, before it was sent (the device had no room for it, so the ring
//    ran round), or the writer took it without writing it (the block that starts the stream, a
//    lock the device refused, no stream);
//  - repeated when the device played sound it had played before: the writer sent a ring block it
//    had already sent (it caught up with the renderer and jumped back over sent blocks: the game
//    fell behind the device), or the device's play position ran past everything written and
//    played the buffer's old contents (counted per whole block of such bytes).
// Blocks the writer sends before the renderer first reached them are the start-up silence, and
// are neither. The device's play position is read at every write attempt; a device that moves
// a whole buffer between two attempts is not seen.
constexpr uint32_t PLAY_POSITION_UNKNOWN = 0xFFFFFFFF;
enum RingBlockState : uint8_t { BLOCK_UNRENDERED = 0, BLOCK_FRESH = 1, BLOCK_SENT = 2 };
static_assert(sizeof AudioStreamState{}.ring_block_state == RING_BLOCKS);

void reset_stream_health() {
    AudioStreamState& a = machine.host.audio;
    std::memset(a.ring_block_state, BLOCK_UNRENDERED, sizeof a.ring_block_state);
    a.seen_render_block = machine.audio_ring.render_block;
    a.stale_bytes = 0;
}

// Blocks the renderer finished since the last look: a finished block that was still unsent
// loses its sound.
void note_rendered_blocks() {
    AudioStreamState& a = machine.host.audio;
    const int32_t render = machine.audio_ring.render_block;
    while (a.seen_render_block != render) {
        uint8_t& state = a.ring_block_state[a.seen_render_block];
        if (state == BLOCK_FRESH) ++a.blocks_dropped;
        state = BLOCK_FRESH;
        a.seen_render_block = (a.seen_render_block + 1) % RING_BLOCKS;
    }
}

// The writer is done with ring block `index`: written to the device or not.
void note_block_taken(int32_t index, bool written) {
    AudioStreamState& a = machine.host.audio;
    uint8_t& state = a.ring_block_state[index];
    if (written) {
        ++a.blocks_sent;
        if (state == BLOCK_SENT) ++a.blocks_repeated;
    } else if (state == BLOCK_FRESH) {
        ++a.blocks_dropped;
    }
    if (state != BLOCK_UNRENDERED) state = BLOCK_SENT;
}

// The device played from last_play to `play`: whatever it played beyond the bytes written since
// it last read them was old.
void note_device_played(uint32_t play, uint32_t block_out_bytes) {
    AudioStreamState& a = machine.host.audio;
    const uint32_t write_point = (a.send_pos + a.lead) % a.buffer_bytes;
    if (a.last_play == PLAY_POSITION_UNKNOWN) {
        // The stream's first reading: what lies before the first write point is the stream's
        // chosen latency, not old sound.
        a.last_play = play;
        a.unplayed_bytes = (write_point + a.buffer_bytes - play) % a.buffer_bytes;
        return;
    }
    const uint32_t moved = (play + a.buffer_bytes - a.last_play) % a.buffer_bytes;
    a.last_play = play;
    // Unplayed bytes end at the write point; they start there minus their count. When the play
    // position is not at their start (it ran past the end and came round), the stretch up to
    // them is old too.
    uint32_t fresh_played = 0;
    if (a.unplayed_bytes > 0) {
        const uint32_t unplayed_start = (write_point + a.buffer_bytes - a.unplayed_bytes) % a.buffer_bytes;
        const uint32_t previous_play = (play + a.buffer_bytes - moved) % a.buffer_bytes;
        const uint32_t gap = (unplayed_start + a.buffer_bytes - previous_play) % a.buffer_bytes;
        if (moved > gap) fresh_played = std::min(a.unplayed_bytes, moved - gap);
        a.unplayed_bytes -= fresh_played;
    }
    const uint32_t stale = moved - fresh_played;
    if (block_out_bytes == 0) return;
    a.stale_bytes += stale;
    a.blocks_repeated += a.stale_bytes / block_out_bytes;
    a.stale_bytes %= block_out_bytes;
}

uint32_t block_bytes() {
    const AudioRing& r = machine.audio_ring;
    return static_cast<uint32_t>(r.block_samples * r.bits / 8 * r.channels);
}

// Lost buffer: the stream starts again with the next block; a real driver's primary buffer is
// restored and set looping again.
void buffer_lost() {
    AudioStreamState& a = machine.host.audio;
    a.playing = 0;
    if (a.direct && a.primary && sound_buffer_restore(a.primary) == PLATFORM_OK) sound_buffer_play(a.primary);
}

int start_stream(uint32_t out_bytes, int32_t rate) {
    AudioStreamState& a = machine.host.audio;
    const AudioRing& r = machine.audio_ring;
    if (a.direct) {
        a.stream = a.primary;
    } else {
        if (a.stream) {
            sound_buffer_stop(a.stream);
            sound_buffer_release(a.stream);
            a.stream = nullptr;
        }
        a.buffer_bytes = 8 * out_bytes;
        a.stream = sound_device_create_stream(AudioFormat{r.channels, r.device_rate, r.bits}, a.buffer_bytes);
        if (a.stream == nullptr) {
            // No stream: the game goes on silent until sound is restarted, without asking the
            // device again for every block.
            a.playing = 1;
            a.buffer_bytes = 0;
            return 1;
        }
        uint8_t *p1 = nullptr, *p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        if (sound_buffer_lock(a.stream, 0, a.buffer_bytes, &p1, &n1, &p2, &n2) == PLATFORM_OK) {
            // Silence: 8-bit samples are offset by 128.
            std::memset(p1, r.bits == 8 ? 0x80 : 0, n1);
            if (p2) std::memset(p2, r.bits == 8 ? 0x80 : 0, n2);
            sound_buffer_unlock(a.stream);
        }
        sound_buffer_set_frequency(a.stream, rate);
        sound_buffer_set_pan(a.stream, 0);
    }
    sound_buffer_play(a.stream);
    audio_set_volume(machine.settings.volume);
    a.playing = 1;
    a.send_pos = 0;
    uint32_t blocks = out_bytes == 0 ? 0 : std::min<uint32_t>(8, a.buffer_bytes / out_bytes);
    a.lead = blocks > 0 ? (blocks - 1) * out_bytes : 0;
    a.last_play = PLAY_POSITION_UNKNOWN;
    return 1;
}

// One output frame after another: interpolated to twice the length, doubled, or copied.
void convert_block(const uint8_t* in, uint32_t in_bytes, uint8_t* out, bool interpolate, bool twice) {
    const AudioRing& r = machine.audio_ring;
    const uint32_t lane = static_cast<uint32_t>(r.bits / 8);
    const uint32_t frame = lane * static_cast<uint32_t>(r.channels);
    const uint32_t frames = in_bytes / frame;
    if (interpolate) {
        // The sample after the block is the next block's first (or the ring's spare bytes).
        for (uint32_t i = 0; i < frames; ++i) {
            const uint8_t* now = in + i * frame;
            const uint8_t* next = now + frame;
            uint8_t* o = out + 2 * i * frame;
            std::memcpy(o, now, frame);
            for (uint32_t c = 0; c < frame; c += lane) {
                if (lane == 1) {
                    o[frame + c] = static_cast<uint8_t>((now[c] + next[c]) >> 1);
                } else {
                    int16_t x, y;
                    std::memcpy(&x, now + c, 2);
                    std::memcpy(&y, next + c, 2);
                    const int16_t m = static_cast<int16_t>((x + y) >> 1);
                    std::memcpy(o + frame + c, &m, 2);
                }
            }
        }
    } else if (twice) {
        for (uint32_t i = 0; i < frames; ++i) {
            std::memcpy(out + 2 * i * frame, in + i * frame, frame);
            std::memcpy(out + (2 * i + 1) * frame, in + i * frame, frame);
        }
    } else {
        std::memcpy(out, in, in_bytes);
    }
}

// What the writer did with a block.
enum StreamResult { STREAM_NO_ROOM = 0, STREAM_WRITTEN = 1, STREAM_NOT_WRITTEN = 2 };

StreamResult stream_write(const uint8_t* block, uint32_t bytes) {
    AudioStreamState& a = machine.host.audio;
    const AudioRing& r = machine.audio_ring;
    const uint32_t f = machine.settings.audio_flags;
    const bool interpolate = (f & AF_44K) && (f & AF_INTERPOLATE);
    const bool twice = !interpolate && (f & AF_44K) && a.direct;
    const uint32_t out_bytes = (interpolate || twice) ? 2 * bytes : bytes;
    const int32_t rate = interpolate ? DEVICE_RATE_HIGH : r.ring_rate;
    if (r.ring_rate == 0 || out_bytes > MAX_OUTPUT_BYTES) return STREAM_NOT_WRITTEN;
    if (!a.playing) {
        start_stream(out_bytes, rate); // the starting block itself is dropped
        return STREAM_NOT_WRITTEN;
    }
    if (a.stream == nullptr || a.buffer_bytes == 0) return STREAM_NOT_WRITTEN;

    uint32_t play = 0;
    int32_t result = sound_buffer_position(a.stream, &play);
    if (result == PLATFORM_BUFFER_LOST) {
        buffer_lost();
        return STREAM_NO_ROOM;
    }
    if (result != PLATFORM_OK) return STREAM_NO_ROOM;
    note_device_played(play, out_bytes);
    // Room only while the play position is inside [send_pos, send_pos + lead): the part about to
    // be written was played already.
    const uint32_t past = (play + a.buffer_bytes - a.send_pos) % a.buffer_bytes;
    if (past >= a.lead) return STREAM_NO_ROOM;

    uint8_t *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    result = sound_buffer_lock(a.stream, (a.send_pos + a.lead) % a.buffer_bytes, out_bytes, &p1, &n1, &p2, &n2);
    if (result == PLATFORM_BUFFER_LOST) {
        buffer_lost();
        return STREAM_NO_ROOM;
    }
    if (result != PLATFORM_OK) return STREAM_NOT_WRITTEN;
    alignas(4) uint8_t out[MAX_OUTPUT_BYTES];
    convert_block(block, bytes, out, interpolate, twice);
    std::memcpy(p1, out, n1);
    if (p2) std::memcpy(p2, out + n1, n2);
    sound_buffer_unlock(a.stream);
    a.send_pos = (a.send_pos + out_bytes) % a.buffer_bytes;
    a.unplayed_bytes = std::min(a.buffer_bytes, a.unplayed_bytes + out_bytes);
    return STREAM_WRITTEN;
}

int32_t volume_to_hundredths_db(int32_t volume) {
    // The settings file may hold anything: the menu's range is 0..100.
    const int32_t v = std::clamp(volume, 0, 100);
    return v / 10 == 0 ? -10000 : -10000 >> (v / 10);
}

} // namespace

int32_t audio_volume_level(int32_t volume) { return volume_to_hundredths_db(volume); }

int audio_open(WindowHandle window, int32_t rate, int check_driver) {
    AudioStreamState& a = machine.host.audio;
    AudioRing& r = machine.audio_ring;
    a.window = window;
    a.direct = 0;
    if (sound_device_open() != PLATFORM_OK) return 0;
    if (check_driver) {
        bool emulated = true;
        a.direct = sound_device_caps(&emulated) == PLATFORM_OK && !emulated;
    }
    if (sound_device_set_level(window, a.direct != 0) != PLATFORM_OK) {
        a.direct = 0;
        if (sound_device_set_level(window, false) != PLATFORM_OK) {
            sound_device_close();
            return 0;
        }
    }
    a.primary = sound_device_create_primary(a.direct != 0);
    if (a.primary == nullptr) {
        sound_device_close();
        return 0;
    }
    uint32_t& flags = machine.settings.audio_flags;
    const AudioFormat wanted{(flags & AF_STEREO) ? 2 : 1, rate, (flags & AF_16BIT) ? 16 : 8};
    sound_buffer_set_format(a.primary, wanted);
    AudioFormat got = wanted;
    sound_buffer_get_format(a.primary, &got);
    r.bits = got.bits == 16 ? 16 : 8;
    r.channels = got.channels == 2 ? 2 : 1;
    r.device_rate = got.rate;
    r.stereo = r.channels == 2;
    r.ring_rate = RING_RATE;
    flags &= ~(AF_16BIT | AF_STEREO | AF_44K);
    if (r.bits == 16) flags |= AF_16BIT;
    if (r.stereo) flags |= AF_STEREO;
    if (r.device_rate == DEVICE_RATE_HIGH) flags |= AF_44K;
    a.buffer_bytes = 0;
    if (a.direct) sound_buffer_size(a.primary, &a.buffer_bytes);
    a.open = 1;
    return 1;
}

int audio_prepare_ring(int reuse) {
    AudioStreamState& a = machine.host.audio;
    AudioRing& r = machine.audio_ring;
    const bool same = r.ring && r.stereo == a.last_stereo && r.bits == a.last_bits && r.ring_rate == a.last_ring_rate;
    if (!(reuse && same)) {
        r.rendered = 0;
        r.render_block = 0;
        r.send_block = 1;
        r.block_samples = r.ring_rate / 60;
        std::free(r.ring);
        r.ring_bytes = static_cast<uint32_t>(RING_BLOCKS * r.block_samples * r.bits / 8 * r.channels + 4);
        r.ring = static_cast<uint8_t*>(std::calloc(r.ring_bytes, 1));
        if (r.ring == nullptr) {
            r.ring_bytes = 0;
            return 0;
        }
    }
    a.playing = 0;
    a.stream = nullptr;
    reset_stream_health();
    return 1;
}

void audio_stop(int keep_ring) {
    AudioStreamState& a = machine.host.audio;
    AudioRing& r = machine.audio_ring;
    if (a.stream) {
        sound_buffer_stop(a.stream);
        if (a.stream != a.primary) sound_buffer_release(a.stream);
    }
    a.stream = nullptr;
    a.playing = 0;
    a.last_stereo = r.stereo;
    a.last_bits = r.bits;
    a.last_ring_rate = r.ring_rate;
    recording_close();
    if (!keep_ring) {
        std::free(r.ring);
        r.ring = nullptr;
        r.ring_bytes = 0;
    }
}

void audio_close() {
    AudioStreamState& a = machine.host.audio;
    if (!a.open) return;
    if (a.stream && a.stream != a.primary) sound_buffer_release(a.stream);
    a.stream = nullptr;
    a.playing = 0;
    recording_close();
    if (a.primary) {
        sound_buffer_stop(a.primary);
        sound_buffer_release(a.primary);
    }
    a.primary = nullptr;
    sound_device_close();
    a.open = 0;
}

int audio_restart(int reuse) {
    if (machine.host.audio.open) {
        audio_stop(0);
        audio_close();
    }
    const int32_t rate = (machine.settings.audio_flags & AF_44K) ? DEVICE_RATE_HIGH : RING_RATE;
    if (!audio_open(machine.app.window, rate, 1)) return 0;
    if (!audio_prepare_ring(reuse)) {
        audio_close();
        return 0;
    }
    return 1;
}

int audio_send_block() {
    AudioRing& r = machine.audio_ring;
    if (!machine.host.audio.open || r.ring == nullptr) return 0;
    note_rendered_blocks();
    if (r.send_block == r.render_block) {
        // The block after the one being rendered is passed over.
        note_block_taken((r.send_block + 1) % RING_BLOCKS, false);
        r.send_block = (r.send_block + 2) % RING_BLOCKS;
    }
    const uint32_t bytes = block_bytes();
    const uint8_t* block = r.ring + static_cast<size_t>(r.send_block) * bytes;
    const StreamResult result = stream_write(block, bytes);
    if (result == STREAM_NO_ROOM) return 0;
    note_block_taken(r.send_block, result == STREAM_WRITTEN);
    if (machine.settings.audio_flags & AF_RECORD) recording_append(block, bytes);
    r.send_block = (r.send_block + 1) % RING_BLOCKS;
    return 1;
}

void audio_set_volume(int32_t volume) {
    machine.settings.volume = volume;
    AudioStreamState& a = machine.host.audio;
    if (a.stream) sound_buffer_set_volume(a.stream, volume_to_hundredths_db(volume));
}

int32_t audio_get_primary_volume() {
    int32_t volume = -1;
    const AudioStreamState& a = machine.host.audio;
    if (a.primary == nullptr || sound_buffer_get_volume(a.primary, &volume) != PLATFORM_OK) return -1;
    return volume;
}

void audio_set_primary_volume(int32_t volume) {
    const AudioStreamState& a = machine.host.audio;
    if (a.primary) sound_buffer_set_volume(a.primary, volume);
}
