// The board as the game sees it: registers, memories and the small helpers over them.
#pragma once
#include <stdint.h>

#define REG8(a) (*(volatile uint8_t*)(a))
#define REG16(a) (*(volatile uint16_t*)(a))

#define P1_INPUT REG8(0x300000)
#define P2_INPUT REG8(0x340000)
#define START_INPUT REG8(0x380000)
#define SOUND_COMMAND REG8(0x320000)
#define VRAM_ADDR REG16(0x3C0000)
#define VRAM_DATA REG16(0x3C0002)
#define VRAM_MOD REG16(0x3C0004)
#define VRAM_MODE REG16(0x3C0006)    // write: animation speed in the high byte
#define LINE_COUNTER REG16(0x3C0006) // read: raster line in bits 15-7
#define PALETTE_RAM ((volatile uint16_t*)0x400000)
#define BACKUP_RAM ((volatile uint8_t*)0xD00000)

#define LATCH_PALETTE_BANK1 REG8(0x3A000F)
#define LATCH_PALETTE_BANK0 REG8(0x3A001F)
#define LATCH_BACKUP_LOCK REG8(0x3A000D)
#define LATCH_BACKUP_UNLOCK REG8(0x3A001D)

// Input bits (active low in the registers; the helpers return them active high).
enum { IN_UP = 1, IN_DOWN = 2, IN_LEFT = 4, IN_RIGHT = 8, IN_A = 16, IN_B = 32, IN_C = 64, IN_D = 128 };
enum { IN_P1_START = 1, IN_P1_SELECT = 2, IN_P2_START = 4, IN_P2_SELECT = 8 };

// Sound commands understood by the sound program.
enum {
    SND_TITLE_MUSIC = 0x01,
    SND_GAME_MUSIC = 0x02,
    SND_STOP_MUSIC = 0x03,
    SND_SHOT = 0x10,
    SND_EXPLOSION = 0x11,
    SND_PLAYER_HIT = 0x12,
    SND_START = 0x13,
    SND_VOICE = 0x20,
};

extern volatile uint32_t frame_count;
// crt0.S: idles until the next frame interrupt.
void idle_until_frame(void);

// sound.c: waits for the next frame and sends the next queued sound command.
void wait_frame(void);
// Queues a sound command (one goes out per frame).
void sound(uint8_t command);

// video.c
void vram_fill(uint16_t address, uint16_t count, uint16_t value);
void sprite_clear_all(void);
void sprite_tiles(uint16_t sprite, uint16_t first_tile, uint16_t tile_count, uint16_t attributes);
void sprite_set(uint16_t sprite, int x, int y, uint16_t height, uint16_t shrink, uint16_t sticky);
void sprite_hide(uint16_t sprite);
void fix_clear(void);
void fix_text(int column, int row, uint16_t palette, const char* text);
void fix_number(int column, int row, uint16_t palette, uint32_t value, int digits);
void palettes_load(void);
void set_animation_speed(uint8_t frames);
uint16_t raster_line(void);

// scores.c
#define SCORE_ENTRIES 5
struct ScoreEntry {
    uint32_t score;
    char name[4];
};
extern struct ScoreEntry score_table[SCORE_ENTRIES];
void scores_load(void);
int scores_insert(uint32_t score, const char* name); // the rank reached, or -1
void scores_save(void);

// bank1.c: data kept in the second bank of the program ROM
extern const int8_t sine_table[256];
extern const struct ScoreEntry default_scores[SCORE_ENTRIES];
extern const uint16_t palette_normal[16][16];
extern const char* const attract_lines[6];

static inline uint8_t read_player(int player) {
    return (uint8_t) ~(player ? P2_INPUT : P1_INPUT);
}
static inline uint8_t read_start(void) {
    return (uint8_t)(~START_INPUT & 0x0F);
}

void* memset(void* d, int c, unsigned long n);
void* memcpy(void* d, const void* s, unsigned long n);
