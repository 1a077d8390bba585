#include "pin_list/listing.h"

namespace pin_list {

namespace {

// The file's bytes with those that would break a field of the listing escaped: the tab and
// line breaks that separate its fields and lines, the NUL that separates the fields of a reply to
// a later start, and the backslash that begins an escape. Hand-written, as Qt escapes bytes only
// by percent-encoding, which readers of tab-separated text do not undo.
QByteArray EscapedField(const QByteArray& bytes) {
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
            case '\t':
                text += "\\t";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\r':
                text += "\\r";
                break;
            case '\0':
                text += "\\0";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                text += c;
        }
    }
    return text;
}

const char* StateName(PinState state) {
    switch (state) {
        case PinState::Restoring:
            return "restoring";
        case PinState::Shown:
            return "shown";
        case PinState::Hidden:
            return "hidden";
        case PinState::Waiting:
            return "waiting";
        case PinState::Saved:
            return "saved";
        case PinState::Removed:
            return "removed";
    }
    return "";
}

QList<PinListing> RemovedListing(const QList<store::RemovedPin>& removed) {
    QList<PinListing> listing;
    for (const store::RemovedPin& pin : removed) {
        listing.append({PinState::Removed, pin.entry, BoardOf(pin.settings)});
    }
    return listing;
}

}  // namespace

QByteArray FormatListing(const QList<PinListing>& pins) {
    QByteArray text;
    for (const PinListing& pin : pins) {
        text += StateName(pin.state);
        for (const QString& value : pin.entry.geometry) text += '\t' + value.toLatin1();
        text += '\t' + EscapedField(pin.entry.path.Bytes());
        text += '\t' + EscapedField(pin.board.toUtf8()) + '\n';
    }
    return text;
}

QList<PinListing> ListSavedPins(const QString& dataFile) {
    const Stored stored = LoadStored(store::DataFolder(dataFile));
    QList<PinListing> pins;
    for (qsizetype i = 0; i < stored.records.size(); ++i) {
        const store::PictureEntry& entry = stored.records[i];
        const bool waiting = !platform::IsFolder(entry.path.Folder());
        pins.append(
            {waiting ? PinState::Waiting : PinState::Saved, entry, BoardOf(stored.settings[i])});
    }
    return pins + RemovedListing(stored.removed);
}

}  // namespace pin_list
