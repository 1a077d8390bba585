#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>

#include "marks/mark_set.h"

// Every marked pin's marks, one file a pin in a folder of the data folder ("marks/"), named by
// the pin's marks key. A pin's settings name its key, so the marks follow the pin wherever its
// settings go: unpinned and pinned again, removed and put back, moved to another board.
//
// The save rule: a change is written once the user pauses (within the save delay), when the
// caller asks (SaveNow: the marking mode ends, the program ends), and never during a stroke,
// which is no change until it is made.
namespace marks {

class MarksStore : public QObject {
    Q_OBJECT
public:
    explicit MarksStore(QString folder, QObject* parent = nullptr);
    ~MarksStore() override;

    // Whether a key is one Make gives: a key from a settings file edited by hand that is not
    // names no file.
    static bool IsKey(const QString& key);

    // Marks for a pin marked for the first time, under a new key, kept at once as an empty file:
    // so a key with no file is a file lost. The key.
    QString Make();
    // The pin's marks, read from its file on first use. A damaged file is set aside (renamed),
    // and the pin has the marks that read. Null for a key that is not one.
    MarkSet* Of(const QString& key);

    // Writes every set changed since it was last written.
    void SaveNow();
    // How long after a change it is written: half a second unless a test chooses another.
    void SetSaveDelay(int milliseconds) { saveTimer_.setInterval(milliseconds); }
    // Deletes the pin's marks, in memory and on disk (its pin is gone for good). Nothing is
    // deleted from a folder that is a symbolic link: it is the user's.
    void Forget(const QString& key);

    QString FileOf(const QString& key) const;

signals:
    // A pin's marks changed: `dirty` in picture pixels.
    void changed(const QString& key, const QRectF& dirty);

private:
    void Changed(const QString& key);
    MarkSet* Keep(const QString& key, QList<Mark> marks);
    // The marks when they were read already (or made), without reading anything.
    MarkSet* Loaded(const QString& key) const;

    QString folder_;
    QHash<QString, std::shared_ptr<MarkSet>> sets_;
    QSet<QString> unsaved_;
    QTimer saveTimer_;
};

}  // namespace marks
