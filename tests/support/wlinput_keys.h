/* The keys wlinput can press: xkb keysym names on a US layout, each with the
   Linux evdev code of its key. */
#ifndef WLINPUT_KEYS_H
#define WLINPUT_KEYS_H

#include <stdbool.h>
#include <stdint.h>

struct wlinput_key {
    uint32_t evdev;      /* the key's Linux input code; its xkb keycode is this + 8 */
    const char *plain;   /* the keysym without Shift */
    const char *shifted; /* with Shift, or NULL */
    uint32_t modifier;   /* the xkb modifier mask the key holds down, or 0 */
};

/* The key that makes keysym name, and whether Shift must be held for it;
   NULL for a name not on the keyboard. */
const struct wlinput_key *wlinput_find_key(const char *name, bool *shifted);

/* The left Shift key, held for a shifted keysym. */
const struct wlinput_key *wlinput_shift_key(void);

/* An xkb keymap (text, NUL-terminated, malloc'ed) holding every key above. */
char *wlinput_keymap(void);

#endif
