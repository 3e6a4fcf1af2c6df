// Patches the waiting loops of known sound programs with the sound CPU's idle opcodes (ED 00 -
// ED 0B), so that a sound CPU that only waits ends its run instead of spinning. Programs are
// recognised by their identification texts; a rule whose bytes do not match is skipped.
#include <cstring>
#include <string>
#include <string_view>

#include "app/rom_images.h"
#include "machine.h"

namespace {

class SoundProgram {
  public:
    SoundProgram(uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

    uint8_t byte(size_t offset) const { return offset < size_ ? bytes_[offset] : 0; }
    uint16_t word(size_t offset) const { return static_cast<uint16_t>(byte(offset) | byte(offset + 1) << 8); }

    // The zero-terminated text at `offset`, cut at the end of the program.
    std::string_view text(size_t offset) const {
        if (offset >= size_) return {};
        const char* start = reinterpret_cast<const char*>(bytes_ + offset);
        return {start, strnlen(start, size_ - offset)};
    }

    void set(size_t offset, uint8_t value) {
        if (offset < size_) bytes_[offset] = value;
    }
    void hook(uint8_t idle_opcode, size_t offset) {
        set(offset, 0xED);
        set(offset + 1, idle_opcode);
    }

  private:
    uint8_t* bytes_;
    size_t size_;
};

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

void patch_tuk(SoundProgram& s) {
    if (s.byte(0x157) == 0x28) {
        s.hook(0x00, 0x157);
        s.hook(0x01, 0x13D);
    } else if (s.byte(0x15D) == 0x28) {
        s.hook(0x00, 0x15D);
        s.hook(0x01, 0x143);
    } else if (s.byte(0x151) == 0x28) {
        s.hook(0x02, 0x151);
    } else if (s.byte(0x144) == 0x28) {
        s.hook(0x02, 0x144);
    }
}

// The version named first in the text decides which alternative applies.
void patch_orvex(SoundProgram& s, std::string_view t2) {
    if (contains(t2, "1.2")) {
        if (s.byte(0xD487) == 0xFE) s.hook(0x03, 0xD487);
    } else if (contains(t2, "3.5")) {
        if (s.byte(0xD193) == 0xFE) s.hook(0x03, 0xD193);
    } else if (contains(t2, "6.4") || contains(t2, "2.2") || contains(t2, "6.5")) {
        if (s.byte(0x372) == 0xA7) {
            s.hook(0x04, 0x372);
        } else if (s.byte(0xCE53) == 0xA7) {
            s.hook(0x04, 0xCE53);
            s.set(0xEB8B, 0xC3); // JP 0xEB9E
            s.set(0xEB8C, 0x9E);
            s.set(0xEB8D, 0xEB);
        }
    } else if (contains(t2, "7.3")) {
        if (s.byte(0x372) == 0xA7) {
            s.hook(0x04, 0x372);
            s.set(0x246C, 0x01);
            s.set(0x2473, 0x00);
        }
    } else if (contains(t2, "8.4") || contains(t2, "8.5")) {
        if (s.byte(0x379) == 0xA7) s.hook(0x04, 0x379);
    }
}

void patch_renzai(SoundProgram& s, std::string_view t1) {
    if (contains(t1, "2.0a")) {
        if (s.byte(0x144) == 0x28) s.hook(0x02, 0x144);
    } else if (contains(t1, "3.0")) {
        for (size_t offset : {0x12F, 0x144, 0x13C, 0x140, 0x15B}) {
            if (s.word(offset) == 0xF528) {
                s.hook(0x02, offset);
                return;
            }
        }
        for (size_t offset : {0x1AD, 0x1B0, 0x185}) {
            if (s.word(offset) == 0xF628) {
                s.hook(0x06, offset);
                return;
            }
        }
    }
}

void patch_kvr(SoundProgram& s, std::string_view t1) {
    if (contains(t1, "Ver 0.0") && s.word(0x11D) == 0xF628) s.hook(0x06, 0x11D);
    if ((contains(t1, "Ver 1.0") || contains(t1, "Ver 1.1")) && s.word(0x13B) == 0xE528 &&
        s.word(0x131) == 0x1A20) {
        s.hook(0x09, 0x13B);
        s.hook(0x0B, 0x131);
    }
    if ((contains(t1, "Ver 1.3") || contains(t1, "Ver 1.6") || contains(t1, "Ver 1.7") ||
         contains(t1, "Ver 1.8")) &&
        s.word(0x144) == 0xE528 && s.word(0x13A) == 0x1920) {
        s.hook(0x09, 0x144);
        s.hook(0x0A, 0x13A);
    }
}

} // namespace

void patch_sound_program_image(uint8_t* program, size_t size) {
    SoundProgram s(program, size);
    // Copies: the patches below may write into the texts' neighbourhood.
    const std::string t1_text(s.text(0x3E));
    const std::string t2_text(s.text(0x71));
    const std::string_view t1 = t1_text, t2 = t2_text;

    if (contains(t1, "Ver 1.5b by Mr.Tuk") || contains(t1, "Ver 2.0 by Mr.Tuk")) patch_tuk(s);
    if (contains(t2, "(c) Copyright ORVEX")) patch_orvex(s, t2);
    if (contains(t2, "(c) Copyright TLM") && (contains(t2, "8.8A") || contains(t2, "8.7.8")) &&
        s.byte(0x379) == 0x20)
        s.hook(0x05, 0x379);
    if (contains(t1, "RENZAI")) patch_renzai(s, t1);
    if (s.word(0x1E5D) == 0x5BCA) s.hook(0x07, 0x1E5D);
    if (contains(t1, "To KVR")) patch_kvr(s, t1);
}

void patch_sound_program() {
    if (machine.app.sound_program == nullptr) return;
    patch_sound_program_image(machine.app.sound_program, SOUND_PROGRAM_SIZE);
}
