#include "catalog/CatalogueWindow.h"

#include "engineclient/CatalogSources.h"
#include "engineclient/Engines.h"
#include "platform/DefaultCommand.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel {

namespace {

QString pickWithDialog(QWidget* parent, const QString& suggestion) {
    return QFileDialog::getSaveFileName(
        parent, QStringLiteral("Catalogue folder"), suggestion,
        QStringLiteral("HTML page (*.html *.htm);;FILES.BBS list (*.bbs *.BBS);;"
                       "JSON lines (*.json *.jsonl);;All files (*)"));
}

} // namespace

TCatalogue::TCatalogue(QWidget* parent) : QDialog(parent), PickOutput(pickWithDialog) {
    setObjectName(QStringLiteral("Catalogue"));
    setWindowTitle(QStringLiteral("Catalogue folder"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    LStatus = new QLabel(this);
    LStatus->setObjectName(QStringLiteral("LStatus"));
    LStatus->setMinimumWidth(360);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    B_Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    B_Cancel->setObjectName(QStringLiteral("B_Cancel"));
    layout->addWidget(LStatus);
    layout->addWidget(ProgressBar);
    layout->addWidget(B_Cancel, 0, Qt::AlignRight);
    connect(B_Cancel, &QPushButton::clicked, this, &TCatalogue::B_CancelClick);
}

TCatalogue::~TCatalogue() {
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
}

catalog::CatalogFormat TCatalogue::formatForFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return catalog::CatalogFormat::Html;
    if (suffix == QLatin1String("json") || suffix == QLatin1String("jsonl"))
        return catalog::CatalogFormat::Json;
    return catalog::CatalogFormat::Bbs;
}

void TCatalogue::catalogueFolder(const QString& folder, const LookupRequest& lookup) {
    if (running()) {
        show();
        raise();
        return;
    }
    const QString out = PickOutput
                            ? PickOutput(parentWidget(), QDir(folder).filePath(QStringLiteral("index.html")))
                            : QString();
    if (out.isEmpty())
        return;
    std::string why;
    if (!Engines::load(&why)) {
        Prompts::current().showError(parentWidget(), windowTitle(), QString::fromStdString(why));
        return;
    }
    output_ = out;
    catalog::CatalogJob job;
    job.folders = {pathBytes(folder)}; // the file system's bytes, Latin-1 names too
    job.recursive = true;
    job.format = formatForFile(out);
    job.output = pathBytes(out);
    job.write.title = "Catalogue of " + pathBytes(folder);

    stop_ = false;
    outcome_ = std::make_shared<catalog::CatalogOutcome>();
    LStatus->setText(QStringLiteral("Looking through %1 ...").arg(QDir::toNativeSeparators(folder)));
    ProgressBar->setRange(0, 0);
    B_Cancel->setEnabled(true);
    show();
    worker_ = std::thread([this, job, lookup, outcome = outcome_] {
        const CatalogSources sources(lookup);
        *outcome = catalog::runCatalogJob(
            job, sources.byFormat(), &stop_, [this](std::size_t done, std::size_t total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(
            this, [this] { runEnded(); }, Qt::QueuedConnection);
    });
}

void TCatalogue::showProgress(qulonglong done, qulonglong total) {
    // A bar of up to a few thousand steps: the count itself goes to the label.
    ProgressBar->setRange(0, total > 0 ? 1000 : 0);
    ProgressBar->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    LStatus->setText(QStringLiteral("%1 of %2 archives").arg(done).arg(total));
}

void TCatalogue::B_CancelClick() {
    stop_ = true;
    B_Cancel->setEnabled(false);
    LStatus->setText(QStringLiteral("Stopping ..."));
}

void TCatalogue::runEnded() {
    if (worker_.joinable())
        worker_.join();
    hide();
    const catalog::CatalogOutcome o = *outcome_;
    if (o.written) {
        DefaultCommand::openPath(output_);
    } else if (!o.stopped) {
        Prompts::current().showError(parentWidget(), windowTitle(),
                                     QStringLiteral("The catalogue could not be written: %1")
                                         .arg(QString::fromLocal8Bit(o.error.c_str())));
    }
    emit finished(o.written);
}

void TCatalogue::closeEvent(QCloseEvent* e) {
    if (running()) {
        B_CancelClick();
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

void TCatalogue::reject() {
    if (running()) {
        B_CancelClick(); // Escape cancels the run; the window goes when it has stopped
        return;
    }
    QDialog::reject();
}

} // namespace korvel
