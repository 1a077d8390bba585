#include "pinned_window/pinned_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>

#include "marks/mark_set.h"
#include "pinned_window/animation_player.h"
#include "pinned_window/crop_mode.h"
#include "pinned_window/marking_mode.h"
#include "pinned_window/text_selection.h"
#include "pinned_window/wheel_zoom.h"
#include "platform/gui/controls.h"
#include "platform/x11/pin_state.h"
#include "platform/x11/visibility.h"
#include "text_recognition/code_reader.h"
#include "text_recognition/text_recognizer.h"

namespace pinned_window {
namespace {

text_recognition::TextRecognizer* textRecognizer = nullptr;

// How long a note stays near the pin.
constexpr int kNoteMilliseconds = 4000;

// Ends the mode and lets go of it: its own events may still be on the stack, so it goes once
// they are done.
template <typename Mode>
void LeaveLater(Mode*& mode) {
    Mode* left = std::exchange(mode, nullptr);
    left->Leave();
    left->deleteLater();
}

}  // namespace

void PinnedWindow::SetTextRecognizer(text_recognition::TextRecognizer* recognizer) {
    textRecognizer = recognizer;
}

PinnedWindow::PinnedWindow()
    : TwipsWindow(Qt::Window | Qt::FramelessWindowHint, platform::Sizing::Free) {
    setObjectName(QStringLiteral("PinnedWindow"));
    setWindowRole(QStringLiteral("vellora-pin"));
    // Never shown: the window has no title bar. Window rules and scripts find pins by it.
    setWindowTitle(QStringLiteral("Form3"));
    // A pinned picture belongs to the desktop: the user reaches it by clicking it, not by Alt+Tab.
    SetInWindowSwitchers(false);
    // Only the wheel changes its size, and its picture is kept with it: one copy of the pixels is
    // enough.
    DrawWithoutBackingStore();
    // The system's window background shows wherever the picture does not cover.
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    setPalette(palette);
    picture_ = new platform::ImageBox(ClientArea());
    picture_->setObjectName(QStringLiteral("picture"));
    picture_->SetRect(0, 0, 2535, 1815);
    SetClientSize(3315, 2550);
    connect(picture_, &platform::ImageBox::DoubleClicked, this, &PinnedWindow::unpinRequested);
    picture_->installEventFilter(this);
}

PinnedWindow::~PinnedWindow() {
    // Before the picture goes: the modes still watch it.
    delete marking_;
    delete crop_;
}

void PinnedWindow::Place(float left, float top, float width, float height) {
    // A wheel spun fast places the window many times a second: each place is one request to
    // the window manager, so that its replies are never mistaken for the user's resizing.
    SetRect(left, top, width, height);
    picture_->SetRect(0, 0, width, height);
}

void PinnedWindow::SetPicture(platform::Picture picture) {
    // Words found in another file, or in this one before it changed, fit the picture no more;
    // a zoom's sharper copy of the same file keeps them.
    if (selection_ && (!picture || picture->Path() != Picture()->Path() ||
                       text_recognition::IdentityOf(picture->Path()) != selectedFile_)) {
        EndTextSelection();
    }
    // Every picture the window is given, a sharper one of the wheel's or a followed file's
    // included, is shown as the pin's settings transform it.
    if (picture && picture->Transform() != settings_.transform) {
        picture->SetTransform(settings_.transform);
    }
    picture_->SetPicture(std::move(picture));
    picture_->setVisible(true);
    animated_.reset();
    delete animation_;
    animation_ = nullptr;
    UpdateAnimation();
}

const platform::Picture& PinnedWindow::Picture() const {
    return picture_->GetPicture();
}

QSize PinnedWindow::DecodeTarget() const {
    return picture_->DecodeTarget();
}

float PinnedWindow::PictureWidth() const {
    return picture_->Width();
}

float PinnedWindow::PictureHeight() const {
    return picture_->Height();
}

void PinnedWindow::SetSettings(const store::PinSettings& settings) {
    const bool transformed = settings.transform != settings_.transform;
    settings_ = settings;
    if (transformed && Picture()) {
        // Words and marks drawn for the picture as it was shown fit it no more.
        EndTextSelection();
        EndCrop();
        Picture()->SetTransform(settings_.transform);
        marked_.Drop();
        RepaintPicture();
    }
    platform::SetOpacity(this, settings_.opacity / 100.0);
    platform::SetClickThrough(this, settings_.clickThrough);
    platform::SetKeepAbove(this, settings_.keepAbove);
    platform::SetOnAllWorkspaces(this, settings_.allWorkspaces);
    UpdateAnimation();
}

void PinnedWindow::ShowPinned() {
    if (!isVisible()) SetSettings(settings_);
    Show();
}

void PinnedWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = BuildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu* PinnedWindow::BuildMenu() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PinMenu"));
    const auto item = [](QMenu* in, const char* name, const QString& text) {
        QAction* action = in->addAction(text);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    const auto toggle = [&](const char* name, const QString& text, bool checked,
                            void (*apply)(store::PinSettings&, bool)) -> QAction* {
        QAction* action = item(menu, name, text);
        action->setCheckable(true);
        action->setChecked(checked);
        connect(action, &QAction::toggled, this, [this, apply](bool on) {
            emit settingsChangeRequested([apply, on](store::PinSettings& s) { apply(s, on); });
        });
        return action;
    };

    QMenu* opacity = menu->addMenu(tr("不透明度"));
    opacity->setObjectName(QStringLiteral("opacity"));
    opacity->setEnabled(opacityAvailable_);
    auto* steps = new QActionGroup(opacity);
    for (const int percent : store::kOpacitySteps) {
        QAction* step = item(opacity, "opacityStep", QStringLiteral("%1%").arg(percent));
        step->setCheckable(true);
        step->setChecked(settings_.opacity == percent);
        steps->addAction(step);
        connect(step, &QAction::triggered, this, [this, percent] {
            emit settingsChangeRequested([percent](store::PinSettings& s) { s.opacity = percent; });
        });
    }
    toggle("clickThrough", tr("クリックを透過"), settings_.clickThrough,
           [](store::PinSettings& s, bool on) { s.clickThrough = on; });
    toggle("keepAbove", tr("常に手前に表示"), settings_.keepAbove,
           [](store::PinSettings& s, bool on) { s.keepAbove = on; });
    toggle("allWorkspaces", tr("すべてのﾃﾞｽｸﾄｯﾌﾟに表示"), settings_.allWorkspaces,
           [](store::PinSettings& s, bool on) { s.allWorkspaces = on; });
    toggle("followFile", tr("ファイルの変更に追従"), settings_.followFile,
           [](store::PinSettings& s, bool on) { s.followFile = on; });
    toggle("playAnimation", tr("アニメーションを再生"), settings_.playAnimation,
           [](store::PinSettings& s, bool on) { s.playAnimation = on; })
        ->setEnabled(Animated());
    menu->addSeparator();
    connect(item(menu, "originalSize", tr("元の大きさ")), &QAction::triggered, this,
            &PinnedWindow::originalSizeRequested);
    AddTransformMenu(*menu);
    connect(item(menu, "copy", tr("画像をコピー")), &QAction::triggered, this,
            &PinnedWindow::copyRequested);
    connect(item(menu, "saveAs", tr("名前を付けて保存...")), &QAction::triggered, this,
            &PinnedWindow::saveAsRequested);
    connect(item(menu, "showFolder", tr("フォルダを開く")), &QAction::triggered, this,
            &PinnedWindow::showFolderRequested);
    menu->addSeparator();
    if (marking_) {
        connect(item(menu, "endMarking", tr("完了")), &QAction::triggered, this,
                &PinnedWindow::EndMarking);
    } else {
        QAction* annotate = item(menu, "annotate", tr("書き込む"));
        annotate->setEnabled(bool(Picture()));
        connect(annotate, &QAction::triggered, this, &PinnedWindow::markingRequested);
    }
    if (marks_ && !marks_->IsEmpty()) {
        toggle("showMarks", tr("書き込みを表示"), settings_.showMarks,
               [](store::PinSettings& s, bool on) { s.showMarks = on; });
        connect(item(menu, "clearMarks", tr("書き込みを消去")), &QAction::triggered, this, [this] {
            if (marks_) marks_->Clear();
        });
    }
    menu->addSeparator();
    QAction* copyText = item(menu, "copyText", tr("文字を認識してコピー"));
    copyText->setEnabled(TextAvailable());
    connect(copyText, &QAction::triggered, this, &PinnedWindow::CopyText);
    if (selection_) {
        connect(item(menu, "copySelectedText", tr("選択した文字をコピー")), &QAction::triggered,
                this, &PinnedWindow::CopySelectedText);
        connect(item(menu, "endTextSelection", tr("文字の選択を終了")), &QAction::triggered, this,
                &PinnedWindow::EndTextSelection);
    } else {
        QAction* selectText = item(menu, "selectText", tr("文字を選択"));
        selectText->setEnabled(TextAvailable());
        connect(selectText, &QAction::triggered, this, &PinnedWindow::StartTextSelection);
    }
    menu->addSeparator();
    connect(item(menu, "unpin", tr("張り付けを解除")), &QAction::triggered, this,
            &PinnedWindow::unpinRequested);
    connect(item(menu, "delete", tr("削除")), &QAction::triggered, this,
            &PinnedWindow::deleteRequested);
    return menu;
}

void PinnedWindow::AddTransformMenu(QMenu& menu) {
    using platform::TransformStep;
    QMenu* transform = menu.addMenu(tr("変形"));
    transform->setObjectName(QStringLiteral("transform"));
    transform->setEnabled(bool(Picture()) && !marking_);
    const struct {
        const char* name;
        const char* text;
        TransformStep step;
    } steps[] = {
        {"turnRight", QT_TR_NOOP("右に90度回転"), TransformStep::TurnRight},
        {"turnLeft", QT_TR_NOOP("左に90度回転"), TransformStep::TurnLeft},
        {"turn180", QT_TR_NOOP("180度回転"), TransformStep::Turn180},
        {"flipHorizontally", QT_TR_NOOP("左右反転"), TransformStep::FlipHorizontally},
        {"flipVertically", QT_TR_NOOP("上下反転"), TransformStep::FlipVertically},
    };
    for (const auto& row : steps) {
        QAction* action = transform->addAction(tr(row.text));
        action->setObjectName(QLatin1String(row.name));
        connect(action, &QAction::triggered, this, [this, step = row.step] {
            emit transformRequested(platform::Stepped(settings_.transform, step));
        });
    }
    transform->addSeparator();
    QAction* crop = transform->addAction(tr("切り抜き"));
    crop->setObjectName(QStringLiteral("crop"));
    connect(crop, &QAction::triggered, this, &PinnedWindow::StartCrop);
    QAction* reset = transform->addAction(tr("変形を元に戻す"));
    reset->setObjectName(QStringLiteral("resetTransform"));
    reset->setEnabled(!settings_.transform.IsIdentity());
    connect(reset, &QAction::triggered, this,
            [this] { emit transformRequested(platform::PictureTransform{}); });
}

void PinnedWindow::StartCrop() {
    if (crop_ || !Picture()) return;
    EndTextSelection();
    crop_ = new CropMode(*this, *picture_, Picture()->NaturalSize());
    connect(crop_, &CropMode::repaintRequested, this, &PinnedWindow::RepaintControlArea);
    connect(crop_, &CropMode::cropped, this, [this](const QRectF& shown) {
        const platform::Picture& picture = Picture();
        const platform::PictureTransform before = settings_.transform;
        EndCrop();
        if (!picture) return;
        const platform::PictureTransform after =
            platform::Cropped(before, picture->UprightSize(), shown);
        if (after != before) emit transformRequested(after);
    });
    connect(crop_, &CropMode::leaveRequested, this, &PinnedWindow::EndCrop);
    activateWindow();
    picture_->setFocus();
    RepaintPicture();
}

void PinnedWindow::EndCrop() {
    if (!crop_) return;
    LeaveLater(crop_);
    RepaintPicture();
}

void PinnedWindow::keyPressEvent(QKeyEvent* event) {
    // The pin's history, its marks' and its transforms', outside the marking mode too.
    if (marks_ && !marking_ && !crop_) {
        if (event->matches(QKeySequence::Undo)) {
            marks_->History().undo();
            return;
        }
        if (event->matches(QKeySequence::Redo)) {
            marks_->History().redo();
            return;
        }
    }
    TwipsWindow::keyPressEvent(event);
}

void PinnedWindow::DrawContents(QPainter& painter) {
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (picture_->Visible()) {
        const QRect target(picture_->mapTo(this, QPoint(0, 0)), picture_->size());
        DrawMarkedPicture(painter, target);
        if (selection_) selection_->Draw(painter, picture_->mapTo(this, QPoint(0, 0)));
        if (crop_) crop_->Draw(painter, picture_->mapTo(this, QPoint(0, 0)));
    }
}

bool PinnedWindow::TextAvailable() const {
    // A pin drawn from a text gives that back without recognising anything.
    return textRecognizer && Picture() && !Picture()->Path().IsEmpty() &&
           (textRecognizer->Available() || textRecognizer->HasKeptText(Picture()->Path()));
}

void PinnedWindow::RequestText(std::function<void(const text_recognition::Recognition&)> then) {
    if (!TextAvailable()) return;
    setCursor(Qt::BusyCursor);
    textRecognizer->Recognise(
        Picture()->Path(), this,
        [this, then = std::move(then)](const text_recognition::Recognition& r) {
            unsetCursor();
            if (r.failure) {
                qWarning("vellora: text of %s: %s", qPrintable(Picture()->Path().DisplayText()),
                         qPrintable(*r.failure));
                ShowNote(tr("文字を認識できませんでした"));
            } else if (r.words.empty()) {
                ShowNote(tr("文字が見つかりませんでした"));
            } else {
                then(r);
            }
        },
        settings_.transform);
}

void PinnedWindow::CopyText() {
    RequestText([this](const text_recognition::Recognition& r) {
        // A pin drawn from a text gives that text back exactly; a single code and nothing else
        // gives its contents, told as such.
        if (r.keptText) {
            CopyToClipboard(*r.keptText);
        } else if (r.words.size() == 1 && r.words[0].code != text_recognition::Code::None) {
            QGuiApplication::clipboard()->setText(r.words[0].text);
            ShowNote(text_recognition::CopiedNote(r.words[0].code));
        } else {
            CopyToClipboard(text_recognition::TextOf(r.words));
        }
    });
}

void PinnedWindow::StartTextSelection() {
    RequestText([this](const text_recognition::Recognition& r) {
        EndTextSelection();
        EndCrop();
        selectedFile_ = text_recognition::IdentityOf(Picture()->Path());
        selection_ = new TextSelection(picture_, r.words, Picture()->NaturalSize());
        connect(selection_, &TextSelection::copyRequested, this, &PinnedWindow::CopySelectedText);
        connect(selection_, &TextSelection::leaveRequested, this, &PinnedWindow::EndTextSelection);
        selection_->show();
        activateWindow();
        selection_->setFocus();
    });
}

void PinnedWindow::CopySelectedText() {
    if (selection_ && !selection_->Selection().Empty()) CopyToClipboard(selection_->SelectedText());
}

void PinnedWindow::CopyToClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    ShowNote(tr("%n文字をコピーしました", nullptr,
                static_cast<int>(text_recognition::CharacterCount(text))));
}

