#include "support/qt/AlertRecorder.h"

namespace tarvendo::test {

AlertRecorder::AlertRecorder()
    : previous_(client::setAlertHandler(
          [alerts = alerts_](QWidget*, const QString& message, const QString& informative) {
              alerts->push_back({message, informative});
          })) {}

AlertRecorder::~AlertRecorder() {
    client::setAlertHandler(previous_);
}

}  // namespace tarvendo::test
