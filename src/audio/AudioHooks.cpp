#include "audio/AudioHooks.h"

#include "audio/AudioPage.h"
#include "audio/PlayerPanel.h"
#include "widgets/MainWindowState.h"

namespace korvel {

void installAudio(MainWindowState& main) {
    auto* page = new TAudioPage(main);
    auto* player = new TPlayerPanel(main);
    main.hooks.InitPlayer = [player](const QString& startDir) { return player->InitPlayer(startDir); };
    main.hooks.FillGenres = [page] { page->FillGenres(); };
    main.hooks.ViewMP3 = [page](const QString& file) { page->ViewMP3(file); };
    main.hooks.IDTagWrite = [page, &main] { page->IDTagWrite(main.ShownFile); };
}

} // namespace korvel
