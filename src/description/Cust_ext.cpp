#include "description/Cust_ext.h"

#include "core/description/CustomList.h"
#include "platform/PathText.h"
#include "platform/Prompts.h"
#include "platform/WindowPlacement.h"

#include <QAbstractButton>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvel {
namespace {

const char* const kDefaultAllCustomCaption = "all custom files";

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QString messageTitle() {
    const QString t = QGuiApplication::applicationDisplayName();
    return t.isEmpty() ? QStringLiteral("Korvel") : t;
}

} // namespace

TCustom_ext::TCustom_ext(QWidget* parent) : QDialog(parent) {
    setObjectName("Custom_ext");
    setWindowTitle("Custom file setup");

    Label2 =
        new QLabel("Insert custom file name in the box to the left\nand press \"Add\" button: for example,\n"
                   "file.nfo  or  <filename>.txt\n(where <filename> will be added automatically)\n"
                   "or readme.nfo, or any file name you prefer.",
                   this);
    Label2->setObjectName("Label2");
    Label1 = new QLabel("File(s) to search:", this);
    Label1->setObjectName("Label1");
    T_cFile = new QLineEdit(this);
    T_cFile->setObjectName("T_cFile");
    B_Add = button(this, "B_Add", "&Add>>");
    B_Add->setDefault(true); // Enter in the name box adds the name
    B_Remove = button(this, "B_Remove", "<<Remove");
    L_cFile = new QListWidget(this);
    L_cFile->setObjectName("L_cFile");
    L_cFile->setSelectionMode(QAbstractItemView::SingleSelection);
    L_cFile->setFixedHeight(3 * L_cFile->fontMetrics().height() + 2 * L_cFile->frameWidth() + 6);
    Label3 = new QLabel("To remove an item, highlight it in the right box and press \"Remove\";\n"
                        "To save your preferences for the next sessions press the apposite button.",
                        this);
    Label3->setObjectName("Label3");
    Label3->setWordWrap(true);
    B_saveprefs = button(this, "B_saveprefs", "Save settings");
    B_OK = button(this, "B_OK", "Close");
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));

    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(B_Add);
    buttons->addWidget(B_Remove);
    buttons->addStretch();
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(Label1);
    listColumn->addWidget(L_cFile);
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(T_cFile, 1);
    editRow->addLayout(buttons);
    editRow->addLayout(listColumn, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(B_saveprefs);
    bottom->addStretch();
    bottom->addWidget(Image1);
    bottom->addStretch();
    bottom->addWidget(B_OK);
    auto* top = new QVBoxLayout(this);
    top->addWidget(Label2);
    top->addLayout(editRow);
    top->addWidget(Label3);
    top->addStretch();
    top->addLayout(bottom);
    resize(350, 300);

    connect(B_Add, &QPushButton::clicked, this, &TCustom_ext::B_AddClick);
    connect(B_Remove, &QPushButton::clicked, this, &TCustom_ext::B_RemoveClick);
    connect(B_saveprefs, &QPushButton::clicked, this, &TCustom_ext::B_saveprefsClick);
    connect(B_OK, &QPushButton::clicked, this, &TCustom_ext::B_OKClick);
}

void TCustom_ext::setCustomMenu(QMenu* custMenu, QAbstractButton* bCustom, EntryHandler gestCust) {
    custMenu_ = custMenu;
    bCustom_ = bCustom;
    gestCust_ = std::move(gestCust);
}

QString TCustom_ext::allCustomCaption() const {
    return allCustomCaption_ ? allCustomCaption_() : QString(kDefaultAllCustomCaption);
}

void TCustom_ext::FormCreate() {
    ReadCustoms();
    buildCustMenu();
    updateCustomButton();
}

QString TCustom_ext::customListPath() const {
    return pathText(korvel::customListPath(pathBytes(startDir_)));
}

bool TCustom_ext::ReadCustoms() {
    const auto read = readCustomList(pathBytes(customListPath()));
    for (const auto& name : read.names)
        addName(name);
    if (!read.error.empty()) {
        Prompts::current().showError(
            this, messageTitle(),
            QString("Cannot read %1:\n%2").arg(customListPath(), QString::fromStdString(read.error)));
        return false;
    }
    return true;
}

bool TCustom_ext::WriteCustoms() {
    std::string error;
    if (!writeCustomList(pathBytes(customListPath()), customNameList(), &error)) {
        Prompts::current().showError(
            this, "Disk error",
            "Cannot wrote on disk. Are you running program from a CD?\nIf so, you cannot save preferences!");
        return false;
    }
    return true;
}

void TCustom_ext::addName(const std::string& name) {
    auto* item = new QListWidgetItem(pathText(name), L_cFile);
    item->setData(Qt::UserRole, QByteArray::fromStdString(name));
}

QStringList TCustom_ext::customNames() const {
    QStringList names;
    for (int i = 0; i < L_cFile->count(); ++i)
        names << L_cFile->item(i)->text();
    return names;
}

std::vector<std::string> TCustom_ext::customNameList() const {
    std::vector<std::string> names;
    for (int i = 0; i < L_cFile->count(); ++i)
        names.push_back(L_cFile->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return names;
}

void TCustom_ext::B_AddClick() {
    const QString name = T_cFile->text();
    if (checkNewCustomName(customNameList(), pathBytes(name)) == CustomNameCheck::Ok) {
        addName(pathBytes(name));
        T_cFile->clear();
    }
    T_cFile->setFocus();
}

void TCustom_ext::B_RemoveClick() {
    const auto selected = L_cFile->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem* item = selected.first();
    if (!item->text().isEmpty())
        T_cFile->setText(item->text());
    delete item;
}

void TCustom_ext::B_saveprefsClick() {
    if (WriteCustoms())
        Prompts::current().inform(this, messageTitle(), "Preferences saved.");
    updateCustomButton();
}

void TCustom_ext::B_OKClick() {
    buildCustMenu();
    updateCustomButton();
    hide();
}

void TCustom_ext::buildCustMenu() {
    if (!custMenu_)
        return;
    custMenu_->clear(); // deletes the entries the menu owns
    QStringList entries = customNames();
    entries << allCustomCaption();
    for (const QString& name : entries) {
        QAction* entry = custMenu_->addAction(QString(name).replace('&', "&&"));
        entry->setData(name);
        connect(entry, &QAction::triggered, custMenu_, [this, entry] {
            if (gestCust_)
                gestCust_(entry);
        });
    }
}

void TCustom_ext::updateCustomButton() {
    if (bCustom_)
        bCustom_->setEnabled(L_cFile->count() > 0);
}

void TCustom_ext::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnFirstShow(*this, centred_);
}

} // namespace korvel
