// Loaded into the real client by Qt itself (QT_QPA_GENERIC_PLUGINS), so the
// benchmark measures the shipped program without a hook in it: notes on
// standard error when the login window and the main window are first
// shown and whenever the desktop paints, and fills in and confirms the login
// form. Times are steady-clock nanoseconds, comparable across processes.
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace {

void note(const char* what) {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(stderr, "bench-driver %s %lld\n", what,
                 static_cast<long long>(std::chrono::nanoseconds(now).count()));
    std::fflush(stderr);
}

QWidget* topLevelWidgetOf(QObject* window) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window) {
            return widget;
        }
    }
    return nullptr;
}

// Types what a player types into the login form and presses OK.
bool logIn(QWidget& form) {
    const auto field = [&form](const char* name) {
        return form.findChild<QLineEdit*>(name);
    };
    auto* admin = form.findChild<QCheckBox*>("adminCheckBox");
    auto* buttons = form.findChild<QDialogButtonBox*>("buttonBox");
    if (!field("serverPort") || !field("userName") || !field("gameName") || !admin || !buttons) {
        return false;
    }
    field("serverPort")->setText(qEnvironmentVariable("TARVENDO_BENCH_SERVER_PORT"));
    field("userName")->setText(qEnvironmentVariable("TARVENDO_BENCH_PLAYER"));
    admin->setChecked(true);
    field("gameName")->setText(qEnvironmentVariable("TARVENDO_BENCH_GAME"));
    buttons->button(QDialogButtonBox::Ok)->click();
    return true;
}

class LoginDriver : public QObject {
public:
    LoginDriver() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose) {
            exposed(watched);
        } else if (event->type() == QEvent::Paint && desktop_ && watched == desktop_) {
            // Right after the paint, once the event is over.
            QTimer::singleShot(0, this, [] { note("desktop-painted"); });
        }
        return false;
    }

private:
    void exposed(QObject* watched) {
        auto* window = qobject_cast<QWindow*>(watched);
        QWidget* widget = window && window->isExposed() ? topLevelWidgetOf(window) : nullptr;
        if (!widget) {
            return;
        }
        if (!loginShown_ && widget->objectName() == "LoginWindowController") {
            loginShown_ = true;
            // Queued: the expose paints the window first.
            QTimer::singleShot(0, this, [this, form = QPointer<QWidget>(widget)] {
                note("login-window-shown");
                note(form && logIn(*form) ? "login-sent" : "login-form-missing");
            });
        } else if (!desktop_ && qobject_cast<QMainWindow*>(widget)) {
            const auto* workspace = widget->findChild<QSplitter*>();
            desktop_ = workspace ? workspace->widget(0) : nullptr;
            QTimer::singleShot(0, this, [] { note("main-window-shown"); });
        }
    }

    bool loginShown_ = false;
    QPointer<QWidget> desktop_;
};

class LoginDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "login_driver.json")

public:
    QObject* create(const QString&, const QString&) override { return new LoginDriver(); }
};

}  // namespace

#include "LoginDriverPlugin.moc"
