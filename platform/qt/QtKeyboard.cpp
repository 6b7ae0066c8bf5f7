#include "platform/qt/QtKeyboard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <string_view>
#include <utility>

namespace platform::qt {

namespace {

// Virtual-key codes of the keys whose Qt code is not already the same number.
struct KeyPair {
    int qtKey;
    int32_t virtualKey;
};
constexpr KeyPair kNamedKeys[] = {
    {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},       {Qt::Key_Backtab, 9},  {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},    {Qt::Key_Shift, 16},    {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},    {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},  {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},   {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},     {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},     {Qt::Key_Up, 38},       {Qt::Key_Right, 39},   {Qt::Key_Down, 40},
    {Qt::Key_Insert, 45},   {Qt::Key_Delete, 46},
};

// The letters of a US keyboard's three rows of letter keys, by the scan code
// of the row's first key: X and Wayland number keys by their Linux input code
// plus 8, whatever the layout.
struct LetterRow {
    uint32_t firstScanCode;
    const char* letters;
};
constexpr LetterRow kLetterRows[] = {{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};

int32_t LatinLetterAt(uint32_t scanCode) {
    for (const LetterRow& row : kLetterRows) {
        const std::string_view letters(row.letters);
        if (scanCode >= row.firstScanCode && scanCode - row.firstScanCode < letters.size()) {
            return letters[scanCode - row.firstScanCode];
        }
    }
    return 0;
}

}  // namespace

QtKeyboard::QtKeyboard(QObject* parent) : QObject(parent) {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive) Deactivated();
        });
    }
}

QtKeyboard::~QtKeyboard() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

int32_t QtKeyboard::VirtualKeyOf(int qtKey, uint32_t scanCode) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;  // Qt codes letters and digits by their ASCII capitals, as virtual keys do
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.qtKey == qtKey) return pair.virtualKey;
    }
    // Beyond Latin-1 and below Qt's own key codes, a key is the character it
    // types: one of another script, whose layout keeps the keys' places.
    if (qtKey > 0xff && qtKey < Qt::Key_Escape) return LatinLetterAt(scanCode);
    return 0;
}

void QtKeyboard::Deactivated() {
    ReleaseAll();
    focusLost_ = true;
}

bool QtKeyboard::TakeFocusLoss() {
    return std::exchange(focusLost_, false);
}

int16_t QtKeyboard::GetKeyState(int32_t virtualKey) {
    if (virtualKey <= 0 || virtualKey >= static_cast<int32_t>(down_.size())) return 0;
    return down_[static_cast<std::size_t>(virtualKey)] ? kKeyDownState : int16_t{0};
}

bool QtKeyboard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            // A held key repeats; only the first press and the real release count.
            if (key->isAutoRepeat()) break;
            const int32_t vk = VirtualKeyOf(key->key(), key->nativeScanCode());
            if (vk > 0) down_[static_cast<std::size_t>(vk)] = event->type() == QEvent::KeyPress;
            break;
        }
        case QEvent::ApplicationDeactivate:
            Deactivated();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);  // the key goes on to its widget
}

}  // namespace platform::qt
