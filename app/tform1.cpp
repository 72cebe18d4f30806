#include "app/tform1.h"

#include "assets/artwork.h"
#include "platform/bevel.h"
#include "platform/contacts.h"
#include "platform/desktop.h"
#include "platform/link_label.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace torvex {

namespace {

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QLabel* label(QWidget* parent, const QString& text, QRect box, bool transparent) {
    auto* result = new QLabel(text, parent);
    result->setGeometry(box);
    result->setTextFormat(Qt::PlainText);
    result->setAutoFillBackground(!transparent);
    return result;
}

QPushButton* menuButton(QGroupBox* parent, const QString& text, int top, const QString& hint,
                        const char* name) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(8, top, 193, 25);
    button->setToolTip(hint);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Torvex Designer"));
    setFont(arial(9));
    setFixedSize(227, 289);
    markCentredAtFirstShow(this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 32, 32);
    Image1->setPixmap(applicationPicture());

    Label1 = label(this, QStringLiteral("Torvex Designer"), {48, 8, 126, 19}, true);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(arial(16, true));

    Label5 = label(this, QStringLiteral("version 1.1"), {48, 24, 47, 12}, false);
    Label5->setObjectName(QStringLiteral("Label5"));

    Label3 = label(this, QStringLiteral("by"), {139, 24, 11, 12}, true);
    Label3->setObjectName(QStringLiteral("Label3"));

    Label2 = new LinkLabel(QStringLiteral("Quorrin"), this, [this] { Label2Click(); });
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(152, 24, 58, 12);

    Bevel1 = new Bevel(Bevel::Shape::BottomLine, Bevel::Style::Lowered, this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setGeometry(8, 35, 209, 9);

    Label4 = label(this,
                   QStringLiteral("Welcome to Torvex Designer. With this program you can design "
                                  "levels and object for use with the Torvex engine. Select an "
                                  "option below to start working!"),
                   {8, 48, 209, 49}, true);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    GroupBox1 = new QGroupBox(QStringLiteral("Would you like to:"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 104, 209, 177);

    Button1 = menuButton(GroupBox1, QStringLiteral("Design an &object?"), 16,
                         QStringLiteral("To design an object, click this button. An object is the "
                                        "moving part of a scene like a car, human or enemy."),
                         "Button1");
    Button2 = menuButton(GroupBox1, QStringLiteral("Design a &scene?"), 48,
                         QStringLiteral("To design a scene, click this button. A scene is the "
                                        "stationary part of a world, like a landscape with "
                                        "buildings, trees and rivers."),
                         "Button2");
    Button5 = menuButton(GroupBox1, QStringLiteral("&Preview a scene?"), 80,
                         QStringLiteral("Create the full .Z80 source code to preview a scene. You "
                                        "will need a linelist for this function."),
                         "Button5");
    Button3 = menuButton(GroupBox1, QStringLiteral("View &information about this program?"), 112,
                         QStringLiteral("View information on this program."), "Button3");
    Button4 = menuButton(GroupBox1, QStringLiteral("&Exit?"), 144,
                         QStringLiteral("*Exit* (that was easy to guess, eh?)"), "Button4");
    // Tab order is creation order: Button1, Button2, Button5, Button3, Button4.

    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { guarded([this] { Button5Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { guarded([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { guarded([this] { Button4Click(); }); });
}

void TForm1::Button1Click() {
    desktop().messageDialog(
        MessageType::Error,
        QStringLiteral("This option is not yet available in this version of Torvex Designer. "
                       "Delvane has not yet finished the routines needed to implement this "
                       "function. Please be patient until he has finished them."));
}

void TForm1::Button2Click() {
    if (targets_.designerPanel)
        showWindow(targets_.designerPanel);
}

void TForm1::Button5Click() {
    if (targets_.previewWizard)
        showWindow(targets_.previewWizard);
}

void TForm1::Button3Click() {
    if (targets_.aboutWindow)
        showWindow(targets_.aboutWindow);
}

// Ends the program. With the designer panel shown its save question comes
// first, so that "&Exit?" never silently loses the line list.
void TForm1::Button4Click() {
    if (exitAllowed())
        QCoreApplication::exit(0);
}

void TForm1::Label2Click() {
    desktop().mailLink(this, mailUrl(authorMailAddress()));
}

bool TForm1::exitAllowed() {
    return !targets_.mayExit || targets_.mayExit();
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool allowed = false;
    guarded([&] { allowed = exitAllowed(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace torvex
