#pragma once
// The busy window shown around long engine work (packing, extraction): "Processing, please
// wait..." with a file-copy animation that keeps playing while the engine works.

#include <QDialog>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace korvel {

// A small file-copy animation: a sheet flies from one folder to the other, drawn with QPainter.
class FileCopyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit FileCopyAnimation(QWidget* parent = nullptr);
    void start();
    void stop(); // back to the stop frame
    bool isRunning() const;
    int frame() const { return frame_; }
    int paintCount() const { return paints_; }
    QSize sizeHint() const override { return {272, 60}; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QTimer* timer_;
    int frame_ = 0;
    int paints_ = 0;
};

class TFrmWaitZip : public QDialog {
    Q_OBJECT
public:
    explicit TFrmWaitZip(QWidget* parent = nullptr);

    // Shows the window (blocking input to the program's other windows), runs `work` on a worker
    // thread while this thread keeps painting, then closes the window and returns work's
    // result. An exception thrown by `work` is thrown again here. Engine callbacks that reach
    // a window during `work` must go through a ScopedUnzipSink installed with
    // dispatchToThisThread(), which hands them to this thread.
    int runBusy(const std::function<int()>& work);

    FileCopyAnimation* Anm1;
    QLabel* Image1;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override; // Escape does nothing: the window has no controls for the user

private:
    bool busy_ = false;
};

// Runs `work` with the busy window shown: `window` when given (the program's FrmWaitZip),
// otherwise a window made for this one run. Without a QApplication it simply runs `work`.
int runWithBusyWindow(const std::function<int()>& work, TFrmWaitZip* window = nullptr);

} // namespace korvel
