/* wlinput's keys: through the virtual keyboard of wlroots compositors,
   which takes a keymap of the client's and leaves the modifier state to it,
   or through KWin's fake input, which sends the evdev code through KWin's
   own keymap. */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "wlinput.h"
#include "wlinput_keys.h"

bool make_virtual_keyboard(struct wlinput *w) {
    char *keymap = wlinput_keymap();
    if (!keymap) {
        return false;
    }
    size_t size = strlen(keymap) + 1;
    int fd = memfd_with(keymap, size);
    free(keymap);
    if (fd < 0) {
        return false;
    }
    w->vk = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(w->vk_manager, w->seat);
    zwp_virtual_keyboard_v1_keymap(w->vk, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)size);
    close(fd);
    return roundtrip(w);
}

static void send_key(struct wlinput *w, const struct wlinput_key *key, bool down) {
    uint32_t state = down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED;
    if (key->modifier) {
        w->mods = down ? w->mods | key->modifier : w->mods & ~key->modifier;
    }
    if (w->vk) {
        zwp_virtual_keyboard_v1_key(w->vk, now_ms(), key->evdev, state);
        if (key->modifier) {
            zwp_virtual_keyboard_v1_modifiers(w->vk, w->mods, 0, 0, 0);
        }
    } else {
        org_kde_kwin_fake_input_keyboard_key(w->fake_input, key->evdev, state);
    }
}

void command_key(struct wlinput *w, const char *name, bool down) {
    bool shifted = false;
    const struct wlinput_key *key = wlinput_find_key(name, &shifted);
    const struct wlinput_key *shift = wlinput_shift_key();
    if (!w->vk && !w->fake_input) {
        reply("error the compositor offers no virtual keyboard and no fake input");
        return;
    }
    if (!key) {
        reply("error no key makes the keysym '%s'", name);
        return;
    }
    if (down) {
        w->shift_for[key->evdev] = shifted && !(w->mods & shift->modifier);
        if (w->shift_for[key->evdev]) {
            send_key(w, shift, true);
        }
        send_key(w, key, true);
    } else {
        send_key(w, key, false);
        if (w->shift_for[key->evdev]) {
            send_key(w, shift, false);
            w->shift_for[key->evdev] = false;
        }
    }
    if (!roundtrip(w)) {
        reply_lost(w);
        return;
    }
    reply("ok");
}
