#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The pictures pinned to the desktop, in the order they were added: five parallel text columns,
// the path in List1 and Left, Top, Width and Height as number text in List2(0) to List2(3).
namespace store {

class PictureList {
public:
    int ListCount() const { return int(paths_.size()); }
    const QStringList& List1() const { return paths_; }
    const QStringList& List2(int index) const { return geometry_.at(size_t(index)); }

    // Appends one entry: the path first, then the four geometry texts in order.
    void AddItem(const QString& path, const QString& left, const QString& top,
                 const QString& width, const QString& height);
    // Removes entry i from all five columns; the later entries move up.
    void RemoveItem(int index);

    // The position of the first entry whose five texts are these, or -1.
    int IndexOf(const QString& path, const QString& left, const QString& top,
                const QString& width, const QString& height) const;
    // The position of the first entry with this path (exact, case-sensitive), or -1.
    int IndexOfPath(const QString& path) const { return int(paths_.indexOf(path)); }

private:
    QStringList paths_;
    std::array<QStringList, 4> geometry_;
};

}  // namespace store
