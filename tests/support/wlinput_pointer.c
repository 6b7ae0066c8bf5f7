/* wlinput's pointer: the left button and motion, relative or to a place on
   the screen, through the virtual pointer of wlroots compositors or through
   KWin's fake input. The virtual pointer is made on the first command, so a
   test that never moves the pointer leaves the seat as it was. */
#include <stdlib.h>
#include <string.h>

#include "wlinput.h"

enum { BTN_LEFT = 0x110 };

static bool have_pointer(struct wlinput *w) {
    if (!w->vp && w->vp_manager) {
        w->vp = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(w->vp_manager, w->seat);
    }
    if (!w->vp && !w->fake_input) {
        reply("error the compositor offers no virtual pointer and no fake input");
        return false;
    }
    return true;
}

/* The numbers of a command, all of them there and numbers. */
static bool numbers(char **words, int count, double *out) {
    for (int i = 0; i < count; ++i) {
        char *end = NULL;
        out[i] = words[i] ? strtod(words[i], &end) : 0.0;
        if (!words[i] || *end != '\0') {
            reply("error %d numbers expected", count);
            return false;
        }
    }
    return true;
}

static void sent(struct wlinput *w) {
    if (w->vp) {
        zwlr_virtual_pointer_v1_frame(w->vp);
    }
    if (!roundtrip(w)) {
        reply_lost(w);
        return;
    }
    reply("ok");
}

void command_motion(struct wlinput *w, char **words) {
    double d[2];
    if (!numbers(words, 2, d) || !have_pointer(w)) {
        return;
    }
    if (w->vp) {
        zwlr_virtual_pointer_v1_motion(w->vp, now_ms(), wl_fixed_from_double(d[0]),
                                       wl_fixed_from_double(d[1]));
    } else {
        org_kde_kwin_fake_input_pointer_motion(w->fake_input, wl_fixed_from_double(d[0]),
                                               wl_fixed_from_double(d[1]));
    }
    sent(w);
}

/* wlroots maps the position through the extent onto the whole layout; KWin
   takes it in its global coordinates and needs no extent. */
void command_to(struct wlinput *w, char **words) {
    double p[4];
    if (!numbers(words, 4, p) || !have_pointer(w)) {
        return;
    }
    if (p[0] < 0 || p[1] < 0 || p[2] < 1 || p[3] < 1) {
        reply("error a place on the screen and the screen's size expected");
        return;
    }
    if (w->vp) {
        zwlr_virtual_pointer_v1_motion_absolute(w->vp, now_ms(), (uint32_t)p[0], (uint32_t)p[1],
                                                (uint32_t)p[2], (uint32_t)p[3]);
    } else if (org_kde_kwin_fake_input_get_version(w->fake_input) >=
               ORG_KDE_KWIN_FAKE_INPUT_POINTER_MOTION_ABSOLUTE_SINCE_VERSION) {
        org_kde_kwin_fake_input_pointer_motion_absolute(w->fake_input, wl_fixed_from_double(p[0]),
                                                        wl_fixed_from_double(p[1]));
    } else {
        reply("error the fake input has no absolute motion");
        return;
    }
    sent(w);
}

void command_button(struct wlinput *w, const char *state) {
    if (!state || (strcmp(state, "down") != 0 && strcmp(state, "up") != 0)) {
        reply("error button down or button up expected");
        return;
    }
    if (!have_pointer(w)) {
        return;
    }
    uint32_t pressed = state[0] == 'd' ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED;
    if (w->vp) {
        zwlr_virtual_pointer_v1_button(w->vp, now_ms(), BTN_LEFT, pressed);
    } else {
        org_kde_kwin_fake_input_button(w->fake_input, BTN_LEFT, pressed);
    }
    sent(w);
}
