#include "app/tform1.h"

#include "base/application_title.h"

#include "assets/artwork.h"
#include "platform/contacts.h"
#include "platform/desktop.h"
#include "platform/title_block.h"
#include "platform/window_frame.h"
#include "platform/window_parts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace torvex {

TForm1::TForm1(QWidget* parent) : QWidget(parent, fixedDialogFlags()) {
    const QString title = QString::fromLatin1(kApplicationTitle);
    setUpFixedWindow(this, "TForm1", title, {227, 289});
    refuseClosesDuringQuestions(this);

    const TitleBlock block =
        addTitleBlock(this, applicationPicture(), title, 126, [this] { Label2Click(); });
    Image1 = block.Image1;
    Label1 = block.Label1;
    Label3 = block.Label3;
    Label2 = block.Label2;
    Bevel1 = block.Bevel1;
    Label5 = fixedLabel(this, "Label5", QStringLiteral("version 1.1"), {48, 24, 47, 12},
                        Backdrop::Opaque);

    Label4 = paragraphLabel(this, "Label4",
                            QStringLiteral("Welcome to Torvex Designer. With this program you "
                                           "can design levels and object for use with the "
                                           "Torvex engine. Select an option below to start "
                                           "working!"),
                            {8, 48, 209, 49}, Backdrop::Transparent);

    GroupBox1 = placed(new QGroupBox(QStringLiteral("Would you like to:"), this), "GroupBox1",
                       {8, 104, 209, 177});

    Button1 =
        handButton(GroupBox1, "Button1", QStringLiteral("Design an &object?"), {8, 16, 193, 25},
                   QStringLiteral("To design an object, click this button. An object is the "
                                  "moving part of a scene like a car, human or enemy."));
    Button2 = handButton(GroupBox1, "Button2", QStringLiteral("Design a &scene?"), {8, 48, 193, 25},
                         QStringLiteral("To design a scene, click this button. A scene is the "
                                        "stationary part of a world, like a landscape with "
                                        "buildings, trees and rivers."));
    Button5 =
        handButton(GroupBox1, "Button5", QStringLiteral("&Preview a scene?"), {8, 80, 193, 25},
                   QStringLiteral("Create the full .Z80 source code to preview a scene. You "
                                  "will need a linelist for this function."));
    Button3 =
        handButton(GroupBox1, "Button3", QStringLiteral("View &information about this program?"),
                   {8, 112, 193, 25}, QStringLiteral("View information on this program."));
    Button4 = handButton(GroupBox1, "Button4", QStringLiteral("&Exit?"), {8, 144, 193, 25},
                         QStringLiteral("*Exit* (that was easy to guess, eh?)"));
    // Tab order is creation order: Button1, Button2, Button5, Button3, Button4.

    connect(Button1, &QPushButton::clicked, this, guardedHandler(this, &TForm1::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guardedHandler(this, &TForm1::Button2Click));
    connect(Button5, &QPushButton::clicked, this, guardedHandler(this, &TForm1::Button5Click));
    connect(Button3, &QPushButton::clicked, this, guardedHandler(this, &TForm1::Button3Click));
    connect(Button4, &QPushButton::clicked, this, guardedHandler(this, &TForm1::Button4Click));
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

// While the question is open the menu stays usable, but a second exit
// waits for the answer to the first (the question refuses it).
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
