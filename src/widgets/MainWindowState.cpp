#include "widgets/MainWindowState.h"

namespace korvel {
namespace {

MainWindowState* theMain = nullptr;

} // namespace

MainWindowState::MainWindowState(QWidget* parent) : QMainWindow(parent) {
    theMain = this;
}

MainWindowState::~MainWindowState() {
    // Cleared before the window's children go, so that they can tell.
    if (theMain == this)
        theMain = nullptr;
}

MainWindowState* MainWindowState::instance() {
    return theMain;
}

QString MainWindowState::inStartDir(const QString& name) const {
    return StartDir.endsWith(QLatin1Char('/')) ? StartDir + name : StartDir + QLatin1Char('/') + name;
}

} // namespace korvel
