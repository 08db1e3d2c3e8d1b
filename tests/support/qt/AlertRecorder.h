#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "client/qt/Alert.h"

namespace tarvendo::test {

// Records alerts instead of showing them, for as long as it lives.
class AlertRecorder {
public:
    struct Alert {
        QString message;
        QString informative;
    };
    AlertRecorder();
    ~AlertRecorder();
    AlertRecorder(const AlertRecorder&) = delete;
    AlertRecorder& operator=(const AlertRecorder&) = delete;
    const std::vector<Alert>& alerts() const { return *alerts_; }

private:
    std::shared_ptr<std::vector<Alert>> alerts_ = std::make_shared<std::vector<Alert>>();
    client::AlertHandler previous_;
};

}  // namespace tarvendo::test
