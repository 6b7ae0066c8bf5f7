/* What the parts of wlinput share: the connection and its objects, the one
   window it shows, and the answers on stdout. */
#ifndef WLINPUT_H
#define WLINPUT_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "fake-input-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-activation-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

enum { KEY_LIMIT = 256 }; /* the xkb keycodes of an ordinary keyboard's keys lie below this */

struct wlinput {
    struct wl_display *display;
    struct wl_compositor *compositor;
    struct wl_shm *shm;
    struct wl_seat *seat;
    struct wl_keyboard *keyboard;
    struct xdg_wm_base *wm_base;
    struct xdg_activation_v1 *activation;
    struct zwp_virtual_keyboard_manager_v1 *vk_manager;
    struct zwp_virtual_keyboard_v1 *vk;
    struct zwlr_virtual_pointer_manager_v1 *vp_manager;
    struct zwlr_virtual_pointer_v1 *vp; /* made on the first pointer command */
    struct org_kde_kwin_fake_input *fake_input;
    /* the keyboard's layout and the keys and modifiers it holds down */
    struct xkb_keymap *keymap;
    struct xkb_state *held;
    xkb_keycode_t shift;       /* the left Shift key */
    bool shift_for[KEY_LIMIT]; /* keys whose down also pressed Shift, by xkb keycode */
    /* the other window, while shown */
    struct wl_surface *surface;
    struct xdg_surface *xdg_surface;
    struct xdg_toplevel *toplevel;
    struct wl_buffer *buffer;
    bool configured, focused, entered;
    uint32_t enter_serial;
    /* the token asked for, once done */
    char token[256];
    bool token_ready;
    bool lost; /* the connection broke: every command answers so */
};

/* One answer line, flushed at once so the driver stays in step. */
void reply(const char *format, ...) __attribute__((format(printf, 1, 2)));
/* Marks the connection lost and says so. */
void reply_lost(struct wlinput *w);
/* "ok" once the compositor has had the requests sent, or the lost connection. */
void reply_done(struct wlinput *w);
bool roundtrip(struct wlinput *w);
/* Dispatches events until *flag is set or ms pass; false on a lost connection. */
bool dispatch_until(struct wlinput *w, const bool *flag, int ms);
uint32_t now_ms(void);
/* An anonymous file in memory of size bytes, holding bytes when given; -1 on failure. */
int memfd_with(const void *bytes, size_t size);

/* wlinput_keys.c: the keyboard, "virtual-keyboard", "fake-input" or "none";
   NULL, with the answer given, when it cannot be made. */
const char *make_keyboard(struct wlinput *w);
void command_key(struct wlinput *w, const char *name, bool down);

/* wlinput_pointer.c: words are the command's arguments, NULL where missing */
void command_motion(struct wlinput *w, char **words);
void command_button(struct wlinput *w, const char *state);

/* wlinput_window.c */
extern const struct wl_seat_listener wlinput_seat_listener;
extern const struct xdg_wm_base_listener wlinput_wm_base_listener;
void command_show(struct wlinput *w);
void command_hide(struct wlinput *w, bool answer);
void command_token(struct wlinput *w);

#endif
