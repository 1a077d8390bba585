#include "app/save_failure_notice.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

namespace app {

void SaveFailureNotice::Saved(const QString& file, const store::SaveResult& result) {
    if (result.ok) {
        told_.remove(file);
        return;
    }
    if (told_.contains(file)) return;
    told_.insert(file);
    const QString path = QFileInfo(file).absoluteFilePath();
    const QString text =
        file == dataFile_
            ? tr("張り付けた画像の位置を保存できませんでした。\n\n"
                 "データファイル: %1\n理由: %2\n\n"
                 "画像はこのまま画面に残りますが、次に起動したときには元に戻りません。")
                  .arg(path, result.error)
            : tr("%1 を保存できませんでした。\n\n理由: %2").arg(path, result.error);
    // A window of its own, owned by no other, so that it is modal to none of the pinned windows.
    auto* box =
        new QMessageBox(QMessageBox::Warning, QStringLiteral("Vellora"), text, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("SaveFailedMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // Shown once the handler that saved has finished: a pinning in progress is not interrupted
    // by the new window taking the focus.
    QTimer::singleShot(0, box, [box] { box->show(); });
}

}  // namespace app
