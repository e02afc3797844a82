#pragma once
// The shadowed caption written upwards along the view-style strip.

#include <QWidget>

namespace korvel {

class VerticalCaption : public QWidget {
    Q_OBJECT
public:
    explicit VerticalCaption(const QString& text, QWidget* parent = nullptr);
    QString text() const { return text_; }
    void setText(const QString& t);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString text_;
};

} // namespace korvel
