#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

namespace torvex {

// The additional-information window of the preview wizard: the author's notes
// on assembling, loading and using a preview source file on the calculator.
// Closing it only hides it.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

private:
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
};

} // namespace torvex
