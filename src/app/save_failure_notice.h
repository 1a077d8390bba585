#pragma once

#include <QCoreApplication>
#include <QSet>
#include <QString>

#include "store/data_file.h"

namespace app {

// Tells the user that a file of the data folder could not be saved, so that a failed save is
// never taken for a good one: for each file, the first failure in a message box that names the
// file and the reason; later failures of that file only on standard error, where every save
// failure goes; a save of the file that succeeds ends that state, so its next failure is told
// again. The pictures stay pinned on screen either way.
class SaveFailureNotice {
    Q_DECLARE_TR_FUNCTIONS(app::SaveFailureNotice)

public:
    explicit SaveFailureNotice(QString dataFile) : dataFile_(std::move(dataFile)) {}
    void Saved(const QString& file, const store::SaveResult& result);

private:
    QString dataFile_;
    QSet<QString> told_;
};

}  // namespace app
