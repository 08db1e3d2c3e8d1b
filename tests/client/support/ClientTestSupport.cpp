#include "ClientTestSupport.h"

#include <QCoreApplication>
#include <QTest>

#include <thread>

#include "protocol/Exchange.h"
#include "session/NotificationCenter.h"
#include "session/Shared.h"

QT_BEGIN_NAMESPACE
void PrintTo(const QRectF& rect, std::ostream* out) {
    *out << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height()
         << ")";
}

void PrintTo(const QRect& rect, std::ostream* out) {
    PrintTo(QRectF(rect), out);
}

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace tarvendo::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

void runQueuedTasks() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void postFromConnectionThread(Event event, UserInfo userInfo) {
    std::thread connection([&] { NotificationCenter::defaultCenter().post(event, userInfo); });
    connection.join();
}

AlertRecorder::AlertRecorder()
    : previous_(client::setAlertHandler(
          [alerts = alerts_](QWidget*, const QString& message, const QString& informative) {
              alerts->push_back({message, informative});
          })) {}

AlertRecorder::~AlertRecorder() {
    client::setAlertHandler(previous_);
}

void GameServerTest::SetUp() {
    Shared::reset();
    Shared::setToken(std::string(kToken));
    Shared::setPlayerName(std::string(kPlayerName));
    ASSERT_TRUE(connectToGameServer(server_->address()));
}

void GameServerTest::TearDown() {
    closeGameServerConnection();
    server_.reset();
    Shared::reset();
}

std::optional<Json> GameServerTest::dataOf(const Request& request) {
    return ToolBox::fromJsonObject(request.data);
}

int countPixels(const QImage& image, const QRect& area, const std::function<bool(QColor)>& is) {
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            count += is(image.pixelColor(x, y)) ? 1 : 0;
        }
    }
    return count;
}

bool isRed(QColor color) {
    return color.alpha() == 255 && color.red() > 200 && color.green() < 60 && color.blue() < 60;
}

bool isBlack(QColor color) {
    return color.alpha() == 255 && color.red() < 40 && color.green() < 40 && color.blue() < 40;
}

}  // namespace tarvendo::test