void PinnedWindow::EndTextSelection() {
    if (!selection_) return;
    delete selection_;
    selection_ = nullptr;
    RepaintPicture();
}

void PinnedWindow::ShowNote(const QString& text) {
    QToolTip::showText(mapToGlobal(QPoint(0, height())), text, this, QRect(), kNoteMilliseconds);
}

bool PinnedWindow::Animated() {
    if (!animated_) {
        const platform::Picture& picture = Picture();
        animated_ = picture && AnimationPlayer::IsAnimated(picture->Path());
    }
    return *animated_;
}

bool PinnedWindow::AnimationRunning() const {
    return animation_ && animation_->Running();
}

bool PinnedWindow::CanBeSeen() const {
    const QWindow* window = windowHandle();
    if (!isVisible() || isMinimized() || !window || !window->isExposed()) return false;
    if (obscured_ && obscured_->FullyObscured()) return false;
    const QRect frame = frameGeometry();
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* screen) { return screen->geometry().intersects(frame); });
}

void PinnedWindow::UpdateAnimation() {
    // The file is looked at only for a pin whose setting asks for it.
    if (!settings_.playAnimation || !Animated()) {
        if (animation_) {
            delete animation_;
            animation_ = nullptr;
            RepaintPicture();
        }
        return;
    }
    if (!animation_) {
        animation_ = new AnimationPlayer(Picture()->Path(), this);
        connect(animation_, &AnimationPlayer::frameChanged, this, &PinnedWindow::RepaintPicture);
        // Turned on from the menu, the pin is in view; the next change of that is reported.
        if (isVisible()) WatchObscured();
    }
    animation_->SetRunning(CanBeSeen());
}

