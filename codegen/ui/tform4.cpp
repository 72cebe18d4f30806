#include "codegen/tform4.h"

#include "assets/artwork.h"
#include "codegen/engine_template.h"
#include "codegen/scene_data.h"
#include "codegen/string_list.h"
#include "codegen/text_line_file.h"
#include "platform/contacts.h"
#include "platform/title_block.h"
#include "platform/window_frame.h"
#include "platform/window_parts.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace torvex {

namespace {

constexpr int kClientWidth = 227;
constexpr int kClientHeight = 200;

StringList* stringList(QWidget* parent, const char* name, int index) {
    auto* list = new StringList(name, parent);
    list->setGeometry(index * 8, kClientHeight, 8, 8);
    return list;
}

TextLines concatenated(const TextLines& first, const TextLines& second) {
    TextLines lines;
    lines.reserve(first.size() + second.size());
    lines.insert(lines.end(), first.begin(), first.end());
    lines.insert(lines.end(), second.begin(), second.end());
    return lines;
}

} // namespace

TForm4::TForm4(QWidget* additionalInformation, QWidget* parent)
    : QWidget(parent, fixedDialogFlags()), additionalInformation_(additionalInformation) {
    setUpFixedWindow(this, "TForm4", QStringLiteral("Scenery Preview"),
                     {kClientWidth, kClientHeight});
    keepAliveWhenClosed(this);

    const TitleBlock block = addTitleBlock(this, wizardPicture(), QStringLiteral("Scenery Preview"),
                                           128, [this] { Label2Click(); });
    Image1 = block.Image1;
    Label1 = block.Label1;
    Label3 = block.Label3;
    Label2 = block.Label2;
    Bevel1 = block.Bevel1;

    Label4 = paragraphLabel(this, "Label4",
                            QStringLiteral("With the Scenery Preview function you can view a "
                                           "scene on your calculator in the Torvex engine. You "
                                           "will need a linelist to create the Z80 source code. "
                                           "You can then compile the code with DevPac."),
                            {8, 48, 209, 57}, Backdrop::Transparent);

    GroupBox1 = placed(new QGroupBox(QStringLiteral("Would you like to:"), this), "GroupBox1",
                       {8, 112, 209, 81});

    // Tab order is creation order: Button1, then Button2.
    Button1 = handButton(GroupBox1, "Button1", QStringLiteral("&Create a scenery preview?"),
                         {8, 16, 193, 25},
                         QStringLiteral("Step by step creation of Z80 source code. View "
                                        "readme.txt for more information."));
    Button2 = handButton(GroupBox1, "Button2", QStringLiteral("&View additional information?"),
                         {8, 48, 193, 25},
                         QStringLiteral("View more information (you can also view readme.txt)"));

    ListBox1 = stringList(this, "ListBox1", 0);
    ListBox2 = stringList(this, "ListBox2", 1);
    ListBox3 = stringList(this, "ListBox3", 2);
    ListBox4 = stringList(this, "ListBox4", 3);
    ListBox1->setLines(engineTemplateLines());

    connect(Button1, &QPushButton::clicked, this, guardedHandler(this, &TForm4::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guardedHandler(this, &TForm4::Button2Click));
}

void TForm4::informAbout(const char* text) {
    desktop().messageDialog(MessageType::Information, QString::fromLatin1(text));
}

// The wizard run. Its message dialogs' answers are never looked at; only a
// cancelled file dialog or a failure ends it early.
void TForm4::Button1Click() {
    const QString noFile = QStringLiteral("You did not select a file!");
    OpenDialog1.setFileName(QString());
    informAbout("First, we will need a linelist to compile. Click [OK] to select a linelist.");
    if (!OpenDialog1.execute(this)) {
        desktop().messageDialog(MessageType::Warning, noFile);
        return;
    }
    informAbout("Now we will need a .Z80 file to store the program and data in.");
    SaveDialog1.setFileName(OpenDialog1.fileName() + QStringLiteral(".z80"));
    if (!SaveDialog1.execute(this)) {
        desktop().messageDialog(MessageType::Warning, noFile);
        return;
    }
    informAbout("The program will now create the .Z80 file for compilation...");
    // Read whole before anything is replaced: the list file may be the output.
    ListBox2->setLines(readTextLineFile(OpenDialog1.fileName()));
    ListBox3->setLines(previewSourceLines({}, ListBox2->lines()));
    ListBox4->setLines(concatenated(ListBox1->lines(), ListBox3->lines()));
    writeTextLineFile(SaveDialog1.fileName(), ListBox4->lines());
    informAbout("The source code is ready to use. See readme.txt for details.");
}

void TForm4::Button2Click() {
    if (additionalInformation_)
        showWindow(additionalInformation_);
}

void TForm4::Label2Click() {
    desktop().mailLink(this, mailUrl(authorMailAddress()));
}

} // namespace torvex
