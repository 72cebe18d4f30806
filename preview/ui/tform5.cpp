#include "preview/tform5.h"

#include "platform/desktop.h"
#include "preview/regeneration.h"

#include <QCloseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace torvex {

CanvasImage::CanvasImage(const Canvas& canvas, QWidget* parent)
    : QWidget(parent), image_(reinterpret_cast<const uchar*>(canvas.bits()), Canvas::width,
                              Canvas::height, Canvas::bytesPerLine(), QImage::Format_RGB32) {
    setObjectName(QStringLiteral("Image1"));
    setFixedSize(Canvas::width, Canvas::height);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, image_, area);
}

TForm5::TForm5(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm5"));
    // A secondary window: the program ends with the main menu, never with this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    refuseClosesDuringQuestions(this);
    setWindowTitle(QString::fromLatin1(previewCaption));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setRestoredBounds();

    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setWidgetResizable(false);
    scrollArea->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette face = scrollArea->viewport()->palette();
    face.setColor(QPalette::Window, QColor::fromRgb(colours::windowFace));
    scrollArea->viewport()->setPalette(face);
    scrollArea->viewport()->setAutoFillBackground(true);
    Image1 = new CanvasImage(canvas_, scrollArea);
    scrollArea->setWidget(Image1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea);
}

void TForm5::beginRegeneration(int panelHeight) {
    if (!isVisible()) {
        if (!shownBefore_)
            setRestoredBounds();
        shownBefore_ = true;
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
        showWindow(this);
    }
    // The captions change at once, the picture only when events are processed:
    // the backdrop is drawn under the first caption.
    setWindowTitle(QString::fromLatin1(previewCaptionGrid));
    drawPreviewBackdrop(canvas_, panelHeight);
    setWindowTitle(QString::fromLatin1(previewCaptionLinelist));
    refresh();
}

// The bounds the window takes when the user un-maximises it: its outer frame
// at (200, 104), 544 × 375 with frame and title bar. The frame is known once
// a window of ours has been framed (the main menu is shown before this one).
void TForm5::setRestoredBounds() {
    move(200, 104);
    resize(QSize(544, 375).shrunkBy(windowFrameMargins()));
}

void TForm5::endRegeneration() {
    setWindowTitle(QString::fromLatin1(previewCaption));
    refresh();
}

void TForm5::refresh() {
    Image1->update();
}

void TForm5::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TForm5::FormClose(QCloseEvent* event) {
    if (!closeRequested) {
        event->accept();
        return;
    }
    bool closing = false;
    // A failure in the panel's close question (a save that cannot write) abandons
    // the close after it has been reported.
    guarded([&] { closing = closeRequested(); });
    if (closing)
        event->accept();
    else
        event->ignore();
}

} // namespace torvex
