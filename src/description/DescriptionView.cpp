#include "description/DescriptionView.h"

#include "core/description/DescriptionText.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace korvel {
namespace {

const char* const kFilterName = "korvelLineSeparatorAsNewLine";

// Turns Shift+Enter into Enter, so every new line the user makes is a CR LF line end.
class LineSeparatorAsNewLine final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::InsertLineSeparator)) {
                QKeyEvent plain(QEvent::KeyPress, key->key(), Qt::NoModifier, key->text(),
                                key->isAutoRepeat(), key->count());
                QCoreApplication::sendEvent(watched, &plain);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void setupDescriptionEditor(QPlainTextEdit* edit) {
    edit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, QColor(0x00, 0x00, 0x80)); // navy
    edit->setPalette(palette);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    keepLineEndsCrLf(edit);
}

void keepLineEndsCrLf(QPlainTextEdit* edit) {
    if (edit->findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new LineSeparatorAsNewLine(edit);
    filter->setObjectName(kFilterName);
    edit->installEventFilter(filter);
}

QString descriptionText(std::string_view bytes) {
    const std::u32string text = descriptionToDisplay(bytes);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::string descriptionBytes(const QString& rawText, std::size_t* unmappable) {
    const QList<uint> ucs4 = rawText.toUcs4();
    std::u32string text(ucs4.begin(), ucs4.end());
    return displayToDescription(text, unmappable);
}

void setDescriptionBytes(QPlainTextEdit* edit, std::string_view bytes) {
    edit->setPlainText(descriptionText(bytes));
}

std::string descriptionBytes(const QPlainTextEdit* edit, std::size_t* unmappable) {
    // The raw text: the plain text would turn the no-break space (0xFF) into a blank and the
    // line separator (a lone LF) into a line end.
    return descriptionBytes(edit->document()->toRawText(), unmappable);
}

} // namespace korvel
