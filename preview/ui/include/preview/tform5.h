#pragma once

#include "preview/canvas.h"

#include <QWidget>

#include <functional>

class QScrollArea;

namespace torvex {

// The picture of the preview window: shows the canvas buffer as it is, at a fixed
// 1280 × 1024, whatever the size of the window around it.
class CanvasImage : public QWidget {
public:
    CanvasImage(const Canvas& canvas, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_; // wraps the canvas buffer, never a copy
};

// The preview window: a maximised, sizeable window whose only control is the image
// `Image1`, fixed at the top-left of the client area, with scroll bars when the window
// is smaller than the picture. It is a passive drawing surface; the designer panel
// draws on canvas() and runs the regeneration through beginRegeneration and
// endRegeneration, with the list lines drawn in between.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    Canvas& canvas() { return canvas_; }

    // The regeneration up to the line list: shows the window maximised when it is
    // hidden, starts a new white picture, draws the grid, the origin mark and the axis
    // letters under the caption "... Grid", and leaves the caption at "... Linelist"
    // for the lines that follow.
    void beginRegeneration(int panelHeight);
    // Puts the caption back once every line is drawn. A regeneration stopped by a
    // failing entry never gets here and keeps the "... Linelist" caption.
    void endRegeneration();

    // Repaints the picture on screen from the canvas at the next event processing.
    void refresh();

    // Asked when the user closes the window: the designer panel runs its close question
    // there and returns false to abandon the close. Without it the window just hides.
    std::function<bool()> closeRequested;

    QScrollArea* scrollArea = nullptr;
    CanvasImage* Image1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose(QCloseEvent* event);
    void setRestoredBounds();

    Canvas canvas_;
    bool shownBefore_ = false;
};

// The captions of the preview window.
inline constexpr const char* previewCaption = "Torvex Scenery Designer";
inline constexpr const char* previewCaptionGrid = "Torvex Scenery Designer - Regenerating... Grid";
inline constexpr const char* previewCaptionLinelist =
    "Torvex Scenery Designer - Regenerating... Linelist";

} // namespace torvex
