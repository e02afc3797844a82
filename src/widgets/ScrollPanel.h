#pragma once
// The About box's scrolling text panel: lines of text that move upwards on a timer until the last
// one has left the top edge, then the panel stops on its own and says so with stopPlay().

#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace korvel {

class ScrollPanel : public QWidget {
    Q_OBJECT
public:
    explicit ScrollPanel(QWidget* parent = nullptr);

    // One entry per line. A line starting with "= " is a heading, shown bold and in colour.
    void setLines(const QStringList& lines);
    const QStringList& lines() const { return lines_; }

    // Starts from the beginning: the first line enters at the bottom edge.
    void play();
    // Stops where it is; play() starts over.
    void stop();
    bool isPlaying() const { return timer_.isActive(); }

    // Milliseconds between two one-pixel steps.
    void setInterval(int ms) { timer_.setInterval(ms); }
    int interval() const { return timer_.interval(); }

    // Moves the text up by one pixel; at the end stops and emits stopPlay().
    void step();
    // Distance of the first line's top from the panel's top (starts at the panel's height).
    int offset() const { return offset_; }
    int textHeight() const;

    QSize sizeHint() const override { return {300, 130}; }

signals:
    // The text has run out of the top edge.
    void stopPlay();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight() const;

    QStringList lines_;
    QTimer timer_;
    int offset_ = 0;
};

} // namespace korvel
