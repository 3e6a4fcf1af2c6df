// The high-score table, kept in backup RAM: "QZBH", five entries of (score, name), a checksum.
// Backup RAM is write-protected except while the table is being written.
#include "hw.h"

struct ScoreEntry score_table[SCORE_ENTRIES];

static uint16_t checksum(const uint8_t* bytes, int count) {
    uint16_t sum = 0x5A5A;
    for (int i = 0; i < count; ++i)
        sum = (uint16_t)((sum << 1 | sum >> 15) ^ bytes[i]);
    return sum;
}

void scores_load(void) {
    uint8_t copy[4 + sizeof score_table + 2];
    for (unsigned i = 0; i < sizeof copy; ++i)
        copy[i] = BACKUP_RAM[i];
    const uint16_t stored = (uint16_t)(copy[sizeof copy - 2] << 8 | copy[sizeof copy - 1]);
    if (copy[0] == 'Q' && copy[1] == 'Z' && copy[2] == 'B' && copy[3] == 'H' &&
        stored == checksum(copy, (int)sizeof copy - 2)) {
        memcpy(score_table, copy + 4, sizeof score_table);
    } else {
        memcpy(score_table, default_scores, sizeof score_table);
        scores_save();
    }
}

void scores_save(void) {
    uint8_t copy[4 + sizeof score_table + 2];
    copy[0] = 'Q', copy[1] = 'Z', copy[2] = 'B', copy[3] = 'H';
    memcpy(copy + 4, score_table, sizeof score_table);
    const uint16_t sum = checksum(copy, (int)sizeof copy - 2);
    copy[sizeof copy - 2] = (uint8_t)(sum >> 8);
    copy[sizeof copy - 1] = (uint8_t)sum;
    LATCH_BACKUP_UNLOCK = 0;
    for (unsigned i = 0; i < sizeof copy; ++i)
        BACKUP_RAM[i] = copy[i];
    LATCH_BACKUP_LOCK = 0;
}

int scores_insert(uint32_t score, const char* name) {
    int rank = SCORE_ENTRIES;
    while (rank > 0 && score > score_table[rank - 1].score)
        --rank;
    if (rank == SCORE_ENTRIES) return -1;
    for (int i = SCORE_ENTRIES - 1; i > rank; --i)
        score_table[i] = score_table[i - 1];
    score_table[rank].score = score;
    for (int i = 0; i < 4; ++i)
        score_table[rank].name[i] = name[i];
    return rank;
}
