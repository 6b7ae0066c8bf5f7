/* The other program's window wlinput shows, the keyboard focus followed to
   tell whether it has it, and the activation token it asks for. */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "wlinput.h"

enum { OTHER_W = 200, OTHER_H = 150, WAIT_MS = 5000, FOCUS_WAIT_MS = 2000 };
static const uint32_t OTHER_COLOUR = 0xff3070c0;

static void keyboard_keymap(void *data, struct wl_keyboard *k, uint32_t format, int32_t fd, uint32_t size) {
    (void)data, (void)k, (void)format, (void)size;
    close(fd);
}

static void keyboard_enter(void *data, struct wl_keyboard *k, uint32_t serial, struct wl_surface *surface,
                           struct wl_array *keys) {
    struct wlinput *w = data;
    (void)k, (void)keys;
    if (surface && surface == w->surface) {
        w->focused = w->entered = true;
        w->enter_serial = serial;
    }
}

static void keyboard_leave(void *data, struct wl_keyboard *k, uint32_t serial, struct wl_surface *surface) {
    struct wlinput *w = data;
    (void)k, (void)serial;
    if (surface && surface == w->surface) {
        w->focused = false;
    }
}

static void keyboard_key(void *data, struct wl_keyboard *k, uint32_t serial, uint32_t time, uint32_t key,
                         uint32_t state) {
    (void)data, (void)k, (void)serial, (void)time, (void)key, (void)state;
}

static void keyboard_modifiers(void *data, struct wl_keyboard *k, uint32_t serial, uint32_t depressed,
                               uint32_t latched, uint32_t locked, uint32_t group) {
    (void)data, (void)k, (void)serial, (void)depressed, (void)latched, (void)locked, (void)group;
}

static void keyboard_repeat(void *data, struct wl_keyboard *k, int32_t rate, int32_t delay) {
    (void)data, (void)k, (void)rate, (void)delay;
}

static const struct wl_keyboard_listener keyboard_listener = {
    keyboard_keymap, keyboard_enter, keyboard_leave, keyboard_key, keyboard_modifiers, keyboard_repeat};

/* The keyboard focus is followed only to answer show and to make a token. */
static void seat_capabilities(void *data, struct wl_seat *seat, uint32_t caps) {
    struct wlinput *w = data;
    if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && !w->keyboard) {
        w->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(w->keyboard, &keyboard_listener, w);
    } else if (!(caps & WL_SEAT_CAPABILITY_KEYBOARD) && w->keyboard) {
        if (wl_keyboard_get_version(w->keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(w->keyboard);
        } else {
            wl_keyboard_destroy(w->keyboard);
        }
        w->keyboard = NULL;
        w->focused = false;
    }
}

static void seat_name(void *data, struct wl_seat *seat, const char *name) {
    (void)data, (void)seat, (void)name;
}

const struct wl_seat_listener wlinput_seat_listener = {seat_capabilities, seat_name};

static void wm_base_ping(void *data, struct xdg_wm_base *base, uint32_t serial) {
    (void)data;
    xdg_wm_base_pong(base, serial);
}

const struct xdg_wm_base_listener wlinput_wm_base_listener = {wm_base_ping};

static void xdg_surface_configure(void *data, struct xdg_surface *surface, uint32_t serial) {
    struct wlinput *w = data;
    xdg_surface_ack_configure(surface, serial);
    if (!w->configured) {
        w->configured = true;
        wl_surface_attach(w->surface, w->buffer, 0, 0);
        wl_surface_damage(w->surface, 0, 0, OTHER_W, OTHER_H);
    }
    wl_surface_commit(w->surface);
}

static const struct xdg_surface_listener xdg_surface_listener = {xdg_surface_configure};

/* The window keeps its size whatever the compositor suggests. */
static void toplevel_configure(void *data, struct xdg_toplevel *t, int32_t width, int32_t height,
                               struct wl_array *states) {
    (void)data, (void)t, (void)width, (void)height, (void)states;
}

static void toplevel_close(void *data, struct xdg_toplevel *t) {
    (void)data, (void)t;
}

static const struct xdg_toplevel_listener toplevel_listener = {.configure = toplevel_configure,
                                                               .close = toplevel_close};

