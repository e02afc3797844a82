#pragma once
// "Catalogue folder...": the catalogue of the browsed folder and everything below it, made on a
// worker thread while a window shows the progress with a Cancel button; the finished file is
// opened with the desktop's default command. The user picks the file, and by its extension the
// kind (.html/.htm a page, .json/.jsonl JSON lines, anything else FILES.BBS).

#include "core/catalog/CatalogJob.h"
#include "core/description/DescriptionLookup.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace korvel {

class TCatalogue : public QDialog {
    Q_OBJECT
public:
    explicit TCatalogue(QWidget* parent = nullptr);
    ~TCatalogue() override;

    // Asks for the file (through PickOutput) and starts the run for `folder` with the lookup
    // settings of the description view. Returns at once; the window stays up until the end.
    void catalogueFolder(const QString& folder, const LookupRequest& lookup);
    // The file dialog; tests answer it. An empty answer: cancelled.
    std::function<QString(QWidget* parent, const QString& suggestion)> PickOutput;

    // The kind of catalogue a file name asks for.
    static catalog::CatalogFormat formatForFile(const QString& path);
    bool running() const { return worker_.joinable(); }

    QLabel* LStatus;
    QProgressBar* ProgressBar;
    QPushButton* B_Cancel;

signals:
    // The run ended: written (and opened), stopped, or failed (the user has been told).
    void finished(bool written);

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void B_CancelClick();
    void showProgress(qulonglong done, qulonglong total);
    void runEnded();

    std::thread worker_;
    std::atomic<bool> stop_{false};
    std::shared_ptr<catalog::CatalogOutcome> outcome_;
    QString output_;
};

} // namespace korvel
