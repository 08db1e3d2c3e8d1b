#include "client/app/CommandLine.h"

#include <QCommandLineParser>

namespace tarvendo::client {

namespace {

std::optional<std::int32_t> portFrom(const QString& text) {
    bool isNumber = false;
    const int port = text.toInt(&isNumber, 10);
    if (!isNumber || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

}  // namespace

std::variant<AppOptions, PrintAndExit> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Tarvendo Base: the estimation card game client.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption clientPort(
        "client-port", "Port on which the game server reaches this client (default 51000).", "port",
        "51000");
    parser.addOption(clientPort);
    const QCommandLineOption serverAddress(
        "server-address", "Game server address to offer in the login form.", "address");
    parser.addOption(serverAddress);
    if (!parser.parse(arguments)) {
        return PrintAndExit{parser.errorText() + "\n", 2};
    }
    if (parser.isSet(help)) {
        return PrintAndExit{parser.helpText().replace("<executable_name>", "tarvendo"), 0};
    }
    if (parser.isSet(version)) {
        return PrintAndExit{QCoreApplication::applicationName() + " " +
                                QCoreApplication::applicationVersion() + "\n",
                            0};
    }
    const std::optional<std::int32_t> port = portFrom(parser.value(clientPort));
    if (!port) {
        return PrintAndExit{"--client-port needs a port from 1 to 65535\n", 2};
    }
    std::optional<QString> address;
    if (parser.isSet(serverAddress)) {
        address = parser.value(serverAddress);
    }
    return AppOptions{*port, std::move(address), {}};
}

}  // namespace tarvendo::client
