#include "client/results/HistoryExport.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

#include "client/qt/Alert.h"
#include "client/qt/UserDefaults.h"
#include "client/results/DealHistory.h"

namespace tarvendo::client {

namespace {

constexpr auto kFolderKey = "exportFolder";
constexpr auto kFileName = "tarvendo-history.csv";

}  // namespace

QString suggestedExportPath() {
    const QString folder = userDefault(kFolderKey, QDir::homePath()).toString();
    return QDir(folder).filePath(kFileName);
}

std::optional<QString> exportHistory(const std::vector<DealRecord>& deals, const QString& path) {
    // All or nothing: a failed write leaves an earlier export as it was.
    QSaveFile file(path);
    const std::string csv = historyCsv(deals);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), qint64(csv.size())) != qint64(csv.size()) || !file.commit()) {
        return file.errorString();
    }
    setUserDefault(kFolderKey, QFileInfo(path).absolutePath());
    return std::nullopt;
}

void exportHistoryWithDialog(QWidget* parent, const std::vector<DealRecord>& deals) {
    const QString path =
        QFileDialog::getSaveFileName(parent, QStringLiteral("Export History"),
                                     suggestedExportPath(), QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    if (const std::optional<QString> failure = exportHistory(deals, path)) {
        showAlert(parent, QStringLiteral("Can't export the history"), *failure);
    }
}

}  // namespace tarvendo::client
