#pragma once

// Helpers of the widget tests: show a dialog as the user sees it, press its
// buttons, answer a modal dialog that some code opens.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

// Shows `dialog` and makes it the active window, so focus can be checked.
// On an X server the window must be on the screen before it can take the
// focus, and the server says when it has.
inline bool ShowActive(QWidget& dialog)
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        return false;
    dialog.raise();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

// Clicks the OK (or Cancel) button of the dialog's button box.
inline void Press(QWidget& dialog, QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    QTest::mouseClick(box->button(which), Qt::LeftButton);
}

// Runs `answer` on the next modal dialog that opens (checked every 10 ms).
inline void AnswerNextModal(std::function<void(QDialog&)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(*dialog);
        }
    });
    timer->start();
}
