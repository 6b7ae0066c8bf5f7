#include "app/frmMain.h"

#include <QCloseEvent>
#include <QPainter>
#include <cmath>
#include <cstring>

#include "ui_frmMain.h"
#include "windows/Pictures.h"
#include "windows/WindowLook.h"

frmMain::frmMain(const std::string& programFolder, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::frmMain>()),
      surface_(windows::PlayFieldPicture(), this),
      game_(platform::Services{keyboard_, clock_, events_, messages_, random_, surface_}, programFolder) {
    ui_->setupUi(this);
    ui_->Bitmaps->hide();  // holds the sheet; never shown
    constexpr int kWidth = platform::qt::QtSurface::kWidth;
    constexpr int kHeight = platform::qt::QtSurface::kHeight;
    // Dragged by its status side only: the play area is where the game is.
    windows::SetUpWindow(*this, QRect(0, 0, kWidth, kHeight).adjusted(game::kRightWall, 0, 0, 0));
    setWindowTitle(QStringLiteral("Tilebash"));
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
        surface_.SetScale(static_cast<int32_t>(std::floor(devicePixelRatioF() + 0.01)));
        if (!game_.Form_Load(error)) return false;
        ui_->Bitmaps->setPixmap(QPixmap::fromImage(surface_.Sheet()));
        loaded_ = true;
    }
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
            messages_.MsgBox(error, "Tilebash");
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
    // image holds that many device pixels per window pixel.
    const QImage& shown = surface_.Image();
    if (CopyToBackingImage(event->region(), shown)) return;
    QPainter painter(this);
    const qreal s = shown.devicePixelRatio();
    for (const QRect& r : event->region()) {
        painter.drawImage(QPointF(r.topLeft()), shown,
                          QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s));
    }
}

// A frame's repaint is a few small boxes: copied row by row into the window's
// backing image they cost less than a painter's set-up. Only where that
// image has the surface's scale and 32-bit pixels, so the words are the ones
// the painter would have copied; anything else (a grab, a fractional scale)
// is painted.
bool frmMain::CopyToBackingImage(const QRegion& region, const QImage& shown) {
    QPoint offset;
    QPaintDevice* device = sharedPainter() == nullptr ? redirected(&offset) : nullptr;
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    auto* target = static_cast<QImage*>(device);
    const QImage::Format format = target->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied) return false;
    if (target->devicePixelRatio() != shown.devicePixelRatio() || shown.format() != QImage::Format_RGB32)
        return false;
    const int s = static_cast<int>(shown.devicePixelRatio());
    const auto inDevice = [s](const QRect& r) {
        return QRect(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
    };
    for (const QRect& r : region) {
        if (!shown.rect().contains(inDevice(r)) ||
            !target->rect().contains(inDevice(r.translated(-offset)))) {
            return false;
        }
    }
    for (const QRect& r : region) {
        const QRect from = inDevice(r);
        const QPoint to = inDevice(r.translated(-offset)).topLeft();
        const auto bytes = static_cast<std::size_t>(from.width()) * sizeof(QRgb);
        for (int y = 0; y < from.height(); ++y) {
            std::memcpy(target->scanLine(to.y() + y) + to.x() * sizeof(QRgb),
                        shown.constScanLine(from.y() + y) + from.x() * sizeof(QRgb), bytes);
        }
    }
    return true;
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Ends a running game at the top of its next frame; the window does close.
    game_.Form_QueryUnload();
    loaded_ = false;
    event->accept();
}
