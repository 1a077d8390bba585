#include "help/help_window.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

#include "help/help.h"
#include "icon/program_icon.h"
#include "language/language.h"

namespace help {

QString HelpWindow::ManualUrl() {
    return language::Current() == language::Language::English
               ? QStringLiteral("qrc:/manual/manual_en.html")
               : QStringLiteral("qrc:/manual/manual.html");
}

QString HelpWindow::AnchorOf(HelpSection section) {
    switch (section) {
        case HelpSection::MainWindow:
            return QStringLiteral("main-window");
        case HelpSection::DisplayWindow:
            return QStringLiteral("display-window");
    }
    return {};
}

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowRole(QStringLiteral("vellora-help"));
    setWindowTitle(tr("Velloraﾍﾙﾌﾟ"));
    setWindowIcon(icon::ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    CreateControls();
    resize(fontMetrics().averageCharWidth() * 90, fontMetrics().height() * 40);
}

void HelpWindow::CreateControls() {
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    // Everything the manual links to is inside it; nothing is handed to another program.
    browser_->setOpenExternalLinks(false);

    const auto button = [this](const char* name, const QString& text) {
        auto* made = new QPushButton(text, this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        return made;
    };
    QPushButton* contents = button("HelpContents", tr("目次"));
    QPushButton* back = button("HelpBack", tr("戻る"));
    QPushButton* forward = button("HelpForward", tr("進む"));
    QPushButton* close = button("HelpClose", tr("閉じる"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this,
            [this] { browser_->setSource(QUrl(ManualUrl() + QStringLiteral("#contents"))); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout();
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

void HelpWindow::ShowSection(HelpSection section) {
    // Shown first: the browser finds the section's place once it has its width.
    show();
    raise();
    activateWindow();
    browser_->setSource(QUrl(ManualUrl() + QLatin1Char('#') + AnchorOf(section)));
}

}  // namespace help
