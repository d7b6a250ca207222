// Acting on a modal dialog from a widget test: the dialog runs its own event loop, so the
// test's action waits on a timer until the dialog is up.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>

namespace cyrvert::test {

// Runs `act` on the modal dialog of type Dialog as soon as one is up; a long command may pump
// events for a while before it opens one.
template <typename Dialog, typename Act>
void WhenModal(QObject* context, Act act) {
  auto* timer = new QTimer(context);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, context, [timer, act] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    act(dialog);
    if (dialog->isVisible()) dialog->reject();  // a failed check must not leave it waiting
  });
  timer->start();
}

}  // namespace cyrvert::test
