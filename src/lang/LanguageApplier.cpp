#include "lang/LanguageApplier.h"

#include "platform/PathText.h"
#include "platform/Prompts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <exception>

namespace korvel {
namespace {

QString qstr(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The tab widget that shows page as one of its tabs, or nullptr.
QTabWidget* tabWidgetOf(QWidget* page) {
    for (QWidget* w = page->parentWidget(); w; w = w->parentWidget()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            return tabs->indexOf(page) >= 0 ? tabs : nullptr;
    }
    return nullptr;
}

// The window an object belongs to; a menu (a pop-up) belongs to the window that holds it.
QWidget* ownerWindow(QObject* obj) {
    for (QObject* o = obj; o; o = o->parent())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->isWindow() && w->windowType() != Qt::Popup)
            return w;
    return nullptr;
}

// The control a label stands for: the next one in the window's tab order that takes the focus;
// the label itself when there is none (its shortcut letter is then only shown).
QWidget* focusTargetAfter(QLabel* label) {
    QWidget* window = label->window();
    for (QWidget* w = label->nextInFocusChain(); w && w != label; w = w->nextInFocusChain()) {
        if (w->window() == window && (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QLabel*>(w))
            return w;
    }
    return label;
}

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

void setSpecial(SpecialTexts& s, lang::Special which, const QString& text) {
    switch (which) {
    case lang::Special::AllCustomCaption:
        s.allCustomCaption = text;
        break;
    case lang::Special::CopyPrompt:
        s.copyPrompt = text;
        break;
    case lang::Special::MovePrompt:
        s.movePrompt = text;
        break;
    case lang::Special::CountWord:
        s.countWord = text;
        break;
    case lang::Special::None:
        break;
    }
}

// Puts text on one target; false when the target is not there or takes no text.
bool applyTo(const lang::Target& t, const QString& text, const QList<QWidget*>& windows,
             SpecialTexts& specials) {
    if (t.isSpecial()) {
        setSpecial(specials, t.special, text);
        return true;
    }
    QWidget* window = findWindow(windows, qstr(t.window));
    if (!window)
        return false;
    if (t.isWindowTitle()) {
        window->setWindowTitle(text);
        return true;
    }
    return setCaption(findControl(window, qstr(t.control)), text);
}

QString describe(const lang::Target& t) {
    if (t.isSpecial())
        return QStringLiteral("special text");
    return t.isWindowTitle() ? qstr(t.window) + QStringLiteral(" title")
                             : qstr(t.window) + '.' + qstr(t.control);
}

} // namespace

QWidget* findWindow(const QList<QWidget*>& windows, const QString& name) {
    for (QWidget* w : windows)
        if (w && w->objectName() == name)
            return w;
    return nullptr;
}

QObject* findControl(QWidget* window, const QString& name) {
    if (!window || name.isEmpty())
        return nullptr;
    // Only what belongs to this window: a dialog made with this window as its parent keeps its
    // own controls (its "Label1" is not the main window's).
    for (QObject* o : window->findChildren<QObject*>(name))
        if (ownerWindow(o) == window)
            return o;
    // Menu items need not be children of their menu: look through what the menus show.
    QList<QAction*> actions = window->actions();
    for (QMenu* menu : window->findChildren<QMenu*>())
        if (ownerWindow(menu) == window)
            actions += menu->actions();
    for (QAction* a : actions)
        if (a && a->objectName() == name)
            return a;
    return nullptr;
}

bool takesCaption(QObject* obj) {
    if (!obj)
        return false;
    if (qobject_cast<QAction*>(obj) || qobject_cast<QMenu*>(obj) || qobject_cast<QAbstractButton*>(obj) ||
        qobject_cast<QLabel*>(obj) || qobject_cast<QGroupBox*>(obj))
        return true;
    auto* widget = qobject_cast<QWidget*>(obj);
    return widget && tabWidgetOf(widget);
}

bool setCaption(QObject* obj, const QString& text) {
    if (!obj)
        return false;
    if (auto* action = qobject_cast<QAction*>(obj)) {
        action->setText(text);
        return true;
    }
    if (auto* menu = qobject_cast<QMenu*>(obj)) {
        menu->setTitle(text);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(obj)) {
        button->setText(text);
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(obj)) {
        // A caption is plain text: "<filename>" must not be taken for markup.
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        // "&" marks the shortcut letter, "&&" is an ampersand, as on buttons and in menus; a label
        // shows them so only with a control to hand the focus to.
        if (text.contains(QLatin1Char('&')) && !label->buddy())
            label->setBuddy(focusTargetAfter(label));
        return true;
    }
    if (auto* widget = qobject_cast<QWidget*>(obj)) {
        if (QTabWidget* tabs = tabWidgetOf(widget)) {
            tabs->setTabText(tabs->indexOf(widget), text);
            return true;
        }
    }
    if (auto* group = qobject_cast<QGroupBox*>(obj)) {
        group->setTitle(text);
        return true;
    }
    return false;
}

QStringList missingLanguageTargets(const QList<QWidget*>& windows) {
    QStringList missing;
    for (const lang::Key& k : lang::keyTable()) {
        for (const lang::Target* t : {&k.first, &k.second}) {
            if (t->empty() || t->isSpecial())
                continue;
            QWidget* window = findWindow(windows, qstr(t->window));
            bool found =
                window && (t->isWindowTitle() || takesCaption(findControl(window, qstr(t->control))));
            if (!found)
                missing << describe(*t);
        }
    }
    return missing;
}

LanguageResult applyAssignments(const std::vector<lang::Assignment>& assignments,
                                const QList<QWidget*>& windows) {
    LanguageResult result;
    for (const auto& a : assignments) {
        const QString text = QString::fromStdString(a.text);
        for (const lang::Target* t : {&a.key->first, &a.key->second}) {
            if (t->empty())
                continue;
            if (!applyTo(*t, text, windows, result.specials)) {
                result.ok = false;
                result.failedKey = qstr(a.key->section) + '/' + qstr(a.key->key);
                result.failedTarget = describe(*t);
                return result;
            }
        }
    }
    return result;
}

LanguageResult ApplyLanguage(const QString& path, const QList<QWidget*>& windows, QWidget* messageParent) {
    LanguageResult result;
    {
        BusyCursor busy;
        try {
            auto file = lang::LanguageFile::load(pathBytes(path));
            result = applyAssignments(file.assignments(), windows);
        } catch (const std::exception&) {
            result.ok = false;
        }
    }
    if (!result.ok)
        Prompts::current().inform(messageParent, QApplication::applicationName(),
                                  QString::fromLatin1(LanguageErrorText));
    return result;
}

} // namespace korvel
