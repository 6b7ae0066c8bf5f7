/* wlinput: a Wayland client that types into whichever window holds the focus,
   as one physical keyboard would, and moves and clicks as one mouse would,
   for the end-to-end tests under sway and KWin. It stays connected for the
   whole test: a keyboard made and removed per key would reach the game as
   keyboard leave, which pauses it. (wtype and wlrctl make one per run, and
   speak only wlroots' protocols, which KWin does not offer.)

   It reads one command a line on stdin and answers one line on stdout:
     down KEYSYM / up KEYSYM   a key pressed or released (xkb keysym names)
     motion DX DY              the pointer moved by so many pixels
     button down|up            the left button pressed or released
     show / hide               another program's 200x150 window, "other"
     token                     an activation token, as a launcher gets one on a click
     quit
   Answers are "ok ..." or "error WHY". The first line says which keyboard
   the compositor offers, whether it makes activation tokens and which
   pointer it offers: "ready virtual-keyboard|fake-input|none
   activation|no-activation virtual-pointer|fake-input|none". Keys go through
   zwp_virtual_keyboard_v1 (wlroots) or org_kde_kwin_fake_input (KWin), the
   pointer through zwlr_virtual_pointer_v1 (wlroots) or the same fake input. */

#include <errno.h>
#include <poll.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include "wlinput.h"

void reply(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vprintf(format, args);
    va_end(args);
    putchar('\n');
    fflush(stdout);
}

void reply_lost(struct wlinput *w) {
    w->lost = true;
    reply("error the connection to the compositor is lost (%s)",
          strerror(wl_display_get_error(w->display)));
}

void reply_done(struct wlinput *w) {
    if (roundtrip(w)) {
        reply("ok");
    } else {
        reply_lost(w);
    }
}

uint32_t now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)((uint64_t)t.tv_sec * 1000u + (uint64_t)t.tv_nsec / 1000000u);
}

static void registry_global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                            uint32_t version) {
    struct wlinput *w = data;
    if (strcmp(interface, wl_compositor_interface.name) == 0) {
        w->compositor = wl_registry_bind(registry, name, &wl_compositor_interface, 1);
    } else if (strcmp(interface, wl_shm_interface.name) == 0) {
        w->shm = wl_registry_bind(registry, name, &wl_shm_interface, 1);
    } else if (strcmp(interface, wl_seat_interface.name) == 0 && !w->seat) {
        w->seat = wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5);
        wl_seat_add_listener(w->seat, &wlinput_seat_listener, w);
    } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
        w->wm_base = wl_registry_bind(registry, name, &xdg_wm_base_interface, 1);
        xdg_wm_base_add_listener(w->wm_base, &wlinput_wm_base_listener, w);
    } else if (strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        w->activation = wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1);
    } else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        w->vk_manager = wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        w->vp_manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
               version >= ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION) {
        w->fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface,
                                         ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION);
    }
}

static void registry_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {registry_global, registry_remove};

/* ---- waiting ------------------------------------------------------------ */

bool dispatch_until(struct wlinput *w, const bool *flag, int ms) {
    uint32_t end = now_ms() + (uint32_t)ms;
    while (!*flag) {
        int left = (int)(end - now_ms());
        if (left <= 0) {
            return true;
        }
        if (wl_display_dispatch_pending(w->display) < 0 ||
            (wl_display_flush(w->display) < 0 && errno != EAGAIN)) {
            return false;
        }
        struct pollfd fd = {wl_display_get_fd(w->display), POLLIN, 0};
        if (poll(&fd, 1, left) > 0 && wl_display_dispatch(w->display) < 0) {
            return false;
        }
    }
    return true;
}

bool roundtrip(struct wlinput *w) {
    return wl_display_roundtrip(w->display) >= 0;
}

