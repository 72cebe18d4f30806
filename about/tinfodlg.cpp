#include "about/tinfodlg.h"

#include "about/acknowledgements.h"
#include "assets/artwork.h"
#include "base/application_title.h"
#include "platform/contacts.h"
#include "platform/desktop.h"
#include "platform/link_label.h"
#include "platform/window_frame.h"
#include "platform/window_parts.h"

#include <QGroupBox>
#include <QLabel>

namespace torvex {

TInfoDlg::TInfoDlg(QWidget* parent) : QWidget(parent, fixedDialogFlags()) {
    const QString title = QString::fromLatin1(kApplicationTitle);
    setUpFixedWindow(this, "TInfoDlg", QStringLiteral("About ") + title, {251, 322});
    keepAliveWhenClosed(this);

    // Created in this order on purpose: where boxes overlap, a later label
    // paints over an earlier one.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(aboutPicture());
    Image1->setGeometry(QRect(QPoint(8, 8), Image1->pixmap().size()));

    Label1 = new QLabel(title, this);
    Label1->setFont(arialFont(16, true));
    placeTextSized(Label1, "Label1", {48, 8}, Backdrop::Transparent);

    Label3 = textSizedLabel(this, "Label3", QStringLiteral("by"), {171, 24}, Backdrop::Transparent);

    Label2 = new LinkLabel(QStringLiteral("Quorrin"), this, [this] { Label2Click(); });
    placeTextSized(Label2, "Label2", {184, 24}, Backdrop::Transparent);

    GroupBox1 = placed(new QGroupBox(QStringLiteral("About ") + title, this), "GroupBox1",
                       {8, 48, 233, 265});

    Label4 = paragraphLabel(GroupBox1, "Label4",
                            QStringLiteral("Torvex Designer is made for use with the Torvex 3D "
                                           "engine made by Delvane. I have made this program to "
                                           "make building 3D models and scenes far easier than "
                                           "drawing them in plain coordinates."),
                            {2, 16, 228, 49});
    Label5 = paragraphLabel(GroupBox1, "Label5",
                            QStringLiteral("If you like this program, you can email me with the "
                                           "link at the top right of this form. Please do not "
                                           "send emails for porting requests, because I'm not "
                                           "able to port the code to any other calc."),
                            {8, 72, 217, 49});
    Label6 = paragraphLabel(GroupBox1, "Label6",
                            QStringLiteral("Torvex could be the first step to very good TI83 3D "
                                           "games, if we all put our thoughts together and try "
                                           "to make the most of it. Please respect the source "
                                           "code and give credit where appropriate."),
                            {8, 128, 217, 49});
    Label7 = paragraphLabel(GroupBox1, "Label7", acknowledgementsText(), {8, 184, 217, 73});
    Label8 = textSizedLabel(GroupBox1, "Label8", QStringLiteral("this program was made for"),
                            {24, 248}, Backdrop::Opaque);

    Label9 = new LinkLabel(QStringLiteral("Delvane"), GroupBox1, [this] { Label9Click(); });
    placeTextSized(Label9, "Label9", {139, 248}, Backdrop::Opaque);

    registerTopmostWindow(this);
}

void TInfoDlg::Label2Click() {
    desktop().mailLink(this, mailUrl(authorMailAddress()));
}

void TInfoDlg::Label9Click() {
    desktop().mailLink(this, mailUrl(engineAuthorMailAddress()));
}

} // namespace torvex
