#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Runs `answer` on the next modal window once it is shown (the dialog a call under test opens
// with exec()). A modal window still open after a few seconds is closed, so a test that
// misses its dialog, or fails inside `answer` before closing it, fails instead of hanging.
template <class Dialog> void AnswerModal(std::function<void(Dialog*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    auto started = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, answer, started] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            poll->stop();
            poll->deleteLater();
            QPointer<QWidget> shown(dialog);
            answer(dialog);
            if (shown && shown->isVisible())
                shown->close();
            return;
        }
        if (++*started > 1000) {
            poll->stop();
            poll->deleteLater();
            if (modal)
                modal->close();
        }
    });
    poll->start();
}

// Runs `answer` on the next popup menu once it is shown; closes it afterwards when `answer`
// left it open.
template <class Popup> void AnswerPopup(std::function<void(Popup*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, answer, ticks] {
        QWidget* popup = QApplication::activePopupWidget();
        auto* menu = qobject_cast<Popup*>(popup);
        if (!menu && ++*ticks < 1000)
            return;
        poll->stop();
        poll->deleteLater();
        if (!menu)
            return;
        QPointer<QWidget> shown(menu);
        answer(menu);
        if (shown && shown->isVisible())
            shown->close();
    });
    poll->start();
}
