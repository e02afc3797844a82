#include "filemanager/AMHFileOp.h"

#include "core/files/FileOperation.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFontMetrics>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

namespace korvel {
namespace {

using files::FileOpAnswer;
using files::FileOpQuestion;

const QString kTitle = QStringLiteral("Korvel");

std::vector<std::string> splitPaths(const QString& list) {
    return files::FileOperation::splitList(pathBytes(list));
}

QString fromLocal(const std::string& s) {
    return pathText(s);
}

QString sizeText(std::uint64_t bytes) {
    if (bytes < 10 * 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 10ull * 1024 * 1024)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
}

// The engine runs on a worker thread; this handler carries its questions and errors over to the
// window thread (which waits in an event loop meanwhile) and keeps its latest progress for the
// progress window. While a question or an error is open, the progress window is out of the way:
// the hooks hide it before the box opens and start its delay again once it is answered.
class WindowHandler final : public files::FileOpHandler {
public:
    WindowHandler(QObject* context, QWidget* parent) : context_(context), parent_(parent) {}

    std::function<void()> questionOpens, questionAnswered;

    FileOpAnswer ask(const FileOpQuestion& q) override {
        FileOpAnswer a = FileOpAnswer::Cancel;
        onWindowThread([&] {
            QuestionScope scope(*this);
            Prompts& p = Prompts::current();
            const QString text = fromLocal(q.text);
            if (q.kind == FileOpQuestion::Kind::Overwrite) {
                switch (p.askOverwrite(dialogParent(), kTitle, text)) {
                case Prompts::Overwrite::Yes:
                    a = FileOpAnswer::Yes;
                    break;
                case Prompts::Overwrite::YesToAll:
                    a = FileOpAnswer::YesToAll;
                    break;
                case Prompts::Overwrite::No:
                    a = FileOpAnswer::No;
                    break;
                case Prompts::Overwrite::Cancel:
                    a = FileOpAnswer::Cancel;
                    break;
                }
            } else {
                a = p.askYesNo(dialogParent(), kTitle, text) ? FileOpAnswer::Yes : FileOpAnswer::No;
            }
        });
        return a;
    }
    void error(const std::string& text) override {
        onWindowThread([&] {
            QuestionScope scope(*this);
            Prompts::current().showError(dialogParent(), kTitle, fromLocal(text));
        });
    }
    void progress(const files::FileOpProgress& p) override {
        std::lock_guard lock(mutex_);
        progress_ = p;
        fresh_ = true;
    }
    bool cancelled() override { return cancel_.load(std::memory_order_relaxed); }

    void cancel() { cancel_ = true; }
    bool takeProgress(files::FileOpProgress& p) {
        std::lock_guard lock(mutex_);
        if (!fresh_)
            return false;
        p = progress_;
        fresh_ = false;
        return true;
    }
    void setDialog(QWidget* dialog) { dialog_ = dialog; }

    bool questionOpen() const { return questionOpen_; }

private:
    struct QuestionScope {
        explicit QuestionScope(WindowHandler& h) : h_(h) {
            h_.questionOpen_ = true;
            if (h_.questionOpens)
                h_.questionOpens();
        }
        ~QuestionScope() {
            h_.questionOpen_ = false;
            if (h_.questionAnswered)
                h_.questionAnswered();
        }
        WindowHandler& h_;
    };

