#include "windows/WindowPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace windows {
namespace {

// Centres length in the span [start, start + span), but never starts before start.
int CentredStart(int start, int span, int length) {
    return start + std::max(0, (span - length) / 2);
}

}  // namespace

QPoint CentredPosition(const std::vector<ScreenArea>& screens, QPoint pointer, QSize window) {
    if (screens.empty()) {
        return {0, 0};
    }
    // The same choice as QGuiApplication::screenAt, falling back to the primary screen.
    const auto holder = std::find_if(screens.begin(), screens.end(), [pointer](const ScreenArea& s) {
        return s.geometry.contains(pointer);
    });
    const QRect area = (holder != screens.end() ? *holder : screens.front()).available;
    return {CentredStart(area.x(), area.width(), window.width()),
            CentredStart(area.y(), area.height(), window.height())};
}

void CentreOnPointerScreen(QWidget& window) {
    // QGuiApplication::screens() lists the primary screen first.
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.push_back({screen->geometry(), screen->availableGeometry()});
    }
    if (screens.empty()) {
        return;
    }
    window.move(CentredPosition(screens, QCursor::pos(), window.size()));
}

}  // namespace windows
