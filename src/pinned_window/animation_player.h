#pragma once

#include <QImage>
#include <QObject>
#include <memory>

#include "platform/core/file_path.h"

class QFile;
class QImageReader;
class QTimer;

namespace pinned_window {

// Plays an animated GIF frame by frame, each decoded from the file when it is due, so that one
// frame is held at a time and never the whole animation. It loops for ever, as pictures on a
// desktop are expected to.
class AnimationPlayer : public QObject {
    Q_OBJECT
public:
    explicit AnimationPlayer(platform::FilePath path, QObject* parent = nullptr);
    ~AnimationPlayer() override;

    // Whether the file is a GIF of more than one frame. Reads the frame headers, no pixels.
    static bool IsAnimated(const platform::FilePath& path);

    // Running, the frames follow each other at the file's pace; paused, no timer runs and
    // nothing is decoded. Playing resumes where it stopped, with the first frame the first time.
    void SetRunning(bool running);
    bool Running() const;
    // The frame shown now, at the file's size; null before the first frame and when the file
    // could not be read.
    const QImage& Frame() const { return frame_; }

signals:
    void frameChanged();

private:
    void Advance();
    bool Reopen();

    platform::FilePath path_;
    std::unique_ptr<QFile> file_;
    std::unique_ptr<QImageReader> reader_;
    QTimer* timer_;
    QImage frame_;
    bool failed_ = false;
};

}  // namespace pinned_window
