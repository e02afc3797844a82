#include "app/MainWiring.h"

#include "app/MainTray.h"
#include "app/QuarnAbout.h"
#include "app/ZipMain.h"
#include "core/lang/LanguageTable.h"
#include "lang/ZipLang.h"
#include "platform/ProgramIcon.h"

#include <QApplication>
#include <QSet>
#include <QWidget>

namespace korvel {

QList<QWidget*> languageWindows(TMain& main) {
    QSet<QString> names;
    for (const lang::Key& k : lang::keyTable())
        for (const lang::Target* t : {&k.first, &k.second})
            if (!t->window.empty())
                names.insert(QString::fromUtf8(t->window.data(), qsizetype(t->window.size())));
    // The main window first (a failure message is parented to it), then the program's other
    // windows: those made for this main window or without a parent.
    QList<QWidget*> windows{&main};
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &main && w->objectName() != main.objectName() && names.contains(w->objectName()) &&
            (!w->parentWidget() || w->parentWidget()->window() == &main))
            windows.append(w);
    return windows;
}

void wireLanguage(TMain& main, TLangForm* langForm) {
    // The windows are gathered each time: every window made before pgm_init takes part.
    main.hooks.SetLanguageFolder = [m = &main, langForm](const QString& folder) {
        langForm->setWindows(languageWindows(*m));
        langForm->setStartDir(folder);
    };
    main.hooks.ApplyLanguage = [m = &main, langForm](const QString& file) {
        langForm->setWindows(languageWindows(*m));
        langForm->ApplyLanguage(file);
    };
    main.hooks.ShowLanguageChooser = [m = &main, langForm] {
        langForm->setWindows(languageWindows(*m));
        langForm->exec();
    };
    langForm->setSpecialTextsReceiver([m = &main](const SpecialTexts& t) {
        if (t.allCustomCaption)
            m->AllCustomCaption = *t.allCustomCaption;
        if (t.copyPrompt)
            m->CopyPrompt = *t.copyPrompt;
        if (t.movePrompt)
            m->MovePrompt = *t.movePrompt;
        if (t.countWord)
            m->CountWord = *t.countWord;
        if (t.zipOnlySave)
            m->ZipOnlySaveText = *t.zipOnlySave;
    });
}

void wireTray(TMain& main, TrayIconFactory makeIcon) {
    main.setWindowIcon(programIcon());
    main.hooks.InstallMinimize = [m = &main, makeIcon = std::move(makeIcon)] {
        if (m->Tray)
            return;
        // The About box is the last window made; it joins the tray in joinAboutBox.
        m->Tray = new MainTray(
            m, m->AboutBox, makeIcon(), [m] { m->Exitprogram1Click(); }, m);
    };
}

void joinAboutBox(TMain& main, TAboutBox* aboutBox) {
    main.AboutBox = aboutBox;
    if (main.Tray)
        main.Tray->setAboutBox(aboutBox);
    main.hooks.ShowAbout = [aboutBox] { aboutBox->exec(); };
}

} // namespace korvel
