#pragma once

#include <QCoreApplication>
#include <QString>

#include "store/data_file.h"

namespace app {

// Tells the user that the pinned pictures could not be saved, so that a failed save is never
// taken for a good one: the first failure of a run in a message box that names the data file and
// the reason; later failures only on standard error, where every save failure goes; a save that
// succeeds ends that state, so the next failure is told again. The pictures stay pinned on
// screen either way.
class SaveFailureNotice {
    Q_DECLARE_TR_FUNCTIONS(app::SaveFailureNotice)

public:
    void Saved(const QString& dataFile, const store::SaveResult& result);

private:
    bool told_ = false;
};

}  // namespace app
