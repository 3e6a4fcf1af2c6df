// What the compiler expects from a C library, written for the 68000 (the toolchain's own helper
// library is built for later processors).
#include "hw.h"

void* memset(void* d, int c, unsigned long n) {
    uint8_t* p = d;
    while (n--)
        *p++ = (uint8_t)c;
    return d;
}

void* memcpy(void* d, const void* s, unsigned long n) {
    uint8_t* p = d;
    const uint8_t* q = s;
    while (n--)
        *p++ = *q++;
    return d;
}

unsigned long __mulsi3(unsigned long a, unsigned long b) {
    unsigned long r = 0;
    while (b) {
        if (b & 1) r += a;
        a <<= 1;
        b >>= 1;
    }
    return r;
}

unsigned long __udivsi3(unsigned long n, unsigned long d) {
    unsigned long q = 0, r = 0;
    if (d == 0) return 0;
    for (int bit = 31; bit >= 0; --bit) {
        r = r << 1 | ((n >> bit) & 1);
        if (r >= d) {
            r -= d;
            q |= 1ul << bit;
        }
    }
    return q;
}

unsigned long __umodsi3(unsigned long n, unsigned long d) {
    return n - __mulsi3(__udivsi3(n, d), d);
}

long __divsi3(long n, long d) {
    const int negative = (n < 0) != (d < 0);
    const unsigned long q =
        __udivsi3(n < 0 ? -(unsigned long)n : (unsigned long)n, d < 0 ? -(unsigned long)d : (unsigned long)d);
    return negative ? -(long)q : (long)q;
}

long __modsi3(long n, long d) {
    return n - (long)__mulsi3((unsigned long)__divsi3(n, d), (unsigned long)d);
}
