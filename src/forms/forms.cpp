#include "forms/forms.h"

#include <QApplication>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include "forms/form1.h"
#include "forms/form2.h"
#include "forms/form3.h"
#include "forms/form4.h"

namespace forms {

namespace {

struct Registry {
    Factories factories;
    QPointer<Form1> form1;
    QPointer<Form2> form2;
    QPointer<Form4> form4;
    std::function<void()> endAction = [] { QCoreApplication::exit(0); };
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

void InstallFactories(Factories factories) {
    TheRegistry().factories = std::move(factories);
}

Form1& TheForm1() {
    Registry& registry = TheRegistry();
    if (!registry.form1) registry.form1 = registry.factories.form1();
    return *registry.form1;
}

Form2& TheForm2() {
    Registry& registry = TheRegistry();
    if (!registry.form2) registry.form2 = registry.factories.form2();
    return *registry.form2;
}

bool Form2Exists() {
    return !TheRegistry().form2.isNull();
}

Form4& TheForm4() {
    Registry& registry = TheRegistry();
    if (!registry.form4) registry.form4 = new Form4();
    return *registry.form4;
}

Form3* NewForm3() {
    return TheRegistry().factories.form3();
}

void EndProgram() {
    Registry& registry = TheRegistry();
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    registry.endAction();
}

void SetEndAction(std::function<void()> action) {
    TheRegistry().endAction = std::move(action);
}

void DestroyAllForms() {
    // Deleting one window deletes its menus, which are top-level widgets too: hold guarded
    // pointers to the windows first.
    QList<QPointer<platform::FormWindow>> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<platform::FormWindow*>(widget)) windows.append(window);
    }
    for (const auto& window : windows) delete window.data();
}

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"),
                               {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                                QStringLiteral("Noto Serif CJK JP")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});
}

}  // namespace forms