void PinnedWindow::WatchObscured() {
    // Only pins that play are watched: the restore of many still pins asks the X server nothing
    // more than before.
    if (!obscured_) {
        obscured_ = new platform::ObscuredWatch(this);
        connect(obscured_, &platform::ObscuredWatch::changed, this, &PinnedWindow::UpdateAnimation);
    }
    obscured_->Select();
}

void PinnedWindow::DrawPicture(QPainter& painter, const QRect& target) {
    if (!animation_ || animation_->Frame().isNull()) {
        picture_->Draw(painter, target);
        return;
    }
    // Each frame is scaled as it is drawn: no copy at the pin's size is kept.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, animation_->Frame());
    painter.restore();
    ++animationFramesDrawn_;
}

void PinnedWindow::RepaintPicture() {
    picture_->update();
    // A window drawn on screen repaints its controls itself.
    if (testAttribute(Qt::WA_PaintOnScreen)) {
        update(QRect(picture_->mapTo(this, QPoint(0, 0)), picture_->size()));
    }
}

void PinnedWindow::showEvent(QShowEvent* event) {
    // Before the map, so that the map's own report comes.
    if (settings_.playAnimation && Animated()) WatchObscured();
    TwipsWindow::showEvent(event);
    UpdateAnimation();
}

void PinnedWindow::hideEvent(QHideEvent* event) {
    TwipsWindow::hideEvent(event);
    UpdateAnimation();
}

