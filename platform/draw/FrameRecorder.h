#pragma once
// Records a frame's drawing and carries it out only when the picture is
// needed. A frame recorded exactly like the one the picture holds is not
// carried out again. Otherwise the new list is compared with the last one,
// and only the operations that differ are noted as changes on screen and
// carried out again, so a still frame costs nothing and a moving ball only
// its old and new places.

#include <memory>
#include <string_view>

#include "platform/draw/DrawOps.h"

namespace platform::draw {

// What carries the operations out onto a picture.
class DrawTarget {
public:
    // The screen may change where op lands: the comparison found it differs.
    virtual void NoteChange(const DrawList& list, const DrawOp& op) = 0;
    // Restores the picture to its background before a frame is carried out whole.
    virtual void Clear() = 0;
    virtual void Execute(const DrawOp& op, std::string_view text) = 0;
    // Carries coming out over the frame the picture holds, only where
    // NoteChange found the two to differ. False, having drawn nothing, when
    // it cannot; the whole frame is then carried out from a clear.
    virtual bool ExecuteChanged(const DrawList& coming) = 0;
    // Whether clearing and carrying out also note their boxes as changes on
    // screen; off while a compared frame is drawn.
    virtual void NoteChanges(bool on) = 0;

protected:
    ~DrawTarget() = default;
};

class FrameRecorder {
public:
    explicit FrameRecorder(DrawTarget& target) : target_(target) {}

    // A clear: whatever was recorded since the last picture is wiped by it.
    void StartFrame() { pending_->Clear(true); }
    void Record(const DrawOp& op, std::string_view text = {});
    // Carries out the drawing recorded so far.
    void Flush();
    // The picture no longer holds the last frame carried out (the target was
    // rebuilt or its sheet replaced); discard drops what is not carried out.
    void Forget(bool discard);
    // The target was rebuilt blank: the frame it held is carried out again
    // from a clear. A picture that was not a whole recorded frame is left to
    // the next frame.
    void Redo();

private:
    void NoteDifferences(const DrawList& before, const DrawList& now);

    DrawTarget& target_;
    std::unique_ptr<DrawList> pending_ = std::make_unique<DrawList>();  // recorded, not yet carried out
    std::unique_ptr<DrawList> done_ = std::make_unique<DrawList>();     // the frame the picture holds
    bool doneValid_ = false;  // the picture is exactly done_ carried out from a clear
};

}  // namespace platform::draw
