#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace torvex {

// The Arial face at a character height in pixels.
QFont arialFont(int pixelSize, bool bold = false);

// How a label meets the labels it overlaps: an opaque one fills its whole box
// with the window's background before drawing its text, a transparent one
// lets what lies below show through.
enum class Backdrop { Opaque, Transparent };

// A paragraph in a box of fixed size: each line centred, wrapped at word
// boundaries, and whatever falls below the box's bottom edge is cut off.
QLabel* paragraphLabel(QWidget* parent, const char* name, const QString& text, QRect box,
                       Backdrop backdrop = Backdrop::Opaque);

// A single line in a box of fixed size, left aligned.
QLabel* fixedLabel(QWidget* parent, const char* name, const QString& text, QRect box,
                   Backdrop backdrop);

// A single line whose box is as large as its text.
QLabel* textSizedLabel(QWidget* parent, const char* name, const QString& text, QPoint at,
                       Backdrop backdrop);

// Gives a label its box, backdrop and name; a text-sized label is sized to its
// text in its present font.
void placeTextSized(QLabel* label, const char* name, QPoint at, Backdrop backdrop);

// Names a control after its member and puts it at its place.
template <class Widget> Widget* placed(Widget* widget, const char* name, QRect box) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(box);
    return widget;
}

// A push button at a fixed place, with its hint as tool tip and the hand
// cursor; "&" in the text marks its accelerator letter. Enter presses it when
// it has the focus, as Space does.
QPushButton* handButton(QWidget* parent, const char* name, const QString& text, QRect box,
                        const QString& hint);

} // namespace torvex