void PinnedWindow::moveEvent(QMoveEvent* event) {
    TwipsWindow::moveEvent(event);
    UpdateAnimation();
}

bool PinnedWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picture_ && event->type() == QEvent::Resize && selection_) {
        selection_->setGeometry(picture_->rect());
    }
    if (watched == picture_ && event->type() == QEvent::Paint &&
        ((animation_ && !animation_->Frame().isNull()) || MarksShown() || crop_) &&
        !testAttribute(Qt::WA_PaintOnScreen)) {
        QPainter painter(picture_);
        DrawMarkedPicture(painter, picture_->rect());
        if (crop_) crop_->Draw(painter, QPoint(0, 0));
        return true;
    }
    if (watched == picture_ && !marking_ && DragOut(event)) return true;
    const bool filtered = TwipsWindow::eventFilter(watched, event);
    // Qt says whether the window can be seen by the expose events of its native window: none
    // while it is unmapped or minimised.
    if (event->type() == QEvent::Expose && watched == windowHandle()) UpdateAnimation();
    return filtered;
}

WheelZoom& PinnedWindow::Zoom() {
    if (!zoom_) zoom_ = new WheelZoom(this, thumbnails_);
    return *zoom_;
}

bool PinnedWindow::DragOut(QEvent* event) {
    // Ctrl held, a drag takes the picture out as a file; without it a press does what it did.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    switch (type) {
        case QEvent::MouseButtonPress:
            if (mouse->button() != Qt::LeftButton ||
                !mouse->modifiers().testFlag(Qt::ControlModifier)) {
                return false;
            }
            dragOutFrom_ = mouse->position().toPoint();
            return true;
        case QEvent::MouseMove:
            if (!dragOutFrom_) return false;
            if ((mouse->position().toPoint() - *dragOutFrom_).manhattanLength() >=
                QApplication::startDragDistance()) {
                dragOutFrom_.reset();
                emit dragOutRequested();
            }
            return true;
        case QEvent::MouseButtonRelease:
            if (!dragOutFrom_) return false;
            dragOutFrom_.reset();
            return true;
        default:
            return false;
    }
}

