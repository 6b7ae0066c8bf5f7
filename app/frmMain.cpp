#include "app/frmMain.h"

#include <QCloseEvent>
#include <QPainter>
#include <cmath>

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

void frmMain::Hide() { hide(); }

bool frmMain::IsLoaded() const { return loaded_; }

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
    QPainter painter(this);
    const QImage& shown = surface_.Image();
    const qreal s = shown.devicePixelRatio();
    for (const QRect& r : event->region()) {
        painter.drawImage(QPointF(r.topLeft()), shown, QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s));
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Ends a running game at the top of its next frame; the window does close.
    game_.Form_QueryUnload();
    loaded_ = false;
    event->accept();
}
