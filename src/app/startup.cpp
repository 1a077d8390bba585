#include "app/startup.h"

#include <QAction>
#include <QGuiApplication>
#include <cstdint>

#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/forms.h"
#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/picture.h"
#include "platform/whole_file.h"
#include "store/data_file.h"
#include "store/picture_list.h"

namespace app {

namespace {

// Starts decoding every picture the file names, at the size its window will show it, so that
// the restore below finds most of them decoded when it reaches them. The restore itself still
// goes record by record, in file order.
void DecodeAhead(const QByteArray& data, platform::PictureDecodes& decodes) {
    store::RecordReader reader(data);
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    while (!reader.AtEnd()) {
        store::Record record;
        const auto result = reader.Read(&record);
        if (result == store::RecordReader::Result::CutShort) break;
        if (result == store::RecordReader::Result::Malformed) continue;
        if (record.path.IsEmpty()) break;
        if (!store::FileExists(record.path)) continue;
        const QSize shown(platform::ControlPixels(float(record.width)),
                          platform::ControlPixels(float(record.height)));
        decodes.Start(record.path, platform::DecodeTargetFor(shown, ratio));
    }
}

void CountOne(std::int16_t& count) {
    // A 16-bit count: more than 32767 pictures are still placed, only no longer counted.
    if (count < INT16_MAX) ++count;
}

}  // namespace

bool Form_Load(forms::Form1& form, store::PictureList& pictures,
               platform::ThumbnailCache* thumbnails) {
    const QString& fileName = pictures.DataFile();
    platform::FilePath dataFile = platform::FilePath::FromText(fileName);
    if (!store::FileExists(dataFile)) platform::CreateIfMissing(fileName);
    const std::optional<QByteArray> data = platform::ReadWholeFile(dataFile);
    if (!data) {
        // Neither readable nor creatable: start with no pictures, and do not write a file
        // that could replace one we merely failed to read.
        qWarning("vellora: cannot read or create %s; no pictures are restored",
                 qPrintable(fileName));
        return false;
    }
    platform::PictureDecodes decodes(thumbnails);
    DecodeAhead(*data, decodes);
    store::RecordReader reader(*data);
    std::int16_t count = 0;
    for (;;) {
        store::Record record;
        const bool atEnd = reader.AtEnd();
        const auto result = atEnd ? store::RecordReader::Result::CutShort : reader.Read(&record);
        if (result == store::RecordReader::Result::CutShort) {
            // The end of the file, or a last record cut short: the restore ends here.
            pictures.SaveAll();
            if (count < 1) return false;
            form.SetShownWithHide(false, true);
            return true;
        }
        if (result == store::RecordReader::Result::Malformed) {
            qWarning("vellora: a record of %s with unusable geometry is left out",
                     qPrintable(fileName));
            continue;
        }
        form.cur_left = record.left;
        form.cur_top = record.top;
        form.cur_width = record.width;
        form.cur_height = record.height;
        form.cur_path = record.path;
        if (form.cur_path.IsEmpty()) {
            pictures.SaveAll();
            return false;
        }
        if (DispPic(form, pictures, decodes)) CountOne(count);
    }
}

bool DispPic(forms::Form1& form, store::PictureList& pictures, platform::PictureDecodes& decodes) {
    forms::Form3* window = forms::NewForm3();
    window->SetLeft(float(form.cur_left));
    window->Image1->SetLeft(0);
    window->SetTop(float(form.cur_top));
    window->Image1->SetTop(0);
    window->SetWidth(float(form.cur_width));
    window->Image1->SetWidth(float(form.cur_width));
    window->SetHeight(float(form.cur_height));
    window->Image1->SetHeight(float(form.cur_height));
    if (!store::FileExists(form.cur_path)) {
        delete window;
        return false;
    }
    const platform::PictureLoad load = decodes.Take(form.cur_path, window->Image1->DecodeTarget());
    if (!load) {
        qWarning("vellora: %s is left out: %s", qPrintable(form.cur_path.DisplayText()),
                 qPrintable(platform::DescribePictureError(load.error)));
        delete window;
        return false;
    }
    window->Image1->SetPicture(load.picture);
    window->Image1->setVisible(true);
    window->Label2.Caption = form.cur_path;
    window->Show();
    window->entryTexts = {platform::NumberText(form.cur_left), platform::NumberText(form.cur_top),
                          platform::NumberText(form.cur_width),
                          platform::NumberText(form.cur_height)};
    pictures.Append({form.cur_path, window->entryTexts});
    return true;
}

}  // namespace app
