#pragma once
// Widget tests drive a modal box or dialog from a timer that finds it once it is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

namespace tavlo::testing {

// Acts on the next modal window; gives up after five seconds rather than hang the test.
inline void whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries = 0]() mutable {
        QWidget* w = QApplication::activeModalWidget();
        if (!w && ++tries < 500)
            return;
        timer->deleteLater();
        timer->stop();
        if (w)
            act(w);
        else
            ADD_FAILURE() << "no modal window came up";
    });
    timer->start(10);
}

} // namespace tavlo::testing