bool PinnedWindow::MarksShown() const {
    return marks_ && (marking_ || (settings_.showMarks && !marks_->IsEmpty()));
}

void PinnedWindow::SetMarks(marks::MarkSet* set) {
    if (set == marks_) return;
    if (marks_) marks_->disconnect(this);
    marks_ = set;
    if (marks_) connect(marks_, &marks::MarkSet::changed, this, &PinnedWindow::RepaintMarks);
    RepaintPicture();
}

void PinnedWindow::DrawMarkedPicture(QPainter& painter, const QRect& target) {
    const platform::Picture& picture = Picture();
    const bool marked = MarksShown() && picture && !picture->NaturalSize().isEmpty();
    if (!marked) {
        marked_.Drop();
        DrawPicture(painter, target);
        return;
    }
    const QSizeF natural = picture->NaturalSize();
    // The picture and the marks the set holds come from the kept pixels, while neither an
    // animation nor a mark being moved changes them on every frame.
    const bool kept = !(animation_ && !animation_->Frame().isNull()) &&
                      !(marking_ && marking_->Editor().Reshaping());
    if (kept) {
        picture->FitTo(picture_->DecodeTarget());
        marked_.Draw(painter, target, picture->Pixels(), natural, marks_->Marks(),
                     picture_->devicePixelRatioF());
    } else {
        DrawPicture(painter, target);
    }
    const marks::Mark* drawing = marking_ ? marking_->Editor().Drawing() : nullptr;
    if (!kept || drawing) {
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(target.width() / natural.width(), target.height() / natural.height());
        const QList<marks::Mark> justOne = drawing ? QList{*drawing} : QList<marks::Mark>();
        marks::PaintMarks(painter,
                          kept       ? justOne
                          : marking_ ? marking_->Shown()
                                     : marks_->Marks(),
                          marks::Canvas{picture->Pixels(), natural}, covers_);
        painter.restore();
    }
    if (marking_) {
        painter.save();
        painter.translate(target.topLeft());
        marking_->DrawSelection(painter);
        painter.restore();
    }
}

