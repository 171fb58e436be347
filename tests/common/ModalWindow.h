#pragma once
// Acting on a modal dialog of a known kind from inside its own event loop.
#include "TestSupport.h"

#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

// Before the call that opens the dialog: once the dialog is up and active, runs `act` on it and
// then, if it is still loaded, `leave` (the test's way out); `ran` tells whether it got there.
template <class T>
void WhenModalWindow(bool& ran, std::function<void(T*)> act, std::function<void(T*)> leave)
{
    ran = false;
    WhenModal([&ran, act = std::move(act), leave = std::move(leave)](QWidget* w) {
        auto* f = qobject_cast<T*>(w);
        ASSERT_NE(f, nullptr);
        ran = true;
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
        act(f);
        if (f->IsLoaded())
            leave(f);
    });
}

} // namespace testing_support
