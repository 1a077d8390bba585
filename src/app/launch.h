#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "platform/core/file_path.h"

namespace app {

class InstanceLock;

// Everything the program does with its command line before it opens a window: help, the
// version and start at login, which end there without needing a display; the data folder; and
// the claim to be that folder's one instance, or else the hand-over to the program that is.
class Launch {
public:
    Launch(int argc, char* argv[]);
    ~Launch();
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;

    // Whether the run ends here, and with which status.
    bool Finished() const { return exitStatus_.has_value(); }
    int ExitStatus() const { return exitStatus_.value_or(0); }

    // The data file, in the chosen data folder.
    QString DataFile() const;
    // Where this run answers later starts for its folder; empty when it does not.
    QString ServerPath() const { return serverPath_; }
    // The picture to open once the pinned pictures are back; empty when none was given.
    const platform::FilePath& Picture() const { return picture_; }
    // Whether the clipboard's picture is to be opened once the pinned pictures are back.
    bool Paste() const { return paste_; }
    bool Preferences() const { return preferences_; }
    // Whether a capture of a part of the screen starts once the pinned pictures are back.
    bool Capture() const { return capture_; }
    // For a capture: whether it takes the last captured rectangle again, and the seconds before.
    bool LastRegion() const { return lastRegion_; }
    int CaptureDelay() const { return captureDelay_; }

private:
    void Claim(const QByteArray& canonicalFolder);
    // --pins when no program runs for the data folder: the list read from the data file, or a
    // complaint that there is nothing to hide or show.
    void AnswerPinsWithoutProgram(const QString& folderName);

    std::optional<int> exitStatus_;
    QString folder_;
    QString serverPath_;
    platform::FilePath picture_;
    QString pinsCommand_;  // for --pins and --board; empty otherwise
    QString board_;        // for --board
    bool paste_ = false;
    bool preferences_ = false;
    bool capture_ = false;
    bool lastRegion_ = false;
    int captureDelay_ = 0;
    std::unique_ptr<InstanceLock> lock_;
};

}  // namespace app
