#include "app/frmMain.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <cstring>

#include "game/Constants.h"
#include "ui_frmMain.h"
#include "windows/Pictures.h"
#include "windows/WindowLook.h"
#include "windows/WindowPlacement.h"

namespace {
const QSize kFormSize(platform::qt::QtSurface::kWidth, platform::qt::QtSurface::kHeight);
}  // namespace

frmMain::frmMain(const std::string& programFolder, const PumpInFront& pumpInFront, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::frmMain>()),
      surface_(windows::PlayFieldPicture(), this),
      pumpInFront_(pumpInFront ? pumpInFront(events_, clock_, surface_) : nullptr),
      game_(platform::Services{keyboard_, clock_, pumpInFront_ ? *pumpInFront_ : events_, messages_,
                               random_, surface_},
            programFolder) {
    ui_->setupUi(this);
    ui_->Bitmaps->hide();  // holds the sheet; never shown
    surface_.KeepSheetPart(QSize(game::kSheetWidth, game::kSheetHeight));
    // Dragged by its status side only: the play area is where the game is.
    windows::SetUpWindow(*this, QRect(QPoint(0, 0), kFormSize).adjusted(game::kRightWall, 0, 0, 0));
    setCursor(Qt::BlankCursor);
    // The image covers the whole client area: no background to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    // A picture the game leaves on screen while it waits still reaches it.
    events_.PresentBeforeEvents(&surface_);
}

frmMain::~frmMain() = default;

bool frmMain::ShowAndFocus(std::string& error) {
    if (!loaded_) {
        // Sharp on a large screen: the image is kept at the screen's whole-number scale.
        FitImage();
        if (!game_.Form_Load(error)) return false;
        ui_->Bitmaps->setPixmap(QPixmap::fromImage(surface_.Sheet()));
        loaded_ = true;
    }
    if (fullScreen_) ApplyFullScreen();
    windows::ShowAndActivate(*this);
    setFocus(Qt::ActiveWindowFocusReason);
    return true;
}

int32_t frmMain::Main() {
    if (!loaded_) {
        // Callers show the window first; if they did not, load it now and
        // report a failure instead of playing without a sheet.
        std::string error;
        if (!ShowAndFocus(error)) {
            messages_.MsgBox(error, windows::kProgramName);
            return game_.state.score;
        }
    }
    show();  // showing it again changes nothing
    return game_.Main();
}

void frmMain::Hide() {
    hide();
}

void frmMain::SetFullScreen(bool on) {
    fullScreen_ = on;
    if (isVisible()) ApplyFullScreen();
}

void frmMain::SetSharpFit(bool allowed) {
    sharpFit_ = allowed;
    if (loaded_) FitImage();
}

// The window manager or compositor decides: one that refuses leaves the window
// as it was, and the image follows whatever size the window ends up with.
void frmMain::ApplyFullScreen() {
    if (fullScreen_ == isFullScreen()) return;
    if (fullScreen_) {
        // Full screen covers the window's screen. Shown full screen first
        // (--fullscreen, or the choice kept from an earlier run), the window
        // is first placed where a window opens, centred on the screen that
        // holds the pointer, so full screen covers that screen and leaving it
        // puts the window there; otherwise it goes back where it stood.
        if (!isVisible() && !normalPos_) {
            windows::CentreOnPointerScreen(*this);
            if (QScreen* screen = QGuiApplication::screenAt(geometry().center())) setScreen(screen);
        }
        normalPos_ = pos();
        // A window fixed at one size may not be given the screen's.
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
        return;
    }
    showNormal();
    setFixedSize(kFormSize);
    if (normalPos_) move(*normalPos_);
}

void frmMain::OnFullScreenChosen(std::function<void(bool)> keep) {
    fullScreenChosen_ = std::move(keep);
}

