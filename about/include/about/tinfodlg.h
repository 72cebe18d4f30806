#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

namespace torvex {

// The about window: the program's name, its author with a mail link, four
// paragraphs about the program and a mail link to the engine's author. It
// stays above the other windows while the program is active; closing it only
// hides it.
class TInfoDlg : public QWidget {
    Q_OBJECT
public:
    explicit TInfoDlg(QWidget* parent = nullptr);

    // Handlers: the author's and the engine author's mail links.
    void Label2Click();
    void Label9Click();

private:
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    QGroupBox* GroupBox1;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
};

} // namespace torvex
