#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <cstdio>

#include "client/app/AppDelegate.h"
#include "client/app/CommandLine.h"
#include "client/qt/QtMainQueue.h"
#include "program/StopSignal.h"

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication::setApplicationName("Tarvendo Base");
    QApplication::setApplicationVersion(TARVENDO_VERSION);
    // --help and --version work without a display.
    const auto command = tarvendo::client::parseCommandLine(argumentsOf(argc, argv));
    if (const auto* print = std::get_if<tarvendo::client::PrintAndExit>(&command)) {
        std::fputs(print->text.toLocal8Bit().constData(), print->status == 0 ? stdout : stderr);
        return print->status;
    }
    QApplication application(argc, argv);
    // Quitting always goes through the logout first.
    QApplication::setQuitOnLastWindowClosed(false);
    // The running window matches the menu entry and its icon.
    QGuiApplication::setDesktopFileName("tarvendo");
    QApplication::setWindowIcon(QIcon(":/icon"));
    const tarvendo::client::QtMainQueueInstallation mainQueue;
    tarvendo::client::AppDelegate delegate(std::get<tarvendo::client::AppOptions>(command));
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    // Ctrl+C or a session's end logs out as Quit does: the others see the
    // player leave at once rather than after the grace.
    QSocketNotifier stop(tarvendo::StopSignal::install().descriptor(), QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, [&] {
        stop.setEnabled(false);  // the request stays readable
        delegate.applicationShouldTerminate();
    });
    return QApplication::exec();
}