int memfd_with(const void *bytes, size_t size) {
    int fd = memfd_create("wlinput", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (ftruncate(fd, (off_t)size) < 0 || (bytes && write(fd, bytes, size) != (ssize_t)size)) {
        close(fd);
        return -1;
    }
    return fd;
}

/* ---- commands --------------------------------------------------------- */

enum { MAX_WORDS = 3 }; /* a verb and at most two arguments */

static bool run_command(struct wlinput *w, char *line) {
    char *words[MAX_WORDS] = {NULL};
    for (size_t i = 0; i < MAX_WORDS; ++i) {
        words[i] = strtok(i == 0 ? line : NULL, " \t\r");
    }
    char *verb = words[0], *argument = words[1];
    if (!verb) {
        reply("error empty command");
    } else if (w->lost && strcmp(verb, "quit") != 0) {
        reply_lost(w);
    } else if ((strcmp(verb, "down") == 0 || strcmp(verb, "up") == 0) && argument) {
        command_key(w, argument, verb[0] == 'd');
    } else if (strcmp(verb, "motion") == 0) {
        command_motion(w, words + 1);
    } else if (strcmp(verb, "button") == 0) {
        command_button(w, argument);
    } else if (strcmp(verb, "show") == 0) {
        command_show(w);
    } else if (strcmp(verb, "hide") == 0) {
        command_hide(w, true);
    } else if (strcmp(verb, "token") == 0) {
        command_token(w);
    } else if (strcmp(verb, "quit") == 0) {
        reply("ok");
        return false;
    } else {
        reply("error unknown command '%s'", verb);
    }
    return true;
}

/* Serves stdin's commands while answering the compositor's pings in between. */
static int serve(struct wlinput *w) {
    char line[256];
    size_t used = 0;
    for (;;) {
        if (!w->lost && (wl_display_dispatch_pending(w->display) < 0 ||
                         (wl_display_flush(w->display) < 0 && errno != EAGAIN))) {
            w->lost = true;
        }
        struct pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0},
                                {w->lost ? -1 : wl_display_get_fd(w->display), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return 1;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && wl_display_dispatch(w->display) < 0) {
            w->lost = true;
        }
        if (!(fds[0].revents & (POLLIN | POLLHUP))) {
            continue;
        }
        ssize_t got = read(STDIN_FILENO, line + used, sizeof line - 1 - used);
        if (got <= 0) {
            return 0;
        }
        used += (size_t)got;
        char *end;
        while ((end = memchr(line, '\n', used))) {
            *end = '\0';
            bool more = run_command(w, line);
            used -= (size_t)(end + 1 - line);
            memmove(line, end + 1, used);
            if (!more) {
                return 0;
            }
        }
        if (used == sizeof line - 1) {
            reply("error the command is too long");
            used = 0;
        }
    }
}

int main(void) {
    struct wlinput w = {0};
    w.display = wl_display_connect(NULL);
    if (!w.display) {
        reply("error cannot connect to the Wayland display: %s", strerror(errno));
        return 1;
    }
    struct wl_registry *registry = wl_display_get_registry(w.display);
    wl_registry_add_listener(registry, &registry_listener, &w);
    /* The globals, then the seat's capabilities. */
    if (!roundtrip(&w) || !roundtrip(&w)) {
        reply("error the compositor closed the connection");
        return 1;
    }
    if (!w.seat) {
        reply("error the compositor offers no wl_seat");
        return 1;
    }
    const char *keys = make_keyboard(&w);
    if (!keys) {
        return 1;
    }
    const char *pointer = w.vp_manager ? "virtual-pointer" : w.fake_input ? "fake-input" : "none";
    reply("ready %s %s %s", keys, w.activation ? "activation" : "no-activation", pointer);
    int status = serve(&w);
    if (w.lost) {
        status = 1;
    } else if (w.vk || w.vp) {
        if (w.vk) {
            zwp_virtual_keyboard_v1_destroy(w.vk);
        }
        if (w.vp) {
            zwlr_virtual_pointer_v1_destroy(w.vp);
        }
        wl_display_roundtrip(w.display);
    }
    wl_display_disconnect(w.display);
    xkb_state_unref(w.held);
    xkb_keymap_unref(w.keymap);
    return status;
}
