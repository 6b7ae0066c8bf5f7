#include "wlinput_keys.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Masks of the real modifiers in the keymap below: xkbcommon numbers them
   Shift 0, Lock 1, Control 2, Mod1 3 ... Mod5 7. */
enum { SHIFT = 1u << 0, CONTROL = 1u << 2, MOD1 = 1u << 3, MOD4 = 1u << 6 };

static const struct wlinput_key keys[] = {
    {1, "Escape", NULL, 0},
    {2, "1", "exclam", 0},
    {3, "2", "at", 0},
    {4, "3", "numbersign", 0},
    {5, "4", "dollar", 0},
    {6, "5", "percent", 0},
    {7, "6", "asciicircum", 0},
    {8, "7", "ampersand", 0},
    {9, "8", "asterisk", 0},
    {10, "9", "parenleft", 0},
    {11, "0", "parenright", 0},
    {12, "minus", "underscore", 0},
    {13, "equal", "plus", 0},
    {14, "BackSpace", NULL, 0},
    {15, "Tab", NULL, 0},
    {16, "q", "Q", 0},
    {17, "w", "W", 0},
    {18, "e", "E", 0},
    {19, "r", "R", 0},
    {20, "t", "T", 0},
    {21, "y", "Y", 0},
    {22, "u", "U", 0},
    {23, "i", "I", 0},
    {24, "o", "O", 0},
    {25, "p", "P", 0},
    {26, "bracketleft", "braceleft", 0},
    {27, "bracketright", "braceright", 0},
    {28, "Return", NULL, 0},
    {29, "Control_L", NULL, CONTROL},
    {30, "a", "A", 0},
    {31, "s", "S", 0},
    {32, "d", "D", 0},
    {33, "f", "F", 0},
    {34, "g", "G", 0},
    {35, "h", "H", 0},
    {36, "j", "J", 0},
    {37, "k", "K", 0},
    {38, "l", "L", 0},
    {39, "semicolon", "colon", 0},
    {40, "apostrophe", "quotedbl", 0},
    {41, "grave", "asciitilde", 0},
    {42, "Shift_L", NULL, SHIFT},
    {43, "backslash", "bar", 0},
    {44, "z", "Z", 0},
    {45, "x", "X", 0},
    {46, "c", "C", 0},
    {47, "v", "V", 0},
    {48, "b", "B", 0},
    {49, "n", "N", 0},
    {50, "m", "M", 0},
    {51, "comma", "less", 0},
    {52, "period", "greater", 0},
    {53, "slash", "question", 0},
    {54, "Shift_R", NULL, SHIFT},
    {56, "Alt_L", NULL, MOD1},
    {57, "space", NULL, 0},
    {59, "F1", NULL, 0},
    {60, "F2", NULL, 0},
    {61, "F3", NULL, 0},
    {62, "F4", NULL, 0},
    {63, "F5", NULL, 0},
    {64, "F6", NULL, 0},
    {65, "F7", NULL, 0},
    {66, "F8", NULL, 0},
    {67, "F9", NULL, 0},
    {68, "F10", NULL, 0},
    {87, "F11", NULL, 0},
    {88, "F12", NULL, 0},
    {96, "KP_Enter", NULL, 0},
    {97, "Control_R", NULL, CONTROL},
    {100, "Alt_R", NULL, MOD1},
    {102, "Home", NULL, 0},
    {103, "Up", NULL, 0},
    {104, "Prior", NULL, 0},
    {105, "Left", NULL, 0},
    {106, "Right", NULL, 0},
    {107, "End", NULL, 0},
    {108, "Down", NULL, 0},
    {109, "Next", NULL, 0},
    {110, "Insert", NULL, 0},
    {111, "Delete", NULL, 0},
    {119, "Pause", NULL, 0},
    {125, "Super_L", NULL, MOD4},
};

enum { KEY_COUNT = sizeof keys / sizeof keys[0] };

const struct wlinput_key *wlinput_find_key(const char *name, bool *shifted) {
    for (size_t i = 0; i < KEY_COUNT; ++i) {
        if (strcmp(keys[i].plain, name) == 0 || (keys[i].shifted && strcmp(keys[i].shifted, name) == 0)) {
            *shifted = strcmp(keys[i].plain, name) != 0;
            return &keys[i];
        }
    }
    return NULL;
}

const struct wlinput_key *wlinput_shift_key(void) {
    bool shifted;
    return wlinput_find_key("Shift_L", &shifted);
}

static const char *modifier_name(uint32_t mask) {
    switch (mask) {
        case SHIFT:
            return "Shift";
        case CONTROL:
            return "Control";
        case MOD1:
            return "Mod1";
        case MOD4:
            return "Mod4";
        default:
            return NULL;
    }
}

char *wlinput_keymap(void) {
    char *text = NULL;
    size_t size = 0;
    FILE *out = open_memstream(&text, &size);
    if (!out) {
        return NULL;
    }
    fputs("xkb_keymap {\nxkb_keycodes \"wlinput\" {\n  minimum = 8;\n  maximum = 255;\n", out);
    for (size_t i = 0; i < KEY_COUNT; ++i) {
        fprintf(out, "  <K%u> = %u;\n", keys[i].evdev, keys[i].evdev + 8);
    }
    fputs(
        "};\nxkb_types \"wlinput\" { include \"complete\" };\n"
        "xkb_compatibility \"wlinput\" { include \"complete\" };\nxkb_symbols \"wlinput\" {\n",
        out);
    for (size_t i = 0; i < KEY_COUNT; ++i) {
        if (keys[i].shifted) {
            fprintf(out, "  key <K%u> { [ %s, %s ] };\n", keys[i].evdev, keys[i].plain, keys[i].shifted);
        } else {
            fprintf(out, "  key <K%u> { [ %s ] };\n", keys[i].evdev, keys[i].plain);
        }
        if (keys[i].modifier) {
            fprintf(out, "  modifier_map %s { <K%u> };\n", modifier_name(keys[i].modifier), keys[i].evdev);
        }
    }
    fputs("};\n};\n", out);
    if (fclose(out) != 0) {
        free(text);
        return NULL;
    }
    return text;
}
