/* wlinput's keys, named by xkb keysym and found on the US layout as
   xkbcommon compiles it from xkeyboard-config, KWin's default layout too.
   They go through the virtual keyboard of wlroots compositors, which takes
   this keymap from the client and leaves the modifier state to it, or
   through KWin's fake input, which sends the evdev code (the xkb keycode
   less 8) through KWin's own keymap. */
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "wlinput.h"

enum { EVDEV_OFFSET = 8 };

static bool make_virtual_keyboard(struct wlinput *w) {
    char *keymap = xkb_keymap_get_as_string(w->keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
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

/* The first key that makes keysym name with no modifier held or with
   Shift, as a player finds it (the digit row's "(" before the keypad's);
   0 where no key of the keyboard makes it. */
static xkb_keycode_t find_key(struct wlinput *w, const char *name, bool *shifted) {
    xkb_keysym_t wanted = xkb_keysym_from_name(name, XKB_KEYSYM_NO_FLAGS);
    xkb_mod_mask_t shift = 1u << xkb_keymap_mod_get_index(w->keymap, XKB_MOD_NAME_SHIFT);
    struct xkb_state *probe = xkb_state_new(w->keymap);
    xkb_keycode_t found = 0;
    for (xkb_keycode_t key = xkb_keymap_min_keycode(w->keymap);
         probe && wanted != XKB_KEY_NoSymbol && !found && key < KEY_LIMIT; ++key) {
        for (int level = 0; level < 2 && !found; ++level) {
            xkb_state_update_mask(probe, level ? shift : 0, 0, 0, 0, 0, 0);
            if (xkb_state_key_get_one_sym(probe, key) == wanted) {
                found = key;
                *shifted = level == 1;
            }
        }
    }
    xkb_state_unref(probe);
    return found;
}

const char *make_keyboard(struct wlinput *w) {
    struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    struct xkb_rule_names us = {.layout = "us"};
    w->keymap = context ? xkb_keymap_new_from_names(context, &us, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    xkb_context_unref(context);
    w->held = w->keymap ? xkb_state_new(w->keymap) : NULL;
    bool shifted = false;
    w->shift = w->held ? find_key(w, "Shift_L", &shifted) : 0;
    if (!w->shift) {
        reply("error no US keymap (xkbcommon and xkb-data)");
        return NULL;
    }
    if (w->vk_manager) {
        if (!make_virtual_keyboard(w)) {
            reply("error the virtual keyboard could not be made");
            return NULL;
        }
        return "virtual-keyboard";
    }
    if (w->fake_input) {
        org_kde_kwin_fake_input_authenticate(w->fake_input, "wlinput", "end-to-end tests press keys as a player");
        if (!roundtrip(w)) {
            reply("error the compositor refused the fake input");
            return NULL;
        }
        return "fake-input";
    }
    return "none";
}

static void send_key(struct wlinput *w, xkb_keycode_t key, bool down) {
    uint32_t state = down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED;
    bool modifiers = xkb_state_update_key(w->held, key, down ? XKB_KEY_DOWN : XKB_KEY_UP) != 0;
    if (w->vk) {
        zwp_virtual_keyboard_v1_key(w->vk, now_ms(), key - EVDEV_OFFSET, state);
        if (modifiers) {
            zwp_virtual_keyboard_v1_modifiers(w->vk, xkb_state_serialize_mods(w->held, XKB_STATE_MODS_DEPRESSED),
                                              xkb_state_serialize_mods(w->held, XKB_STATE_MODS_LATCHED),
                                              xkb_state_serialize_mods(w->held, XKB_STATE_MODS_LOCKED),
                                              xkb_state_serialize_layout(w->held, XKB_STATE_LAYOUT_EFFECTIVE));
        }
    } else {
        org_kde_kwin_fake_input_keyboard_key(w->fake_input, key - EVDEV_OFFSET, state);
    }
}

void command_key(struct wlinput *w, const char *name, bool down) {
    bool shifted = false;
    xkb_keycode_t key = find_key(w, name, &shifted);
    if (!w->vk && !w->fake_input) {
        reply("error the compositor offers no virtual keyboard and no fake input");
        return;
    }
    if (!key) {
        reply("error no key makes the keysym '%s'", name);
        return;
    }
    if (down) {
        w->shift_for[key] =
            shifted && xkb_state_mod_name_is_active(w->held, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_DEPRESSED) <= 0;
        if (w->shift_for[key]) {
            send_key(w, w->shift, true);
        }
        send_key(w, key, true);
    } else {
        send_key(w, key, false);
        if (w->shift_for[key]) {
            send_key(w, w->shift, false);
            w->shift_for[key] = false;
        }
    }
    reply_done(w);
}
