#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "SubstituteGameServer.h"
#include "client/qt/Alert.h"
#include "protocol/ToolBox.h"
#include "session/Event.h"
#include "session/UserInfo.h"

QT_BEGIN_NAMESPACE
// Readable failures for the Qt types the client tests compare.
void PrintTo(const QRectF& rect, std::ostream* out);
void PrintTo(const QRect& rect, std::ostream* out);
void PrintTo(const QString& text, std::ostream* out);
QT_END_NAMESPACE

namespace tarvendo::test {

// Runs the Qt event loop until the condition holds or the time-out passes.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs what the main queue holds now, without waiting for timers.
void runQueuedTasks();

// Posts the way the client server does: on a thread of its own.
void postFromConnectionThread(Event event, UserInfo userInfo = {});

// Records alerts instead of showing them, for as long as it lives.
class AlertRecorder {
public:
    struct Alert {
        QString message;
        QString informative;
    };
    AlertRecorder();
    ~AlertRecorder();
    const std::vector<Alert>& alerts() const { return *alerts_; }

private:
    std::shared_ptr<std::vector<Alert>> alerts_ = std::make_shared<std::vector<Alert>>();
    client::AlertHandler previous_;
};

// A logged-in session whose process-wide connection goes to a substitute
// game server.
class GameServerTest : public ::testing::Test {
protected:
    static constexpr const char* kToken = "token-17";
    static constexpr const char* kPlayerName = "Ann";

    void SetUp() override;
    void TearDown() override;

    // The data object of a recorded request.
    static std::optional<Json> dataOf(const Request& request);

    std::unique_ptr<SubstituteGameServer> server_ = std::make_unique<SubstituteGameServer>();
};

// Pixels of one colour family within a rectangle of an image.
int countPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& is);
bool isRed(QColor color);
bool isBlack(QColor color);

}  // namespace tarvendo::test
