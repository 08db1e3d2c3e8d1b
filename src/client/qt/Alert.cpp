#include "client/qt/Alert.h"

#include <QMessageBox>

#include "client/qt/Text.h"
#include "session/Shared.h"

namespace tarvendo::client {

namespace {

void showMessageBox(QWidget* parent, const QString& message, const QString& informative) {
    QMessageBox box(parent);
    box.setWindowTitle(qText(Shared::ApplicationName));
    box.setIcon(QMessageBox::Warning);
    box.setText(message);
    box.setInformativeText(informative);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

AlertHandler& installedHandler() {
    static AlertHandler handler = showMessageBox;
    return handler;
}

}  // namespace

void showAlert(QWidget* parent, const QString& message, const QString& informative) {
    installedHandler()(parent, message, informative);
}

AlertHandler setAlertHandler(AlertHandler handler) {
    AlertHandler previous = std::move(installedHandler());
    installedHandler() = handler ? std::move(handler) : showMessageBox;
    return previous;
}

}  // namespace tarvendo::client
