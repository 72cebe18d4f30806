#pragma once

#include "platform/desktop.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QPushButton;

namespace torvex {

class Bevel;
class StringList;

// The preview wizard "Scenery Preview": turns a saved line list file into a
// preview source file, the engine template followed by the scene's data lines.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    // `additionalInformation` is the window "View additional information?"
    // shows.
    explicit TForm4(QWidget* additionalInformation, QWidget* parent = nullptr);

    // Handlers.
    void Button1Click();
    void Button2Click();
    void Label2Click();

    FileDialog OpenDialog1{FileDialog::Kind::Open};
    FileDialog SaveDialog1{FileDialog::Kind::Save};

private:
    void informAbout(const char* text);

    QWidget* additionalInformation_;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    Bevel* Bevel1;
    QLabel* Label4;
    QGroupBox* GroupBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    // The engine template; the lines read from the list file; the data and
    // closing lines; the whole preview source file, as written.
    StringList* ListBox1;
    StringList* ListBox2;
    StringList* ListBox3;
    StringList* ListBox4;
};

} // namespace torvex
