#include "about/tform6.h"

#include "platform/desktop.h"
#include "platform/window_frame.h"
#include "platform/window_parts.h"

#include <QGroupBox>
#include <QLabel>

namespace torvex {

TForm6::TForm6(QWidget* parent) : QWidget(parent, fixedDialogFlags()) {
    setUpFixedWindow(this, "TForm6", QStringLiteral("Additional Information On Scenery Preview"),
                     {401, 194});
    keepAliveWhenClosed(this);

    GroupBox1 = placed(new QGroupBox(QStringLiteral("Notes by the author:"), this), "GroupBox1",
                       {8, 8, 385, 177});

    // The boxes overlap: Label2 is transparent so that the end of Label1, whose
    // sentence it continues, shows through it; Label5 is created after Label4
    // and covers its top edge although it reads before it.
    Label1 = paragraphLabel(
        GroupBox1, "Label1",
        QStringLiteral("You will need to compile the .Z80 file with Table Assembler. You can "
                       "squish the file, but you may not add Ion, SOS or AShell support, due to "
                       "memory equates used in the 3D engine. If you decide to squish the file, "
                       "you need to use ZASMLOAD. If you do not,"),
        {8, 16, 369, 41});
    Label2 = paragraphLabel(
        GroupBox1, "Label2",
        QStringLiteral("you will need to use the Send(9prgmXXX method, where XXX is the name of "
                       "your program. I (we) now that this method is a bit complex, but it is "
                       "needed for proper execution of the program. Please do not complain about "
                       "this, I'll see what I can do."),
        {8, 51, 369, 41}, Backdrop::Transparent);
    Label3 = paragraphLabel(
        GroupBox1, "Label3",
        QStringLiteral("The keys that you can use in the preview are: the arrow keys, mode, stat, "
                       "vars, clear and del. You will find the function of the keys out with a "
                       "bit of trial and error."),
        {8, 86, 369, 27});
    Label4 = paragraphLabel(
        GroupBox1, "Label4",
        QStringLiteral("The version of Torvex Designer that you are running now is not very "
                       "advanced: consider it \u00DFeta. You can always get you calculator locked "
                       "up and crashed like never before. This should *not* happen, because I've "
                       "tested my source many times."),
        {8, 133, 369, 41});
    Label5 = paragraphLabel(
        GroupBox1, "Label5",
        QStringLiteral("More information can be found in the README.TXT file that I've included. "
                       "It should get you started in a minute (or more)."),
        {8, 109, 369, 25});
}

} // namespace torvex
