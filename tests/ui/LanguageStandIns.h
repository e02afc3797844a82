#pragma once
// Stand-in windows for language tests: every window and control the key table names, built from
// the table itself, with the kinds of widgets the real windows use (menus and menu items, tab
// pages, buttons, tool buttons, check boxes, radio buttons, group boxes, labels). Controls the
// test has not seen a language for carry the caption "form:<name>", a few carry the captions of
// the real forms.

#include "core/lang/LanguageTable.h"
#include "lang/LanguageApplier.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>
#include <memory>

namespace korvel::test {

inline QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The text a person sees on a control or window.
inline QString shownText(QObject* o) {
    if (!o)
        return QStringLiteral("<missing>");
    if (auto* a = qobject_cast<QAction*>(o))
        return a->text();
    if (auto* m = qobject_cast<QMenu*>(o))
        return m->title();
    if (auto* b = qobject_cast<QAbstractButton*>(o))
        return b->text();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* w = qobject_cast<QWidget*>(o)) {
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p); tabs && tabs->indexOf(w) >= 0)
                return tabs->tabText(tabs->indexOf(w));
    }
    if (auto* g = qobject_cast<QGroupBox*>(o))
        return g->title();
    return QStringLiteral("<no text>");
}

class StandIns {
public:
    // leaveOut: "Window" drops a whole window, "Window.Control" one control.
    // langForm: the real chooser, used for its own keys instead of a stand-in.
    explicit StandIns(const QSet<QString>& leaveOut = {}, QWidget* langForm = nullptr) : leaveOut_(leaveOut) {
        if (langForm)
            windows_[qs(lang::LanguageWindow)] = langForm;
        buildMain();
        for (const auto& k : lang::keyTable())
            for (const auto* t : {&k.first, &k.second})
                if (t->isControl() || t->isWindowTitle())
                    add(qs(t->window), qs(t->control));
    }

    QList<QWidget*> windows() const {
        QList<QWidget*> out;
        for (const auto& [name, w] : windows_)
            out.append(w);
        return out;
    }
    QWidget* window(const QString& name) const {
        auto it = windows_.find(name);
        return it == windows_.end() ? nullptr : it->second;
    }
    QObject* control(const QString& window, const QString& name) const {
        return findControl(this->window(window), name);
    }
    // What a person sees for a target of the table.
    QString shown(const lang::Target& t) const {
        if (t.isWindowTitle())
            return window(qs(t.window)) ? window(qs(t.window))->windowTitle() : QStringLiteral("<missing>");
        return shownText(control(qs(t.window), qs(t.control)));
    }
    QTabWidget* tabs() const { return tabs_; }

private:
    bool left(const QString& window, const QString& control = {}) const {
        return leaveOut_.contains(window) ||
               (!control.isEmpty() && leaveOut_.contains(window + '.' + control));
    }

