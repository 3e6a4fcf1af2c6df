// The demo game: a title screen with its attract pages, then a shooter for one or two players
// between two scrolling walls, with a high-score table kept in backup RAM.
#include "hw.h"

// Sprite slots.
enum {
    SPR_WALLS = 1,     // 1-2 left wall, 3-4 right wall: tall chained columns
    SPR_SHIPS = 5,     // 5-6
    SPR_SHOTS = 8,     // 8-23
    SPR_STINGERS = 24, // 24-47
    SPR_SAUCER = 48,   // 48-50: a chain of three columns
    SPR_BULLETS = 52,  // 52-67
    SPR_BLASTS = 70,   // 70-85
    SPR_LOGO = 100,    // 100-105: a chain of six columns
    SPR_BIG_TEXT = 110,
};
enum { MAX_SHOTS = 16, MAX_STINGERS = 24, MAX_BULLETS = 16, MAX_BLASTS = 16 };
enum { PAL_SHIP = 8, PAL_STINGER, PAL_SAUCER, PAL_LOGO, PAL_BLAST, PAL_WALL, PAL_BIG, PAL_BULLET };
enum { ANIM_4 = 1 << 2, ANIM_8 = 2 << 2, FLIP_H = 1, FLIP_V = 2 };
enum { FIELD_LEFT = 32, FIELD_RIGHT = 272, FIELD_BOTTOM = 208 };

struct Player {
    int active, lives, x, y, cooldown, invulnerable, bombs, fast;
    uint32_t score;
    uint8_t held;
};
struct Thing {
    int alive, x, y, dx, dy, age, hits, base_x;
};

static struct Player players[2];
static struct Thing shots[MAX_SHOTS], stingers[MAX_STINGERS], bullets[MAX_BULLETS], blasts[MAX_BLASTS];
static struct Thing saucer;
static uint16_t random_state = 0xACE1;
static int scroll, flash, paused, spawn_timer, level_frames;
static uint8_t start_held;

static uint16_t random16(void) {
    random_state ^= (uint16_t)(random_state << 7);
    random_state ^= (uint16_t)(random_state >> 9);
    random_state ^= (uint16_t)(random_state << 8);
    return random_state;
}

// The raster line at the moment of a key press is as good as a dice roll.
static void stir_random(void) {
    random_state ^= (uint16_t)(raster_line() * 40503u + 1);
}

static uint8_t start_pressed(void) {
    const uint8_t now = read_start();
    const uint8_t edge = (uint8_t)(now & ~start_held);
    start_held = now;
    return edge;
}

// Shrink word for a zoom step 0 (a dot) .. 15 (full size).
static uint16_t zoom_shrink(int step) {
    if (step > 15) step = 15;
    if (step < 0) step = 0;
    return (uint16_t)(step << 8 | (step * 16 + 15));
}

static int overlap(int ax, int ay, int bx, int by, int size) {
    const int dx = ax - bx, dy = ay - by;
    return dx < size && dx > -size && dy < size && dy > -size;
}

// ---- walls ----

static void walls_setup(void) {
    for (int w = 0; w < 4; ++w) {
        VRAM_MOD = 1;
        VRAM_ADDR = (uint16_t)((SPR_WALLS + w) * 64);
        for (int i = 0; i < 32; ++i) {
            VRAM_DATA = (uint16_t)(0x500 + (i & 3));
            VRAM_DATA = (uint16_t)(PAL_WALL << 8 | (w & 1 ? FLIP_H : 0) | (w >= 2 ? FLIP_V : 0));
        }
    }
}

static void walls_draw(void) {
    const int y = (scroll & 63) - 64;
    sprite_set(SPR_WALLS, 0, y, 33, 0x0FFF, 0);
    sprite_set(SPR_WALLS + 1, 16, y, 33, 0x0FFF, 1);
    sprite_set(SPR_WALLS + 2, FIELD_RIGHT, -(scroll & 63), 40, 0x0FFF, 0);
    sprite_set(SPR_WALLS + 3, FIELD_RIGHT + 16, -(scroll & 63), 40, 0x0FFF, 1);
}

// ---- the status line ----

static void draw_status(void) {
    fix_text(2, 2, 1, "1P");
    fix_number(5, 2, 1, players[0].score, 7);
    fix_text(14, 2, 2, "HI");
    fix_number(17, 2, 2, score_table[0].score > players[0].score ? score_table[0].score : players[0].score,
               7);
    fix_text(27, 2, 3, "2P");
    fix_number(30, 2, 3, players[1].score, 7);
    for (int p = 0; p < 2; ++p) {
        char lives[4] = "   ";
        for (int i = 0; i < 3 && i < players[p].lives; ++i)
            lives[i] = '*';
        fix_text(p ? 34 : 2, 29, 4, players[p].active ? lives : "   ");
    }
}

