// Torvex Designer - the calculator view: a scene walked through as the TI-83
// or a TI-83 Plus family calculator shows it, running the real engine program in the emulated
// calculator, and rebuilt whenever its file changes on disk.
#pragma once

#include "cli/calculator_session.h"
#include "cli/scene_exchange.h"
#include "files/file_io.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTimer;

namespace torvex::cli {

// The 96 x 64 display, scaled by the largest whole factor that fits, square
// pixels, no smoothing.
class CalculatorDisplay : public QWidget {
public:
    explicit CalculatorDisplay(QWidget* parent = nullptr);
    void setPixels(const std::array<uint8_t, 768>& pixels);
    const std::array<uint8_t, 768>& pixels() const { return pixels_; }
    int scale() const;
    QSize sizeHint() const override { return {96 * 4, 64 * 4}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<uint8_t, 768> pixels_{};
};

// One on-screen calculator key: its label, its _getkey code, the PC key that
// presses it too, and what the engine does with it.
struct CalculatorKey {
    const char* name; // objectName and label source, e.g. "MODE"
    QString label;    // as printed on the calculator
    uint8_t code;     // what _getkey returns
    int hostKey;      // Qt::Key on the PC keyboard
    QString hostKeyName;
    QString action;
};
const std::vector<CalculatorKey>& calculatorKeys();

class CalculatorView : public QWidget {
    Q_OBJECT
public:
    // `model` is the calculator a line list or a source is built for (TI-83
    // when not given); a program file is shown on its own family.
    explicit CalculatorView(std::filesystem::path file,
                            std::optional<z80::Model> model = std::nullopt,
                            QWidget* parent = nullptr);
    // A name from a dialog or a test, as the system spells it.
    explicit CalculatorView(const QString& file, std::optional<z80::Model> model = std::nullopt,
                            QWidget* parent = nullptr)
        : CalculatorView(std::filesystem::path(QFile::encodeName(file).toStdString()), model,
                         parent) {}
    ~CalculatorView() override;

    // Presses a calculator key (as its on-screen button does).
    void pressKey(uint8_t code);
    // Starts the program again after MODE ended it, keeping nothing.
    void restart();
    // Rebuilds from the file and restarts with the camera where it was; on
    // failure the error is shown and the last good picture stays.
    void reload();

    // Records every frame the view shows from now on (the one on screen
    // first) into a GIF, across rebuilds and restarts.
    void startRecording(RecordOptions options);
    // Ends the recording and writes the GIF; says what it wrote. Throws
    // OutputError.
    std::string finishRecording();

    const CalculatorSession* session() const { return session_.get(); }
    CalculatorDisplay* display() const { return display_; }
    QString statusText() const;
    QString errorText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void lookAtThePath();
    void showState();
    void keepDisplayScale();
    void recordFrom(CalculatorSession& session);

    std::filesystem::path file_;
    std::unique_ptr<CalculatorSession> session_;
    QStringList warnings_; // of the last program built: the assembler's, the scene's size
    CalculatorDisplay* display_;
    QLabel* status_;
    QLabel* error_;
    QLabel* ended_;
    QPushButton* restart_;
    std::vector<std::pair<FileName, system::FileStatus>> seen_; // the path, as last looked at
    QTimer* reloadDelay_;
    int shownScale_ = 0; // the display's, as the window's size last set it
    std::vector<uint8_t> code_;
    std::vector<std::filesystem::path> filesRead_; // by the last build: no recording replaces them
    size_t engineBytes_ = 0;
    std::optional<z80::Model> requestedModel_;
    z80::Model model_ = z80::Model::Ti83; // of the program shown
    std::unique_ptr<WalkRecorder> recorder_;
};

// The status line's text for a camera, a frame and the warnings about the
// program shown.
QString statusLine(const CameraState& camera, const FrameCost& frame, const QStringList& warnings,
                   z80::Model model = z80::Model::Ti83);

} // namespace torvex::cli
