#include "platform/Prompts.h"

#include <QMessageBox>

namespace korvel {
namespace {

class MessageBoxPrompts final : public Prompts {
public:
    bool askYesNo(QWidget* parent, const QString& title, const QString& text) override {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    bool askOkCancel(QWidget* parent, const QString& title, const QString& text) override {
        return QMessageBox::question(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                     QMessageBox::Ok) == QMessageBox::Ok;
    }
    Overwrite askOverwrite(QWidget* parent, const QString& title, const QString& text) override {
        auto b = QMessageBox::question(parent, title, text,
                                       QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                           QMessageBox::Cancel,
                                       QMessageBox::No);
        switch (b) {
        case QMessageBox::Yes:
            return Overwrite::Yes;
        case QMessageBox::YesToAll:
            return Overwrite::YesToAll;
        case QMessageBox::No:
            return Overwrite::No;
        default:
            return Overwrite::Cancel;
        }
    }
    void inform(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::information(parent, title, text);
    }
    void showError(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::critical(parent, title, text);
    }
};

MessageBoxPrompts& messageBoxes() {
    static MessageBoxPrompts p;
    return p;
}

Prompts* installed = nullptr;

} // namespace

Prompts& Prompts::current() {
    return installed ? *installed : messageBoxes();
}

void Prompts::install(Prompts* p) {
    installed = p;
}

} // namespace korvel
