#include "preferences_window/preferences_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "store/pin_settings.h"

namespace preferences_window {

QStringList InstalledLanguages(const QString& dataPath) {
    QStringList names;
    for (const QString& file :
         QDir(dataPath).entryList({QStringLiteral("*.traineddata")}, QDir::Files, QDir::Name)) {
        const QString name = file.chopped(int(sizeof ".traineddata") - 1);
        if (name != QLatin1String("osd")) names.append(name);
    }
    return names;
}

PreferencesWindow::PreferencesWindow(preferences::Preferences& preferences, QList<KeyRow> rows,
                                     QStringList languages, Hooks hooks)
    : preferences_(preferences),
      rows_(std::move(rows)),
      languages_(std::move(languages)),
      hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("PreferencesWindow"));
    setWindowTitle(tr("設定"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreateKeys());
    layout->addWidget(CreateGeneral());
    layout->addWidget(CreatePinsAndCapture());
    layout->addWidget(CreateRecognition());
}

QWidget* PreferencesWindow::CreateKeys() {
    auto* box = new QGroupBox(tr("キー"), this);
    auto* form = new QFormLayout(box);
    for (const KeyRow& row : rows_) {
        auto* edit = new QKeySequenceEdit(preferences_.Key(row.command), box);
        edit->setObjectName(QStringLiteral("key_") + row.command);
        auto* clear = new QPushButton(tr("消去"), box);
        clear->setObjectName(QStringLiteral("key_clear_") + row.command);
        auto* note = new QLabel(box);
        note->setObjectName(QStringLiteral("key_note_") + row.command);
        auto* line = new QHBoxLayout();
        line->addWidget(edit, 1);
        line->addWidget(clear);
        auto* cell = new QVBoxLayout();
        cell->addLayout(line);
        cell->addWidget(note);
        form->addRow(row.text, cell);
        // One key, not a chord: the edit stops at the first.
        connect(edit, &QKeySequenceEdit::keySequenceChanged, this,
                [this, edit, command = row.command](const QKeySequence& key) {
                    if (key.count() > 1) {
                        edit->setKeySequence(QKeySequence(key[0]));
                        return;
                    }
                    preferences_.SetKey(command, key);
                    Changed();
                });
        // The edit tells its empty key as it tells any other.
        connect(clear, &QPushButton::clicked, edit, &QKeySequenceEdit::clear);
        edits_.append(edit);
        notes_.append(note);
    }
    elsewhere_ = new QLabel(
        tr("このデスクトップではキーを保持できません。デスクトップの設定で、キーに「vellora "
           "--capture」などのコマンドを割り当ててください。"),
        box);
    elsewhere_->setObjectName(QStringLiteral("keys_elsewhere"));
    elsewhere_->setWordWrap(true);
    elsewhere_->hide();
    form->addRow(elsewhere_);
    return box;
}

QWidget* PreferencesWindow::CreateGeneral() {
    auto* box = new QGroupBox(tr("全般"), this);
    auto* form = new QFormLayout(box);
    auto* language = new QComboBox(box);
    language->setObjectName(QStringLiteral("language"));
    language->addItems(
        {tr("デスクトップに従う"), QStringLiteral("日本語"), QStringLiteral("English")});
    language->setCurrentIndex(int(preferences_.UiLanguage()));
    auto* later = new QLabel(tr("次の起動から有効になります。"), box);
    later->setObjectName(QStringLiteral("language_later"));
    later->setVisible(false);
    connect(language, &QComboBox::currentIndexChanged, this, [this, later](int index) {
        preferences_.SetUiLanguage(preferences::Language(index));
        later->setVisible(true);
        Changed();
    });
    form->addRow(tr("言語"), language);
    form->addRow(later);
    auto* autostart = new QCheckBox(tr("ログイン時に起動する"), box);
    autostart->setObjectName(QStringLiteral("autostart"));
    autostart->setChecked(hooks_.startsAtLogin && hooks_.startsAtLogin());
    connect(autostart, &QCheckBox::toggled, this, [this](bool on) {
        if (hooks_.setStartAtLogin) hooks_.setStartAtLogin(on);
    });
    form->addRow(autostart);
    return box;
}