static void big_text(const char* text, int y, int zoom) {
    int n = 0;
    while (text[n])
        ++n;
    const int width = n * (zoom > 15 ? 16 : zoom + 1);
    for (int i = 0; i < 12; ++i) {
        if (i < n) {
            sprite_tiles((uint16_t)(SPR_BIG_TEXT + i), (uint16_t)(0x400 + (uint8_t)text[i]), 1, PAL_BIG << 8);
            sprite_set((uint16_t)(SPR_BIG_TEXT + i), 152 - width / 2, y, 1, zoom_shrink(zoom), i > 0);
        } else {
            sprite_hide((uint16_t)(SPR_BIG_TEXT + i));
        }
    }
}

static void big_text_hide(void) {
    for (int i = 0; i < 12; ++i)
        sprite_hide((uint16_t)(SPR_BIG_TEXT + i));
}

// ---- title ----

static void logo_draw(int zoom, int y) {
    for (int c = 0; c < 6; ++c) {
        sprite_tiles((uint16_t)(SPR_LOGO + c), (uint16_t)(0x200 + (c / 2) * 4 + (c & 1) * 2), 2,
                     PAL_LOGO << 8);
    }
    const int column = zoom > 15 ? 16 : zoom + 1;
    for (int c = 0; c < 6; ++c)
        sprite_set((uint16_t)(SPR_LOGO + c), 152 - 3 * column, y, 2, zoom_shrink(zoom), c > 0);
}

static void title_page(int page) {
    fix_clear();
    if (page == 0) {
        fix_text(12, 14, 2, "HIGH SCORES");
        for (int i = 0; i < SCORE_ENTRIES; ++i) {
            fix_number(11, 16 + 2 * i, 1, (uint32_t)(i + 1), 1);
            fix_text(14, 16 + 2 * i, 3, score_table[i].name);
            fix_number(19, 16 + 2 * i, 1, score_table[i].score, 7);
        }
    } else {
        for (int i = 0; i < 6; ++i)
            fix_text(7, 14 + 2 * i, (uint16_t)(1 + (i & 3)), attract_lines[i]);
    }
    fix_text(8, 26, 5, "1P OR 2P START");
    fix_text(8, 28, 1, "(C) QZB PROJECT");
}

// Returns the number of players who pressed start.
static int title_screen(void) {
    sprite_clear_all();
    walls_setup();
    sound(SND_TITLE_MUSIC);
    int frame = 0, page = 0;
    title_page(0);
    for (;;) {
        wait_frame();
        ++frame;
        ++scroll;
        walls_draw();
        const int zoom = frame < 64 ? frame / 4 : 15;
        const int y = 40 + (sine_table[(frame * 2) & 255] >> 5);
        logo_draw(frame >= 64 && (frame & 128) ? 12 + (sine_table[(frame * 4) & 255] >> 5) : zoom, y);
        if (frame == 64) sound(SND_VOICE);
        if (frame % 480 == 0) title_page(page ^= 1);
        fix_text(8, 26, (uint16_t)((frame & 32) ? 5 : 2), "1P OR 2P START");
        const uint8_t edge = start_pressed();
        stir_random();
        if (edge & (IN_P1_START | IN_P2_START)) return edge & IN_P2_START ? 2 : 1;
    }
}

// ---- play ----

static void spawn_blast(int x, int y) {
    for (int i = 0; i < MAX_BLASTS; ++i) {
        if (blasts[i].alive) continue;
        blasts[i].alive = 1, blasts[i].x = x, blasts[i].y = y, blasts[i].age = 0;
        sprite_tiles((uint16_t)(SPR_BLASTS + i), 0x300, 1, PAL_BLAST << 8 | ANIM_8);
        return;
    }
}

static void spawn_stinger(void) {
    stir_random();
    for (int i = 0; i < MAX_STINGERS; ++i) {
        struct Thing* s = &stingers[i];
        if (s->alive) continue;
        s->alive = 1;
        s->base_x = FIELD_LEFT + 8 + (int)(random16() % (FIELD_RIGHT - FIELD_LEFT - 32));
        s->x = s->base_x;
        s->y = 24 + (int)(random16() & 31);
        s->dy = 1 + (level_frames > 3600) + (level_frames > 7200);
        s->dx = (int)(random16() & 63);
        s->age = 0;
        return;
    }
}