    template <typename F> void onWindowThread(F&& f) {
        if (QThread::currentThread() == context_->thread())
            f();
        else
            QMetaObject::invokeMethod(context_, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
    QWidget* dialogParent() const {
        if (dialog_ && dialog_->isVisible())
            return dialog_;
        return parent_;
    }

    QObject* context_;
    QPointer<QWidget> parent_, dialog_;
    std::mutex mutex_;
    files::FileOpProgress progress_;
    bool fresh_ = false;
    std::atomic<bool> cancel_{false};
    bool questionOpen_ = false; // window thread only
};

QString verbOf(TAMHFileOp::TFileOp op) {
    switch (op) {
    case TAMHFileOp::foCopy:
        return QStringLiteral("Copying");
    case TAMHFileOp::foMove:
        return QStringLiteral("Moving");
    case TAMHFileOp::foRename:
        return QStringLiteral("Renaming");
    default:
        return QStringLiteral("Deleting");
    }
}

} // namespace

int TAMHFileOp::progressDelayMs = 500;

TAMHFileOp::TAMHFileOp(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("AMH1"));
}

int TAMHFileOp::shellOperation(TFileOp op) {
    switch (op) {
    case foMove:
        return 1;
    case foCopy:
        return 2;
    case foDelete:
        return 3;
    case foRename:
        return 4;
    }
    return 0;
}

unsigned TAMHFileOp::shellFlags(TFileOpFlags flags) {
    static const std::pair<TFileOpFlag, unsigned> table[] = {
        {fofAllowUndo, files::AllowUndo},
        {fofConfirmMouse, files::ConfirmMouse},
        {fofFilesOnly, files::FilesOnly},
        {fofMultiDestFiles, files::MultiDestFiles},
        {fofNoConfirmation, files::NoConfirmation},
        {fofNoConfirmMkDir, files::NoConfirmMkDir},
        {fofRenameOnCollision, files::RenameOnCollision},
        {fofSilent, files::Silent},
        {fofSimpleProgress, files::SimpleProgress},
        {fofWantMappingHandle, files::WantMappingHandle},
    };
    unsigned bits = 0;
    for (const auto& [flag, bit] : table) {
        if (flags.testFlag(flag))
            bits |= bit;
    }
    return bits;
}

QWidget* TAMHFileOp::ownerWindow() const {
    if (auto* w = qobject_cast<QWidget*>(parent()))
        return w->window();
    return QApplication::activeWindow();
}

bool TAMHFileOp::Execute() {
    if (running_)
        return false; // one operation at a time per component
    running_ = true;

    files::FileOperation op;
    switch (Operation) {
    case foCopy:
        op.operation = files::FileOpKind::Copy;
        break;
    case foMove:
        op.operation = files::FileOpKind::Move;
        break;
    case foDelete:
        op.operation = files::FileOpKind::Delete;
        break;
    case foRename:
        op.operation = files::FileOpKind::Rename;
        break;
    }
    op.flags = shellFlags(Flags);
    op.from = splitPaths(FilesFrom);
    op.to = splitPaths(FilesTo);

    QWidget* owner = ownerWindow();
    WindowHandler handler(this, owner);
    std::atomic<bool> finished{false};
    bool result = false;
    QEventLoop loop;
    // The progress window, shown once the work has lasted a moment (never with fofSilent).
    QProgressDialog* dialog = nullptr;
    const QString verb = verbOf(Operation);
    auto refresh = [&] {
        files::FileOpProgress p;
        if (!dialog || !handler.takeProgress(p))
            return;
        const bool byBytes = p.bytesTotal > 0;
        const std::uint64_t done = byBytes ? p.bytesDone : p.itemsDone;
        const std::uint64_t total = byBytes ? p.bytesTotal : p.itemsTotal;
        dialog->setValue(total ? static_cast<int>(done * 1000 / total) : 0);
        QString name = fromLocal(p.current);
        QFontMetrics fm(dialog->font());
        QString line1 = name.isEmpty() ? verb + QStringLiteral("...")
                                       : verb + QLatin1Char(' ') + fm.elidedText(name, Qt::ElideMiddle, 420);
        QString line2 =
            QStringLiteral("%1 of %2 item(s)").arg(qMin(p.itemsDone + 1, p.itemsTotal)).arg(p.itemsTotal);
        if (byBytes)
            line2 += QStringLiteral(", %1 of %2").arg(sizeText(p.bytesDone), sizeText(p.bytesTotal));
        dialog->setLabelText(line1 + QLatin1Char('\n') + line2);
    };
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QTimer refreshTimer;
    refreshTimer.setInterval(100);
    // Both live as long as the work: the question hooks call them from the worker's questions.
    std::function<void()> showDialog, startDelay;
    if (!Flags.testFlag(fofSilent)) {
        showDialog = [&] {
            if (finished || handler.questionOpen())
                return;
            if (dialog) { // back after a question
                refresh();
                dialog->show();
                refreshTimer.start();
                loop.quit();
                return;
            }
            dialog = new QProgressDialog(owner);
            dialog->setObjectName(QStringLiteral("FileOpProgress"));
            dialog->setWindowTitle(kTitle);
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            // Shown and hidden only here: the dialog's own timer would show it again in the
            // middle of a question.
            dialog->setMinimumDuration(std::numeric_limits<int>::max());
            dialog->setRange(0, 1000);
            dialog->setMinimumWidth(480);
            dialog->setLabelText(verb + QStringLiteral("..."));
            connect(dialog, &QProgressDialog::canceled, &loop, [&] {
                handler.cancel();
                if (dialog)
                    dialog->setLabelText(QStringLiteral("Cancelling..."));
            });
            handler.setDialog(dialog);
            refresh();
            dialog->show();
            refreshTimer.start();
            loop.quit(); // from now on the window takes input (for Cancel)
        };
        connect(&showTimer, &QTimer::timeout, &loop, showDialog);
        connect(&refreshTimer, &QTimer::timeout, &loop, refresh);
        startDelay = [&] {
            if (progressDelayMs <= 0)
                showDialog();
            else
                showTimer.start(progressDelayMs);
        };
        // A question always has the screen to itself: the progress window (application modal)
        // would cover it and take its input. Its delay starts again when the answer is given.
        handler.questionOpens = [&] {
            showTimer.stop();
            refreshTimer.stop();
            if (dialog)
                dialog->hide();
        };
        handler.questionAnswered = [&] {
            loop.quit(); // back to waiting without user input until the window is up again
            startDelay();
        };
        startDelay();
    }
    std::thread worker([&] {
        result = op.execute(handler);
        finished = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });

    // Until the progress window is up, clicks and keys wait: the work must not be started again
    // from the window it runs for.
    while (!finished)
        loop.exec(dialog && dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    worker.join();
    refreshTimer.stop();
    if (dialog) {
        handler.setDialog(nullptr);
        dialog->hide();
        delete dialog;
    }
    running_ = false;
    return result;
}

} // namespace korvel