static void token_done(void *data, struct xdg_activation_token_v1 *token, const char *text) {
    struct wlinput *w = data;
    (void)token;
    snprintf(w->token, sizeof w->token, "%s", text);
    w->token_ready = true;
}

static const struct xdg_activation_token_v1_listener token_listener = {token_done};

static struct wl_buffer *solid_buffer(struct wlinput *w) {
    size_t size = (size_t)OTHER_W * OTHER_H * 4;
    int fd = memfd_with(NULL, size);
    if (fd < 0) {
        return NULL;
    }
    uint32_t *pixels = mmap(NULL, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return NULL;
    }
    for (size_t i = 0; i < size / 4; ++i) {
        pixels[i] = OTHER_COLOUR;
    }
    munmap(pixels, size);
    struct wl_shm_pool *pool = wl_shm_create_pool(w->shm, fd, (int32_t)size);
    struct wl_buffer *buffer =
        wl_shm_pool_create_buffer(pool, 0, OTHER_W, OTHER_H, OTHER_W * 4, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

void command_hide(struct wlinput *w, bool answer) {
    if (!w->surface) {
        if (answer) {
            reply("error no window is shown");
        }
        return;
    }
    xdg_toplevel_destroy(w->toplevel);
    xdg_surface_destroy(w->xdg_surface);
    wl_surface_destroy(w->surface);
    wl_buffer_destroy(w->buffer);
    w->surface = NULL;
    w->configured = w->focused = w->entered = false;
    if (answer) {
        reply_done(w);
    }
}

/* Fixed min and max sizes: a tiling compositor floats it rather than
   tiling it beside the game. */
void command_show(struct wlinput *w) {
    if (w->surface) {
        reply("error the window is shown already");
        return;
    }
    if (!w->compositor || !w->shm || !w->wm_base) {
        reply("error the compositor offers no wl_compositor, wl_shm or xdg_wm_base");
        return;
    }
    w->buffer = solid_buffer(w);
    if (!w->buffer) {
        reply("error no shared memory for the window: %s", strerror(errno));
        return;
    }
    w->surface = wl_compositor_create_surface(w->compositor);
    w->xdg_surface = xdg_wm_base_get_xdg_surface(w->wm_base, w->surface);
    xdg_surface_add_listener(w->xdg_surface, &xdg_surface_listener, w);
    w->toplevel = xdg_surface_get_toplevel(w->xdg_surface);
    xdg_toplevel_add_listener(w->toplevel, &toplevel_listener, w);
    xdg_toplevel_set_title(w->toplevel, "other");
    xdg_toplevel_set_app_id(w->toplevel, "wlinput-other");
    xdg_toplevel_set_min_size(w->toplevel, OTHER_W, OTHER_H);
    xdg_toplevel_set_max_size(w->toplevel, OTHER_W, OTHER_H);
    wl_surface_commit(w->surface);
    if (!dispatch_until(w, &w->configured, WAIT_MS)) {
        reply_lost(w);
    } else if (!w->configured) {
        command_hide(w, false);
        reply("error the compositor did not configure the window");
    } else if (!dispatch_until(w, &w->focused, FOCUS_WAIT_MS)) {
        reply_lost(w);
    } else {
        reply("ok %s", w->focused ? "focused" : "unfocused");
    }
}

void command_token(struct wlinput *w) {
    if (!w->activation) {
        reply("error the compositor offers no xdg_activation_v1");
        return;
    }
    if (!w->surface) {
        reply("error no window is shown to ask for a token");
        return;
    }
    w->token_ready = false;
    struct xdg_activation_token_v1 *request = xdg_activation_v1_get_activation_token(w->activation);
    xdg_activation_token_v1_add_listener(request, &token_listener, w);
    if (w->entered) {
        xdg_activation_token_v1_set_serial(request, w->enter_serial, w->seat);
    }
    xdg_activation_token_v1_set_surface(request, w->surface);
    xdg_activation_token_v1_commit(request);
    bool lost = !dispatch_until(w, &w->token_ready, WAIT_MS);
    xdg_activation_token_v1_destroy(request);
    if (lost) {
        reply_lost(w);
    } else if (!w->token_ready) {
        reply("error the compositor sent no token");
    } else {
        reply("ok %s", w->token);
    }
}