static void fire(struct Player* p, int offset) {
    for (int i = 0; i < MAX_SHOTS; ++i) {
        if (shots[i].alive) continue;
        shots[i].alive = 1, shots[i].x = p->x + offset, shots[i].y = p->y - 12;
        shots[i].base_x = (int)(p - players);
        return;
    }
}

static void enemy_fire(int x, int y) {
    for (int i = 0; i < MAX_BULLETS; ++i) {
        if (bullets[i].alive) continue;
        bullets[i].alive = 1, bullets[i].x = x, bullets[i].y = y;
        bullets[i].dx = (int)(random16() % 3) - 1;
        return;
    }
}

static void player_join(int index) {
    struct Player* p = &players[index];
    p->active = 1, p->lives = 3, p->bombs = 1, p->score = 0, p->fast = 0;
    p->x = index ? 200 : 104, p->y = FIELD_BOTTOM - 16, p->invulnerable = 90, p->cooldown = 0;
    p->held = 0xFF;
    sprite_tiles((uint16_t)(SPR_SHIPS + index), 0x100, 1, PAL_SHIP << 8);
    VRAM_MOD = 1;
    VRAM_ADDR = (uint16_t)((SPR_SHIPS + index) * 64 + 2);
    VRAM_DATA = 0x104; // the exhaust: four frames stepped by the chip's auto-animation
    VRAM_DATA = PAL_SHIP << 8 | ANIM_4;
    sound(SND_START);
}

static void player_hit(struct Player* p) {
    spawn_blast(p->x, p->y);
    sound(SND_PLAYER_HIT);
    flash = 12;
    if (--p->lives <= 0) {
        p->active = 0;
        sprite_hide((uint16_t)(SPR_SHIPS + (p - players)));
    } else {
        p->invulnerable = 120;
        p->bombs = 1;
    }
}

static void add_score(int player, uint32_t points) {
    if (player >= 0 && player < 2) players[player].score += points;
}

static void update_player(int index) {
    struct Player* p = &players[index];
    if (!p->active) return;
    const uint8_t in = read_player(index);
    const uint8_t pressed = (uint8_t)(in & ~p->held);
    p->held = in;
    const int speed = p->fast ? 3 : 2;
    if (in & IN_LEFT) p->x -= speed;
    if (in & IN_RIGHT) p->x += speed;
    if (in & IN_UP) p->y -= speed;
    if (in & IN_DOWN) p->y += speed;
    if (p->x < FIELD_LEFT) p->x = FIELD_LEFT;
    if (p->x > FIELD_RIGHT - 16) p->x = FIELD_RIGHT - 16;
    if (p->y < 120) p->y = 120;
    if (p->y > FIELD_BOTTOM - 16) p->y = FIELD_BOTTOM - 16;
    if (p->cooldown) --p->cooldown;
    if ((in & (IN_A | IN_C)) && !p->cooldown) {
        if (in & IN_C) {
            fire(p, -5);
            fire(p, 5);
        } else {
            fire(p, 0);
        }
        p->cooldown = 8;
        sound(SND_SHOT);
    }
    if ((pressed & IN_B) && p->bombs) {
        --p->bombs;
        flash = 20;
        sound(SND_EXPLOSION);
        for (int i = 0; i < MAX_STINGERS; ++i) {
            if (!stingers[i].alive) continue;
            stingers[i].alive = 0;
            spawn_blast(stingers[i].x, stingers[i].y);
            add_score(index, 50);
        }
        for (int i = 0; i < MAX_BULLETS; ++i)
            bullets[i].alive = 0;
    }
    if (pressed & IN_D) p->fast ^= 1;
    if (p->invulnerable) --p->invulnerable;
    // The ship banks into its turns: mirrored when it moves left.
    const uint16_t flips = (in & IN_LEFT) ? FLIP_H : 0;
    VRAM_MOD = 1;
    VRAM_ADDR = (uint16_t)((SPR_SHIPS + index) * 64 + 1);
    VRAM_DATA = (uint16_t)(PAL_SHIP << 8 | flips);
    if (p->invulnerable & 4)
        sprite_hide((uint16_t)(SPR_SHIPS + index));
    else
        sprite_set((uint16_t)(SPR_SHIPS + index), p->x, p->y, 2, 0x0FFF, 0);
}

