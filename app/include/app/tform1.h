#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;
class QGroupBox;

namespace torvex {

class Bevel;

// The main menu: the program's main window. Closing it ends the program.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    // What the menu's buttons open. `mayExit` is asked before the program
    // ends; returning false abandons the exit (the designer panel's save
    // question may do so, and refuses a second exit while it is asked).
    struct Targets {
        QWidget* designerPanel = nullptr;
        QWidget* previewWizard = nullptr;
        QWidget* aboutWindow = nullptr;
        std::function<bool()> mayExit;
    };

    explicit TForm1(QWidget* parent = nullptr);
    void setTargets(Targets targets) { targets_ = std::move(targets); }

    // Handlers.
    void Button1Click();
    void Button2Click();
    void Button5Click();
    void Button3Click();
    void Button4Click();
    void Label2Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool exitAllowed();

    Targets targets_;
    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label5;
    QLabel* Label3;
    QLabel* Label2;
    Bevel* Bevel1;
    QLabel* Label4;
    QGroupBox* GroupBox1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button5;
    QPushButton* Button3;
    QPushButton* Button4;
};

} // namespace torvex