// The player's own choice, kept for the next runs too (SetFullScreen alone,
// as the command line calls it, keeps nothing).
void frmMain::ChooseFullScreen(bool on) {
    SetFullScreen(on);
    if (fullScreenChosen_) fullScreenChosen_(on);
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    // F11 everywhere, and the desktop's own full-screen shortcut where it has
    // one (Ctrl+Shift+F under KDE, Ctrl+F11 under GNOME).
    const bool fullScreenKey = event->key() == Qt::Key_F11 || event->matches(QKeySequence::FullScreen);
    if (fullScreenKey && !event->isAutoRepeat()) {
        ChooseFullScreen(!fullScreen_);
    } else if (event->key() == Qt::Key_Escape && fullScreen_) {
        ChooseFullScreen(false);
    } else {
        QWidget::keyPressEvent(event);
    }
}

// Moved to a monitor of another scale, the window keeps its size in units but
// not in device pixels: the image is fitted again, and the whole frame drawn anew.
bool frmMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ScreenChangeInternal && loaded_) FitImage();
    return handled;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitImage();
}

// Arrives between frames (window events are handled only in the waits), so
// the frame on screen is drawn again at the new scale.
void frmMain::FitImage() {
    const platform::qt::Placement::Fit fit = platform::qt::Placement::FitField(
        size(), kFormSize, devicePixelRatioF(), platform::qt::QtSurface::kMaxScale, sharpFit_);
    surface_.SetScale(fit.scale);
    surface_.SetPlacement(fit.placement);
    if (fit.placement.smooth) {
        const QImage& image = surface_.Image();
        sharp_.Fit(image.size(), fit.picture, fit.placement.imagePixelsPerUnit / devicePixelRatioF());
        smoothed_ = QImage(fit.picture, QImage::Format_RGB32);
    } else {
        smoothed_ = QImage();
    }
    update();
}

bool frmMain::IsLoaded() const {
    return loaded_;
}

void frmMain::Unload() {
    if (!loaded_) return;
    close();  // closeEvent runs the close request
    if (loaded_) {
        // No close event reached us (the window was never shown): same effect by hand.
        game_.Form_QueryUnload();
        loaded_ = false;
        hide();
    }
}

void frmMain::paintEvent(QPaintEvent* event) {
    // What was last presented, pixel for pixel: at a whole-number scale the
    // image holds that many device pixels per window pixel. Around it (full
    // screen) the window is black.
    const QImage& shown = surface_.Image();
    if (surface_.ImagePlacement().smooth) {
        PaintSmoothed(event->region(), shown);
        return;
    }
    if (CopyToBackingImage(event->region(), shown)) return;
    const platform::qt::Placement& at = surface_.ImagePlacement();
    const QRect picture = at.WindowRect(0, 0, shown.width(), shown.height());
    QPainter painter(this);
    for (const QRect& r : event->region().subtracted(picture)) painter.fillRect(r, Qt::black);
    // Each rectangle shows its part of the whole image drawn at its place, so
    // where the toolkit scales the image, a device pixel shows the same image
    // pixel whichever rectangle repaints it. At a fractional ratio the image
    // may also end inside a window unit (full screen at 150 %): the rest of
    // that unit is border.
    const QRectF image(at.origin, QSizeF(shown.width(), shown.height()) / at.imagePixelsPerUnit);
    for (const QRect& r : event->region().intersected(picture)) {
        painter.setClipRect(r);
        if (!image.contains(QRectF(r))) painter.fillRect(r, Qt::black);
        painter.drawImage(image, shown);
    }
}