static void update_shots(void) {
    for (int i = 0; i < MAX_SHOTS; ++i) {
        struct Thing* s = &shots[i];
        if (s->alive) {
            s->y -= 6;
            if (s->y < 8) s->alive = 0;
            for (int e = 0; e < MAX_STINGERS && s->alive; ++e) {
                struct Thing* t = &stingers[e];
                if (t->alive && t->age >= 16 && overlap(s->x, s->y, t->x, t->y, 12)) {
                    t->alive = 0, s->alive = 0;
                    spawn_blast(t->x, t->y);
                    add_score(s->base_x, 100);
                    sound(SND_EXPLOSION);
                }
            }
            if (s->alive && saucer.alive && saucer.age >= 16 && s->x > saucer.x - 8 && s->x < saucer.x + 40 &&
                s->y > saucer.y - 8 && s->y < saucer.y + 24) {
                s->alive = 0;
                if (++saucer.hits >= 6) {
                    saucer.alive = 0;
                    spawn_blast(saucer.x + 8, saucer.y + 8);
                    spawn_blast(saucer.x + 24, saucer.y + 4);
                    add_score(s->base_x, 1000);
                    sound(SND_EXPLOSION);
                    flash = 6;
                }
            }
        }
        if (s->alive) {
            sprite_tiles((uint16_t)(SPR_SHOTS + i), 0x120, 1, PAL_SHIP << 8);
            sprite_set((uint16_t)(SPR_SHOTS + i), s->x, s->y, 1, 0x0FFF, 0);
        } else {
            sprite_hide((uint16_t)(SPR_SHOTS + i));
        }
    }
}

static void update_stingers(void) {
    for (int i = 0; i < MAX_STINGERS; ++i) {
        struct Thing* s = &stingers[i];
        if (!s->alive) {
            sprite_hide((uint16_t)(SPR_STINGERS + i));
            continue;
        }
        ++s->age;
        if (s->age >= 16) {
            // Weave down along the sine table; the last stretch climbs back upside down.
            s->dx = (s->dx + 3) & 255;
            s->x = s->base_x + (sine_table[s->dx] >> 3);
            s->y += s->dy;
            if (s->y > 240) s->alive = 0;
            if ((random16() & 255) < 2) enemy_fire(s->x, s->y + 8);
        }
        uint16_t flips = (i & 1) ? FLIP_H : 0;
        if (s->age > 16 && s->dx > 128) flips |= FLIP_V;
        sprite_tiles((uint16_t)(SPR_STINGERS + i), (uint16_t)(0x110 + ((s->age >> 3) & 1)), 1,
                     (uint16_t)(PAL_STINGER << 8 | flips));
        // A new stinger zooms in from a dot, shrunk both ways.
        const int zoom = s->age < 16 ? s->age : 15;
        sprite_set((uint16_t)(SPR_STINGERS + i), s->x + (15 - zoom) / 2, s->y + (15 - zoom) / 2, 1,
                   zoom_shrink(zoom), 0);
        for (int p = 0; p < 2; ++p) {
            struct Player* pl = &players[p];
            if (s->alive && pl->active && !pl->invulnerable && s->age >= 16 &&
                overlap(s->x, s->y, pl->x, pl->y, 12)) {
                s->alive = 0;
                spawn_blast(s->x, s->y);
                player_hit(pl);
            }
        }
    }
}

static void update_saucer(void) {
    if (!saucer.alive) {
        if (level_frames % 900 == 450) {
            saucer.alive = 1, saucer.age = 0, saucer.hits = 0;
            saucer.dx = (random16() & 1) ? 1 : -1;
            saucer.x = saucer.dx > 0 ? FIELD_LEFT : FIELD_RIGHT - 48;
            saucer.y = 30;
            for (int c = 0; c < 3; ++c)
                sprite_tiles((uint16_t)(SPR_SAUCER + c), (uint16_t)(0x130 + c * 2), 2,
                             (uint16_t)(PAL_SAUCER << 8));
        }
        for (int c = 0; c < 3; ++c)
            sprite_hide((uint16_t)(SPR_SAUCER + c));
        return;
    }
    ++saucer.age;
    const int zoom = saucer.age < 32 ? saucer.age / 2 : 15;
    if (saucer.age >= 32) {
        saucer.x += saucer.dx;
        if (saucer.x < FIELD_LEFT - 48 || saucer.x > FIELD_RIGHT) saucer.alive = 0;
        if ((saucer.age & 63) == 0) enemy_fire(saucer.x + 16, saucer.y + 24);
    }
    const int column = zoom + 1;
    for (int c = 0; c < 3; ++c)
        sprite_set((uint16_t)(SPR_SAUCER + c), saucer.x + 24 - 3 * column / 2, saucer.y + (15 - zoom), 2,
                   zoom_shrink(zoom), c > 0);
}

