// The toolkit keyboard remembers that the program lost the focus, once, so
// the game can pause while its keys cannot arrive.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <QWidget>

#include "MenuTestSupport.h"
#include "platform/qt/QtKeyboard.h"

namespace {

using platform::qt::QtKeyboard;

void Deactivate() {
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
}

void GoInactive() {
    QMetaObject::invokeMethod(qApp, "applicationStateChanged", Qt::DirectConnection,
                              Q_ARG(Qt::ApplicationState, Qt::ApplicationInactive));
}

TEST(QtKeyboardFocus, EitherWayOfLosingTheFocusIsReportedOnceWithEveryKeyReleased) {
    menu_test::EnsureApplication();
    for (void (*lose)() : {&Deactivate, &GoInactive}) {
        QtKeyboard keys;
        QWidget widget;
        EXPECT_FALSE(keys.TakeFocusLoss()) << "a new keyboard has lost nothing";
        QTest::keyPress(&widget, Qt::Key_Left);
        QTest::keyRelease(&widget, Qt::Key_Left);
        QTest::keyPress(&widget, Qt::Key_P);
        EXPECT_FALSE(keys.TakeFocusLoss()) << "keys are no focus loss";
        lose();
        EXPECT_EQ(keys.GetKeyState(platform::vk::P), 0);
        EXPECT_TRUE(keys.TakeFocusLoss());
        EXPECT_FALSE(keys.TakeFocusLoss()) << "reported once, then forgotten";
        lose();
        lose();
        EXPECT_TRUE(keys.TakeFocusLoss()) << "losses between two questions are one";
        EXPECT_FALSE(keys.TakeFocusLoss());
    }
}

}  // namespace