// A frame's repaint is a few small boxes: copied row by row into the window's
// backing image they cost less than a painter's set-up. Only where that
// image's pixels are the surface image's one to one and 32-bit, so the words
// are the ones the painter would have copied; anything else (a grab, a
// fractional scale, the border of full screen) is painted.
bool frmMain::CopyToBackingImage(const QRegion& region, const QImage& shown) {
    QPoint offset;
    QPaintDevice* device = sharedPainter() == nullptr ? redirected(&offset) : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    auto* target = static_cast<QImage*>(device);
    const QImage::Format format = target->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return false;
    const platform::qt::Placement& at = surface_.ImagePlacement();
    const qreal ratio = target->devicePixelRatio();
    if (ratio != at.imagePixelsPerUnit || ratio != std::floor(ratio) ||
        shown.format() != QImage::Format_RGB32)
        return false;
    const int s = static_cast<int>(ratio);
    const QPoint origin(static_cast<int>(at.origin.x()), static_cast<int>(at.origin.y()));
    if (QPointF(origin) != at.origin) return false;
    const auto inDevice = [s](const QRect& r) {
        return QRect(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
    };
    for (const QRect& r : region) {
        if (!shown.rect().contains(inDevice(r.translated(-origin))) ||
            !target->rect().contains(inDevice(r.translated(-offset)))) {
            return false;
        }
    }
    for (const QRect& r : region) {
        const QRect from = inDevice(r.translated(-origin));
        const QPoint to = inDevice(r.translated(-offset)).topLeft();
        const auto bytes = static_cast<std::size_t>(from.width()) * sizeof(QRgb);
        for (int y = 0; y < from.height(); ++y) {
            std::memcpy(target->scanLine(to.y() + y) + to.x() * sizeof(QRgb),
                        shown.constScanLine(from.y() + y) + from.x() * sizeof(QRgb), bytes);
        }
    }
    return true;
}

// The sharp fit: each rectangle's device pixels smoothed from the image anew
// (the filter gives a pixel the same value whichever rectangle holds it), then
// shown one to one; black around the picture.
void frmMain::PaintSmoothed(const QRegion& region, const QImage& shown) {
    const qreal ratio = devicePixelRatioF();
    const QPointF at = surface_.ImagePlacement().origin * ratio;
    const QRect picture(QPoint(qRound(at.x()), qRound(at.y())), sharp_.Picture());
    if (SmoothIntoBackingImage(region, shown, picture)) return;
    QPainter painter(this);
    for (const QRect& r : region) {
        painter.fillRect(r, Qt::black);
        const QRect device(QPoint(int(std::floor(r.x() * ratio)), int(std::floor(r.y() * ratio))),
                           QPoint(int(std::ceil((r.right() + 1) * ratio)) - 1,
                                  int(std::ceil((r.bottom() + 1) * ratio)) - 1));
        const QRect inside = (device & picture).translated(-picture.topLeft());
        if (inside.isEmpty()) continue;
        sharp_.Smooth(shown, inside, smoothed_);
        painter.drawImage(
            QRectF(QPointF(inside.topLeft() + picture.topLeft()) / ratio, QSizeF(inside.size()) / ratio),
            smoothed_, QRectF(inside));
    }
}

// A frame's boxes lie inside the picture: smoothed straight into the window's
// backing image, as whole scales copy into it, where that image is 32-bit at
// one device pixel to a unit; the border and anything else take the painter.
bool frmMain::SmoothIntoBackingImage(const QRegion& region, const QImage& shown, const QRect& picture) {
    QPoint offset;
    QPaintDevice* device = sharedPainter() == nullptr ? redirected(&offset) : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    auto* target = static_cast<QImage*>(device);
    const QImage::Format format = target->format();
    if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) ||
        target->devicePixelRatio() != 1.0 || devicePixelRatioF() != 1.0 ||
        shown.format() != QImage::Format_RGB32) {
        return false;
    }
    for (const QRect& r : region) {
        if (!picture.contains(r) || !target->rect().contains(r.translated(-offset))) return false;
    }
    for (const QRect& r : region)
        sharp_.Smooth(shown, r.translated(-picture.topLeft()), *target, picture.topLeft() - offset);
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Ends a running game at the top of its next frame; the window does close.
    game_.Form_QueryUnload();
    loaded_ = false;
    event->accept();
}
