/* wlinput's pointer: relative motion and the left button, through the
   virtual pointer of wlroots compositors or through KWin's fake input. The
   virtual pointer is made on the first command, so a test that never moves
   the pointer leaves the seat as it was. */
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

static bool number(const char *word, double *out) {
    char *end = NULL;
    *out = word ? strtod(word, &end) : 0.0;
    return word && *end == '\0';
}

static void sent(struct wlinput *w) {
    if (w->vp) {
        zwlr_virtual_pointer_v1_frame(w->vp);
    }
    reply_done(w);
}

void command_motion(struct wlinput *w, char **words) {
    double dx, dy;
    if (!number(words[0], &dx) || !number(words[1], &dy)) {
        reply("error motion DX DY expected");
        return;
    }
    if (!have_pointer(w)) {
        return;
    }
    if (w->vp) {
        zwlr_virtual_pointer_v1_motion(w->vp, now_ms(), wl_fixed_from_double(dx), wl_fixed_from_double(dy));
    } else {
        org_kde_kwin_fake_input_pointer_motion(w->fake_input, wl_fixed_from_double(dx), wl_fixed_from_double(dy));
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
