#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "text_recognition/recognised_text.h"

// The text a pin's picture was drawn from, kept in a folder of the program's data folder under
// the picture's own bytes: whatever the picture file is named, in "pasted", "removed" or back
// again, the same picture finds the same text, and no recognition is needed for it.
namespace text_recognition {

struct KeptText {
    QString text;  // as it was pasted
    Words words;   // where each of its words is drawn, in the picture's pixels
};

class KeptTexts {
public:
    // The folder need not exist yet: it is made on the first Keep.
    explicit KeptTexts(QString folder) : folder_(std::move(folder)) {}

    // Keeps the text that `picture` (a file's bytes) was drawn from; why not, if it was not.
    std::optional<QString> Keep(const QByteArray& picture, const KeptText& kept) const;
    // The text kept for the picture, if any. Only a PNG can have one.
    std::optional<KeptText> Find(const QByteArray& picture) const;

    // The file that keeps the picture's text; tests look at it.
    QString FileFor(const QByteArray& picture) const;

private:
    QString folder_;
};

}  // namespace text_recognition
