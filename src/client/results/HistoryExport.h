#pragma once

#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace tarvendo::client {

struct DealRecord;

// Where the export dialog starts: a file in the folder used last, or in the
// home folder the first time.
QString suggestedExportPath();

// Writes the history as CSV to the file and remembers its folder; the
// reason when it cannot.
std::optional<QString> exportHistory(const std::vector<DealRecord>& deals, const QString& path);

// Asks where to save, then exports; a failure is shown as an alert.
void exportHistoryWithDialog(QWidget* parent, const std::vector<DealRecord>& deals);

}  // namespace tarvendo::client
