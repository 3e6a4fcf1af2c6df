// The names the controls page shows for each keyboard scan code and input device.
#include "host/input.h"

namespace {

struct NamedKey {
    uint8_t code;
    const char* name;
};

constexpr NamedKey NAMED_KEYS[] = {
    {0x01, "ESCAPE"},  {0x02, "1"},       {0x03, "2"},       {0x04, "3"},       {0x05, "4"},
    {0x06, "5"},       {0x07, "6"},       {0x08, "7"},       {0x09, "8"},       {0x0A, "9"},
    {0x0B, "0"},       {0x0C, "MINUS"},   {0x0D, "EQUALS"},  {0x0E, "BACK"},    {0x0F, "TAB"},
    {0x10, "Q"},       {0x11, "W"},       {0x12, "E"},       {0x13, "R"},       {0x14, "T"},
    {0x15, "Y"},       {0x16, "U"},       {0x17, "I"},       {0x18, "O"},       {0x19, "P"},
    {0x1A, "["},       {0x1B, "]"},       {0x1C, "RETURN"},  {0x1D, "LCTRL"},   {0x1E, "A"},
    {0x1F, "S"},       {0x20, "D"},       {0x21, "F"},       {0x22, "G"},       {0x23, "H"},
    {0x24, "J"},       {0x25, "K"},       {0x26, "L"},       {0x27, "SEMICO."}, {0x28, "APOSTR."},
    {0x29, "GRAVE"},   {0x2A, "LSHIFT"},  {0x2B, "\\"},      {0x2C, "Z"},       {0x2D, "X"},
    {0x2E, "C"},       {0x2F, "V"},       {0x30, "B"},       {0x31, "N"},       {0x32, "M"},
    {0x33, "COMMA"},   {0x34, "PERIOD"},  {0x35, "SLASH"},   {0x36, "RSHIFT"},  {0x37, "*"},
    {0x38, "LALT"},    {0x39, "SPACE"},   {0x3A, "CAPITAL"}, {0x3B, "F1"},      {0x3C, "F2"},
    {0x3D, "F3"},      {0x3E, "F4"},      {0x3F, "F5"},      {0x40, "F6"},      {0x41, "F7"},
    {0x42, "F8"},      {0x43, "F9"},      {0x44, "F10"},     {0x45, "NUMLOCK"}, {0x46, "SCROLL"},
    {0x47, "NUMPAD7"}, {0x48, "NUMPAD8"}, {0x49, "NUMPAD9"}, {0x4A, "NPMINU."}, {0x4B, "NUMPAD4"},
    {0x4C, "NUMPAD5"}, {0x4D, "NUMPAD6"}, {0x4E, "NPPLUS"},  {0x4F, "NUMPAD1"}, {0x50, "NUMPAD2"},
    {0x51, "NUMPAD3"}, {0x52, "NUMPAD0"}, {0x53, "NPPERI."}, {0x56, "PIPE"},    {0x57, "F11"},
    {0x58, "F12"},     {0x64, "F13"},     {0x65, "F14"},     {0x66, "F15"},     {0x70, "KANA"},
    {0x79, "CONVERT"}, {0x7B, "NOCONV."}, {0x7D, "YEN"},     {0x8D, "NPEQUA."}, {0x90, "CIRCUM."},
    {0x91, "AT"},      {0x92, "COLON"},   {0x93, "UNDERS."}, {0x94, "KANJI"},   {0x95, "STOP"},
    {0x96, "AX"},      {0x97, "UNLABEL"}, {0x9C, "NPENTER"}, {0x9D, "RCTRL"},   {0xB3, "NPCOMMA"},
    {0xB5, "NPDIVI."}, {0xB7, "SYSRQ"},   {0xB8, "RALT"},    {0xC5, "PAUSE"},   {0xC7, "HOME"},
    {0xC8, "UP"},      {0xC9, "PGUP"},    {0xCB, "LEFT"},    {0xCD, "RIGHT"},   {0xCF, "END"},
    {0xD0, "DOWN"},    {0xD1, "PGDN"},    {0xD2, "INSERT"},  {0xD3, "DELETE"},  {0xDB, "LWIN"},
    {0xDC, "RWIN"},    {0xDD, "APPS"},    {0xDE, "POWER"},   {0xDF, "SLEEP"},
};

struct KeyNameTable {
    char names[256][8];
    constexpr KeyNameTable() : names{} {
        for (auto& entry : names) copy(entry, "UNDEF.");
        for (const NamedKey& k : NAMED_KEYS) copy(names[k.code], k.name);
    }
    static constexpr void copy(char* out, const char* in) {
        int i = 0;
        for (; in[i] != 0 && i < 7; ++i) out[i] = in[i];
        for (; i < 8; ++i) out[i] = 0;
    }
};

constexpr KeyNameTable TABLE{};

} // namespace

const char* key_name(uint8_t scan_code) { return TABLE.names[scan_code]; }

const char device_names[3][10] = {"KEYBOARD", "JOYSTICK1", "JOYSTICK2"};