QWidget* PreferencesWindow::CreatePinsAndCapture() {
    auto* box = new QGroupBox(tr("新しい画像と取り込み"), this);
    auto* form = new QFormLayout(box);
    auto* above = new QCheckBox(tr("新しい画像を常に手前に表示する"), box);
    above->setObjectName(QStringLiteral("new_pins_above"));
    above->setChecked(preferences_.NewPinsAbove());
    connect(above, &QCheckBox::toggled, this, [this](bool on) {
        preferences_.SetNewPinsAbove(on);
        Changed();
    });
    form->addRow(above);
    auto* opacity = new QComboBox(box);
    opacity->setObjectName(QStringLiteral("new_pins_opacity"));
    for (const int percent : store::kOpacitySteps) {
        opacity->addItem(QStringLiteral("%1%").arg(percent), percent);
    }
    opacity->setCurrentIndex(std::max(0, opacity->findData(preferences_.NewPinsOpacity())));
    connect(opacity, &QComboBox::currentIndexChanged, this, [this, opacity](int index) {
        preferences_.SetNewPinsOpacity(opacity->itemData(index).toInt());
        Changed();
    });
    form->addRow(tr("新しい画像の不透明度"), opacity);
    auto* outline = new QCheckBox(tr("取り込むときにポインタの下のウィンドウを囲む"), box);
    outline->setObjectName(QStringLiteral("outline_window"));
    outline->setChecked(preferences_.OutlineWindow());
    connect(outline, &QCheckBox::toggled, this, [this](bool on) {
        preferences_.SetOutlineWindow(on);
        Changed();
    });
    form->addRow(outline);
    auto* folder = new QLineEdit(preferences_.CopyFolder(), box);
    folder->setObjectName(QStringLiteral("copy_folder"));
    folder->setReadOnly(true);
    folder->setPlaceholderText(tr("コピーしない"));
    auto* choose = new QPushButton(tr("選択..."), box);
    choose->setObjectName(QStringLiteral("copy_folder_choose"));
    auto* none = new QPushButton(tr("消去"), box);
    none->setObjectName(QStringLiteral("copy_folder_clear"));
    const auto setFolder = [this, folder](const QString& path) {
        folder->setText(path);
        preferences_.SetCopyFolder(path);
        Changed();
    };
    connect(choose, &QPushButton::clicked, this, [this, setFolder] {
        const QString start =
            preferences_.CopyFolder().isEmpty()
                ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                : preferences_.CopyFolder();
        const QString path =
            QFileDialog::getExistingDirectory(this, tr("取り込んだ画像のコピー先"), start);
        if (!path.isEmpty()) setFolder(path);
    });
    connect(none, &QPushButton::clicked, this, [setFolder] { setFolder(QString()); });
    auto* line = new QHBoxLayout();
    line->addWidget(folder, 1);
    line->addWidget(choose);
    line->addWidget(none);
    form->addRow(tr("取り込んだ画像のコピー先"), line);
    return box;
}

QWidget* PreferencesWindow::CreateRecognition() {
    auto* box = new QGroupBox(tr("文字認識の言語"), this);
    auto* layout = new QVBoxLayout(box);
    auto* list = new QListWidget(box);
    list->setObjectName(QStringLiteral("recognition_languages"));
    const QStringList chosen = preferences_.RecognitionLanguages().split(u'+');
    for (const QString& name : languages_) {
        auto* item = new QListWidgetItem(name, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(name) ? Qt::Checked : Qt::Unchecked);
    }
    connect(list, &QListWidget::itemChanged, this, [this, list] {
        QStringList names;
        for (int i = 0; i < list->count(); ++i) {
            if (list->item(i)->checkState() == Qt::Checked) names.append(list->item(i)->text());
        }
        // No language at all is not a choice: the defaults come back.
        preferences_.SetRecognitionLanguages(names.join(u'+'));
        Changed();
    });
    layout->addWidget(list);
    layout->addWidget(new QLabel(tr("次の起動から有効になります。"), box));
    return box;
}

void PreferencesWindow::ShowKeyNotes(const QStringList& notes) {
    for (qsizetype i = 0; i < notes_.size(); ++i) {
        notes_[i]->setText(i < notes.size() ? notes[i] : QString());
    }
}

void PreferencesWindow::ShowKeysElsewhere(bool elsewhere) {
    elsewhere_->setVisible(elsewhere);
}

void PreferencesWindow::Changed() {
    if (hooks_.changed) hooks_.changed();
}

}  // namespace preferences_window
