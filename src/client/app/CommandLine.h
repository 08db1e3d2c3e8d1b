#pragma once

#include <QStringList>
#include <optional>
#include <variant>

#include "client/app/AppDelegate.h"

namespace tarvendo::client {

// What the command line asks for: run with options, or print a text and exit.
struct PrintAndExit {
    QString text;
    int status = 0;
};

std::variant<AppOptions, PrintAndExit> parseCommandLine(const QStringList& arguments);

}  // namespace tarvendo::client
