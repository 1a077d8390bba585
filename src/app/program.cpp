#include "app/program.h"

#include <malloc.h>

#include "app/save_failure_notice.h"
#include "app/startup.h"
#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/forms.h"
#include "main_window/main_window.h"
#include "pinned_window/pinned_window.h"
#include "platform/file_path.h"
#include "platform/thumbnail_cache.h"
#include "store/picture_list.h"

namespace app {

Program::Program(const QString& dataFile, const QString& thumbnailFolder)
    : thumbnails_(thumbnailFolder.isEmpty()
                      ? nullptr
                      : std::make_unique<platform::ThumbnailCache>(thumbnailFolder)),
      pictures_(std::make_unique<store::PictureList>(dataFile)),
      saveFailureNotice_(std::make_unique<SaveFailureNotice>()) {
    pictures_->SetSaveListener(
        [notice = saveFailureNotice_.get()](const QString& file, const store::SaveResult& result) {
            notice->Saved(file, result);
        });
}

// The windows hold references to the picture list: they go first.
Program::~Program() {
    forms::DestroyAllForms();
}

void Program::Start() {
    Start(platform::FilePath());
}

std::optional<QString> Program::Start(const platform::FilePath& picture) {
    // Blocks of 128 KiB and more each get pages of their own, given back to the system when
    // freed. glibc otherwise raises that bound after freeing a decode's large buffers, and the
    // pictures kept afterwards then sit among freed memory it cannot return: 10 pins held 1.5
    // times their pixels instead of 1.1 times.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    forms::InstallFontSubstitutes();
    store::PictureList& pictures = *pictures_;
    forms::InstallFactories({
        [&pictures, thumbnails = thumbnails_.get()] {
            return new main_window::MainWindow(pictures, thumbnails);
        },
        [&pictures, thumbnails = thumbnails_.get()] {
            return new display_window::DisplayWindow(pictures, thumbnails);
        },
        [&pictures] { return new pinned_window::PinnedWindow(pictures); },
    });
    forms::Form1& form = forms::TheForm1();
    const bool hidden = Form_Load(form, pictures, thumbnails_.get());
    // The restore's decodes freed their working memory in the worker threads' malloc arenas,
    // where glibc keeps it resident; hand it back to the system.
    malloc_trim(0);
    std::optional<QString> failure;
    if (!picture.IsEmpty()) {
        failure = OpenPicture(picture);
        if (!failure) return std::nullopt;
    }
    if (!hidden) form.Show();
    return failure;
}

void Program::ShowMainWindow() {
    forms::Form1& form = forms::TheForm1();
    if (form.isMinimized()) form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.SetShownWithHide(true, pictures_->ListCount() > 0);
}

std::optional<QString> Program::OpenPicture(const platform::FilePath& picture) {
    // The main window object is always the browser's behaviour (the factory above).
    return static_cast<main_window::MainWindow&>(forms::TheForm1()).OpenPicture(picture);
}

}  // namespace app
