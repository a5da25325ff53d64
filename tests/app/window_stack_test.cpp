#include "app/window_stack.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <gtest/gtest.h>

namespace ziq {
namespace {

void activate(QWidget& window) {
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(&window, &activation);
}

TEST(WindowStack, TheWindowLastShownOrActivatedIsOnTop) {
    WindowStack stack;
    QWidget first;
    QWidget second;
    EXPECT_EQ(stack.top(), nullptr);
    EXPECT_FALSE(stack.bringTopForward());
    first.show();
    second.show();
    EXPECT_EQ(stack.top(), &second);
    activate(first);
    EXPECT_EQ(stack.top(), &first);
    first.hide();
    EXPECT_EQ(stack.top(), &second);
    second.hide();
    EXPECT_EQ(stack.top(), nullptr);
}

TEST(WindowStack, TrayIconWindowsMenusAndChildrenDoNotCount) {
    WindowStack stack;
    QWidget viewer;
    viewer.show();
    QWidget trayLike(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    trayLike.show();
    QWidget popup(nullptr, Qt::Popup);
    popup.show();
    QWidget child(&viewer);
    child.show();
    EXPECT_EQ(stack.top(), &viewer);
    popup.hide();
}

TEST(WindowStack, AnOpenModalBoxComesFirst) {
    WindowStack stack;
    QWidget viewer;
    QDialog box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    viewer.show();
    EXPECT_EQ(stack.top(), &box);
    box.hide();
    EXPECT_EQ(stack.top(), &viewer);
}

TEST(WindowStack, AMinimisedTopWindowIsRestored) {
    WindowStack stack;
    QWidget viewer;
    viewer.show();
    viewer.showMinimized();
    ASSERT_TRUE(viewer.isMinimized());
    EXPECT_TRUE(stack.bringTopForward());
    EXPECT_FALSE(viewer.isMinimized());
    EXPECT_TRUE(viewer.isVisible());
}

TEST(WindowStack, AWindowDeletedMeanwhileIsForgotten) {
    WindowStack stack;
    QWidget stays;
    stays.show();
    {
        QWidget gone;
        gone.show();
        EXPECT_EQ(stack.top(), &gone);
    }
    EXPECT_EQ(stack.top(), &stays);
}

} // namespace
} // namespace ziq