    // The main window's menus and pages, written out by hand: the kinds a generic control is not.
    void buildMain() {
        auto* main = new QMainWindow;
        main->setObjectName(QStringLiteral("Main"));
        main->setWindowTitle(QStringLiteral("Korvel 2002"));
        owned_.emplace_back(main);
        windows_[main->objectName()] = main;

        // Menus from the "Menu" keys: one digit names a menu, two digits an item of that menu.
        std::vector<QMenu*> menus;
        for (const auto& k : lang::keyTable()) {
            if (k.section != "Menu" || left(QStringLiteral("Main"), qs(k.first.control)))
                continue;
            if (k.key.size() == 1) {
                auto* m = main->menuBar()->addMenu(QStringLiteral("form:") + qs(k.first.control));
                m->setObjectName(qs(k.first.control));
                menus.push_back(m);
            } else if (!menus.empty()) {
                QMenu* m = menus.back();
                QAction* a = nullptr;
                if (k.first.control == "About1") {
                    // An item owned elsewhere still shows in its menu and must be found there.
                    a = new QAction(QStringLiteral("form:About1"), &actionOwner_);
                    m->addAction(a);
                } else {
                    a = m->addAction(QStringLiteral("form:") + qs(k.first.control));
                }
                a->setObjectName(qs(k.first.control));
            }
            done_.insert(QStringLiteral("Main.") + qs(k.first.control));
        }

        tabs_ = new QTabWidget;
        tabs_->setObjectName(QStringLiteral("PageControl1"));
        main->setCentralWidget(tabs_);
        for (auto [name, caption] :
             {std::pair{"DIZPage", "ZIP and MP3 info"}, std::pair{"PackPage", "Zip packer"},
              std::pair{"FileMgrPage", "File manager"}}) {
            if (left(QStringLiteral("Main"), QString::fromLatin1(name)))
                continue;
            auto* page = new QWidget;
            page->setObjectName(QString::fromLatin1(name));
            new QVBoxLayout(page);
            tabs_->addTab(page, QString::fromLatin1(caption));
            done_.insert(QStringLiteral("Main.") + QString::fromLatin1(name));
        }
        // The custom-file button is a tool button with a menu; its form caption is the table's.
        if (!left(QStringLiteral("Main"), QStringLiteral("B_Custom"))) {
            auto* custom = new QToolButton;
            custom->setObjectName(QStringLiteral("B_Custom"));
            custom->setText(QStringLiteral("all custom files"));
            place(QStringLiteral("Main"), custom);
            done_.insert(QStringLiteral("Main.B_Custom"));
        }
    }

    QWidget* ensureWindow(const QString& name) {
        if (QWidget* w = window(name))
            return w;
        auto* d = new QDialog;
        d->setObjectName(name);
        d->setWindowTitle(QStringLiteral("form:") + name);
        new QVBoxLayout(d);
        owned_.emplace_back(d);
        windows_[name] = d;
        return d;
    }

    void place(const QString& window, QWidget* w) {
        QWidget* parent = window == QStringLiteral("Main") ? tabs_->widget(0) : this->window(window);
        // Check boxes of a dialog sit in its group box when it has one.
        if (qobject_cast<QCheckBox*>(w))
            if (auto* group = parent->findChild<QGroupBox*>())
                parent = group;
        if (!parent->layout())
            new QVBoxLayout(parent);
        parent->layout()->addWidget(w);
    }

    void add(const QString& window, const QString& control) {
        if (left(window) || (window == qs(lang::LanguageWindow) && windows_.count(window) && !owned(window)))
            return;
        ensureWindow(window);
        const QString id = window + '.' + control;
        if (control.isEmpty() || done_.contains(id) || left(window, control))
            return;
        done_.insert(id);
        // The kind follows the name's prefix, as in the real windows.
        QWidget* w = nullptr;
        if (control.startsWith(QStringLiteral("ch")) || control.startsWith(QStringLiteral("Ck_")))
            w = new QCheckBox;
        else if (control.startsWith(QStringLiteral("R_")))
            w = new QRadioButton;
        else if (control.startsWith(QStringLiteral("GroupBox")))
            w = new QGroupBox;
        else if (control.startsWith(QStringLiteral("B_")) || control.startsWith(QStringLiteral("btn")))
            w = new QPushButton;
        else
            w = new QLabel;
        w->setObjectName(control);
        setCaption(w, formCaptions().value(id, QStringLiteral("form:") + control));
        place(window, w);
    }

    bool owned(const QString& window) const {
        for (const auto& w : owned_)
            if (w->objectName() == window)
                return true;
        return false;
    }

    static QHash<QString, QString> formCaptions() {
        return {{QStringLiteral("Main.Lstep1"), QStringLiteral("step 1:")},
                {QStringLiteral("FrmUnzip.Label2"), QStringLiteral("Size (bytes)")}};
    }

    QSet<QString> leaveOut_, done_;
    std::vector<std::unique_ptr<QWidget>> owned_;
    std::map<QString, QWidget*> windows_;
    QObject actionOwner_;
    QTabWidget* tabs_ = nullptr;
};

} // namespace korvel::test
