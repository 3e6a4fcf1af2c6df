// Sound commands, sent one per frame just after the frame interrupt. The sound CPU takes a
// command in its NMI routine. A second command written before that routine has run would
// interrupt it: the first command would be lost, and, since an NMI keeps the interrupt enable
// it found (off inside the routine) for its return, the sound program's timer interrupt would
// stay off for good. So the game queues its commands here.
#include "hw.h"

enum { QUEUE_SIZE = 16 };

static uint8_t queue[QUEUE_SIZE];
static uint8_t head, count;

void sound(uint8_t command) {
    // The same command twice in one queue (two explosions at once) sounds once.
    for (int i = 0; i < count; ++i)
        if (queue[(head + i) % QUEUE_SIZE] == command) return;
    if (count == QUEUE_SIZE) return;
    queue[(head + count) % QUEUE_SIZE] = command;
    ++count;
}

void wait_frame(void) {
    idle_until_frame();
    if (count) {
        SOUND_COMMAND = queue[head];
        head = (uint8_t)((head + 1) % QUEUE_SIZE);
        --count;
    }
}
