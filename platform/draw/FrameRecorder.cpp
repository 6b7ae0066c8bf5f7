#include "platform/draw/FrameRecorder.h"

#include <utility>

namespace platform::draw {

void FrameRecorder::Record(const DrawOp& op, std::string_view text) {
    if (pending_->Add(op, text)) return;
    Flush();
    if (!pending_->Add(op, text)) target_.Execute(op, text);  // more text than the store holds
}

void FrameRecorder::Forget(bool discard) {
    if (discard) pending_->Clear(false);
    doneValid_ = false;
}

void FrameRecorder::Redo() {
    if (!doneValid_) return;
    target_.NoteChanges(true);
    target_.Clear();
    for (int i = 0; i < done_->Count(); ++i) target_.Execute(done_->At(i), done_->TextOf(done_->At(i)));
}

void FrameRecorder::Flush() {
    if (pending_->Empty() && !pending_->StartsWithCls()) return;
    const bool fromClear = pending_->StartsWithCls();
    if (fromClear && doneValid_ && pending_->SameAs(*done_)) {
        pending_->Clear(false);  // the picture already holds exactly this frame
        return;
    }
    // Both frames start from the background: a pixel that only operations
    // common to both touch, in the same order, comes out the same.
    const bool compared = fromClear && doneValid_;
    if (compared) {
        NoteDifferences(*done_, *pending_);
        if (target_.ExecuteChanged(*pending_)) {
            std::swap(pending_, done_);
            pending_->Clear(false);
            return;
        }
    }
    target_.NoteChanges(!compared);
    if (fromClear) target_.Clear();
    for (int i = 0; i < pending_->Count(); ++i) {
        const DrawOp& op = pending_->At(i);
        target_.Execute(op, pending_->TextOf(op));
    }
    target_.NoteChanges(true);
    if (fromClear) std::swap(pending_, done_);
    doneValid_ = fromClear;
    pending_->Clear(false);
}

void FrameRecorder::NoteDifferences(const DrawList& before, const DrawList& now) {
    // Walks both lists in order, pairing equal operations; one dropped or
    // added operation (a brick gone, a caption started) is stepped over.
    int i = 0, j = 0;
    const int n = before.Count(), m = now.Count();
    const auto same = [&](int a, int b) {
        if (a >= n || b >= m) return false;
        DrawOp x = before.At(a), y = now.At(b);
        x.textStart = y.textStart = 0;  // where the text is stored does not matter, only what it says
        return x == y && before.TextOf(before.At(a)) == now.TextOf(now.At(b));
    };
    while (i < n || j < m) {
        if (same(i, j)) {
            ++i, ++j;
        } else if (same(i + 1, j)) {
            target_.NoteChange(before, before.At(i++));
        } else if (same(i, j + 1)) {
            target_.NoteChange(now, now.At(j++));
        } else {
            if (i < n) target_.NoteChange(before, before.At(i++));
            if (j < m) target_.NoteChange(now, now.At(j++));
        }
    }
}

}  // namespace platform::draw