void PinnedWindow::RepaintMarks(const QRectF& pictureArea) {
    if (!marks_ || !Picture() || (!MarksShown() && !marks_->IsEmpty())) return;
    const QSizeF size = Picture()->NaturalSize();
    if (size.isEmpty()) return;
    marked_.Changed(pictureArea, size);
    const QRectF control =
        QTransform::fromScale(picture_->width() / size.width(), picture_->height() / size.height())
            .mapRect(pictureArea);
    RepaintControlArea(control);
}

void PinnedWindow::RepaintControlArea(const QRectF& control) {
    const QRect area = control.toAlignedRect().adjusted(-2, -2, 2, 2) & picture_->rect();
    if (area.isEmpty()) return;
    if (testAttribute(Qt::WA_PaintOnScreen)) {
        update(area.translated(picture_->mapTo(this, QPoint(0, 0))));
    } else {
        picture_->update(area);
    }
}

void PinnedWindow::StartMarking(marks::MarkSet& set) {
    if (marking_ || !Picture()) return;
    EndTextSelection();
    EndCrop();
    SetMarks(&set);
    marking_ = new MarkingMode(*this, *picture_, Picture()->NaturalSize(), set);
    connect(marking_, &MarkingMode::doneRequested, this, &PinnedWindow::EndMarking);
    connect(marking_, &MarkingMode::repaintRequested, this, &PinnedWindow::RepaintControlArea);
    RepaintPicture();
}

void PinnedWindow::EndMarking() {
    if (!marking_) return;
    LeaveLater(marking_);
    RepaintPicture();
    emit markingEnded();
}

void PinnedWindow::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (Zoom().Turn(event->globalPosition(), event->angleDelta().y())) emit zoomed();
}

}  // namespace pinned_window
