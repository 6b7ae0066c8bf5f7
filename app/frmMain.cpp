#include "platform/qt/frmMain.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "platform/qt/Pictures.h"
#include "platform/qt/WindowDrag.h"
#include "platform/qt/WindowPlacement.h"
#include "ui_frmMain.h"

frmMain::frmMain(const std::string& programFolder, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::frmMain>()),
      surface_(platform::qt::PlayFieldPicture(), this),
      game_(platform::Services{keyboard_, clock_, events_, messages_, random_, surface_}, programFolder) {
    ui_->setupUi(this);
    ui_->Bitmaps->hide();  // holds the sheet; never shown
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(platform::qt::QtSurface::kWidth, platform::qt::QtSurface::kHeight);
    setWindowTitle(QStringLiteral("Tilebash"));
    setCursor(Qt::BlankCursor);
    setWindowIcon(platform::qt::ProgramIcon());
    // The image covers the whole client area: no background to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    // Dragged by its status side only: the play area is where the game is.
    platform::qt::WindowDrag::Install(*this, rect().adjusted(game::kRightWall, 0, 0, 0));
    // A picture the game leaves on screen while it waits still reaches it.
    events_.PresentBeforeEvents(&surface_);
}

frmMain::~frmMain() = default;

bool frmMain::ShowAndFocus(std::string& error) {
    if (!loaded_) {
        // Sharp on a large screen: the image is kept at the screen's whole-number scale.
        surface_.SetScale(static_cast<int32_t>(std::floor(devicePixelRatioF() + 0.01)));
        if (!game_.Form_Load(error)) return false;
        ui_->Bitmaps->setPixmap(QPixmap::fromImage(surface_.sheet()));
        loaded_ = true;
    }
    if (!placed_) {
        CentreOnScreen();
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
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

game::Game& frmMain::game() { return game_; }

void frmMain::paintEvent(QPaintEvent* event) {
    // What was last presented, pixel for pixel: at a whole-number scale the
    // image holds that many device pixels per window pixel.
    QPainter painter(this);
    const QImage& shown = surface_.shown();
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

void frmMain::CentreOnScreen() { platform::qt::CentreOnPointerScreen(*this); }