static void update_bullets(void) {
    for (int i = 0; i < MAX_BULLETS; ++i) {
        struct Thing* b = &bullets[i];
        if (b->alive) {
            b->y += 3;
            b->x += b->dx;
            if (b->y > 232) b->alive = 0;
            for (int p = 0; p < 2; ++p) {
                struct Player* pl = &players[p];
                if (b->alive && pl->active && !pl->invulnerable && overlap(b->x, b->y, pl->x, pl->y, 9)) {
                    b->alive = 0;
                    player_hit(pl);
                }
            }
        }
        if (b->alive) {
            sprite_tiles((uint16_t)(SPR_BULLETS + i), 0x121, 1,
                         (uint16_t)(PAL_BULLET << 8 | ((i & 1) ? FLIP_V : 0)));
            sprite_set((uint16_t)(SPR_BULLETS + i), b->x, b->y, 1, 0x0FFF, 0);
        } else {
            sprite_hide((uint16_t)(SPR_BULLETS + i));
        }
    }
}

static void update_blasts(void) {
    for (int i = 0; i < MAX_BLASTS; ++i) {
        struct Thing* b = &blasts[i];
        if (b->alive && ++b->age > 24) b->alive = 0;
        if (b->alive)
            sprite_set((uint16_t)(SPR_BLASTS + i), b->x, b->y, 1, 0x0FFF, 0);
        else
            sprite_hide((uint16_t)(SPR_BLASTS + i));
    }
}

static void clear_play_field(void) {
    memset(shots, 0, sizeof shots);
    memset(stingers, 0, sizeof stingers);
    memset(bullets, 0, sizeof bullets);
    memset(blasts, 0, sizeof blasts);
    memset(&saucer, 0, sizeof saucer);
    memset(players, 0, sizeof players);
}

static void play(int player_count) {
    sprite_clear_all();
    walls_setup();
    fix_clear();
    clear_play_field();
    for (int i = 0; i < player_count; ++i)
        player_join(i);
    sound(SND_GAME_MUSIC);
    level_frames = 0, spawn_timer = 60, flash = 0, paused = 0;
    int ready = 90;
    for (;;) {
        wait_frame();
        const uint8_t edge = start_pressed();
        if (edge & (IN_P1_SELECT | IN_P2_SELECT)) {
            paused ^= 1;
            fix_text(16, 15, 5, paused ? "PAUSE" : "     ");
        }
        if (paused) continue;
        if ((edge & IN_P2_START) && !players[1].active) player_join(1);
        if ((edge & IN_P1_START) && !players[0].active) player_join(0);
        ++level_frames;
        scroll += 2;
        walls_draw();
        if (ready) {
            --ready;
            big_text(ready > 0 ? "GET READY" : "", 96, 90 - ready);
            if (!ready) big_text_hide();
        } else if (--spawn_timer <= 0) {
            spawn_stinger();
            spawn_timer = level_frames > 5400 ? 20 : level_frames > 1800 ? 30 : 45;
        }
        update_player(0);
        update_player(1);
        update_shots();
        update_stingers();
        update_saucer();
        update_bullets();
        update_blasts();
        if (flash) {
            --flash;
            if (flash & 2)
                LATCH_PALETTE_BANK1 = 0;
            else
                LATCH_PALETTE_BANK0 = 0;
        } else {
            LATCH_PALETTE_BANK0 = 0;
        }
        draw_status();
        if (!players[0].active && !players[1].active) break;
    }
    LATCH_PALETTE_BANK0 = 0;
}

static void game_over(void) {
    sound(SND_STOP_MUSIC);
    const char* names[2] = {"1P ", "2P "};
    int best = -1;
    for (int p = 0; p < 2; ++p) {
        const int rank = players[p].score ? scores_insert(players[p].score, names[p]) : -1;
        if (rank >= 0 && (best < 0 || rank < best)) best = rank;
    }
    if (best >= 0) scores_save();
    for (int frame = 0; frame < 240; ++frame) {
        wait_frame();
        scroll += 1;
        walls_draw();
        update_blasts();
        update_bullets();
        big_text("GAME OVER", 90, frame / 3);
        if (best >= 0) fix_text(11, 20, (uint16_t)((frame & 16) ? 2 : 5), "NEW HIGH SCORE");
        draw_status();
    }
    big_text_hide();
}

int main(void) {
    sound(SND_STOP_MUSIC);
    palettes_load();
    set_animation_speed(3);
    scores_load();
    for (;;) {
        const int count = title_screen();
        play(count);
        game_over();
    }
}
