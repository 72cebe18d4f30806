#include "cli/calculator_view.h"
#include "cli/output.h"

#include "cli/program_input.h"
#include "cli/scene_program.h"
#include "codegen/engine_template.h"
#include "files/file_io.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <iostream>

namespace torvex::cli {

namespace {

// The LCD's colours: dark pixels on the grey-green glass.
const QColor kPixelOn(0x1E, 0x23, 0x1C);
const QColor kPixelOff(0xA7, 0xB4, 0x96);

// A rebuild waits this long after the last change, so that a save in
// several writes is read once, whole (the designer's own save replaces the
// file in one step).
constexpr int kReloadDelayMs = 20;
constexpr int kLookAtThePathMs = 200;

// Every name on the way from the path through its links, and what each is
// now: the view follows the path, not the file it first led to.
std::vector<std::pair<FileName, system::FileStatus>> pathState(const FileName& file) {
    std::vector<std::pair<FileName, system::FileStatus>> state;
    for (const FileName& name : namesAlongLinks(file)) {
        system::FileStatus status;
        system::status(name, status, false);
        state.emplace_back(name, status);
    }
    return state;
}

// What the status line warns about a program: the assembler's warnings and a
// scene larger than the engine draws (for a list, among its warnings at the
// first segment left out).
QStringList programWarnings(const SceneProgram& scene) {
    QStringList warnings;
    for (const z80::Diagnostic& warning : scene.program.warnings())
        warnings << QString::fromStdString(warning.text());
    if (const std::string tooLarge = segmentLimitWarning(scene.segments.value_or(0));
        !tooLarge.empty() && scene.kind != SceneFileKind::LineList)
        warnings << QString::fromStdString(tooLarge);
    return warnings;
}

} // namespace

const std::vector<CalculatorKey>& calculatorKeys() {
    static const std::vector<CalculatorKey> keys{
        {"LEFT", QStringLiteral("\u2190"), z80::key::Left, Qt::Key_Left, QStringLiteral("Left"),
         QStringLiteral("turn left")},
        {"RIGHT", QStringLiteral("\u2192"), z80::key::Right, Qt::Key_Right, QStringLiteral("Right"),
         QStringLiteral("turn right")},
        {"UP", QStringLiteral("\u2191"), z80::key::Up, Qt::Key_Up, QStringLiteral("Up"),
         QStringLiteral("move up")},
        {"DOWN", QStringLiteral("\u2193"), z80::key::Down, Qt::Key_Down, QStringLiteral("Down"),
         QStringLiteral("move down")},
        {"MODE", QStringLiteral("MODE"), z80::key::Mode, Qt::Key_Escape, QStringLiteral("Esc"),
         QStringLiteral("leave the program")},
        {"DEL", QStringLiteral("DEL"), z80::key::Del, Qt::Key_Delete, QStringLiteral("Delete"),
         QStringLiteral("one step forward")},
        {"STAT", QStringLiteral("STAT"), z80::key::Stat, Qt::Key_S, QStringLiteral("S"),
         QStringLiteral("one step back")},
        {"VARS", QStringLiteral("VARS"), z80::key::Vars, Qt::Key_V, QStringLiteral("V"),
         QStringLiteral("one step to the left")},
        {"CLEAR", QStringLiteral("CLEAR"), z80::key::Clear, Qt::Key_C, QStringLiteral("C"),
         QStringLiteral("one step to the right")},
    };
    return keys;
}

CalculatorDisplay::CalculatorDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("display"));
    setMinimumSize(96, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void CalculatorDisplay::setPixels(const std::array<uint8_t, 768>& pixels) {
    pixels_ = pixels;
    update();
}

int CalculatorDisplay::scale() const {
    return std::max(1, std::min(width() / 96, height() / 64));
}

void CalculatorDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const int s = scale();
    const QPoint origin((width() - 96 * s) / 2, (height() - 64 * s) / 2);
    painter.fillRect(QRect(origin, QSize(96 * s, 64 * s)), kPixelOff);
    for (int row = 0; row < 64; ++row)
        for (int column = 0; column < 96; ++column)
            if (pixels_[row * 12 + column / 8] & (0x80 >> (column % 8)))
                painter.fillRect(origin.x() + column * s, origin.y() + row * s, s, s, kPixelOn);
}

namespace {

QString modelName(z80::Model model) {
    const std::string_view name = z80::calculatorModel(model).name;
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

QString statusLine(const CameraState& camera, const FrameCost& frame, const QStringList& warnings,
                   z80::Model model) {
    QString text = QStringLiteral("x %1  y %2  z %3  heading %4 (%5\u00B0)")
                       .arg(camera.x)
                       .arg(camera.y)
                       .arg(camera.z)
                       .arg(camera.heading)
                       .arg(camera.heading * 10);
    if (frame.engine > 0)
        text += QStringLiteral("\nengine %L1 T-states + display %L2 (ROM calls, estimated) = "
                               "about %3 frames/s on a 6 MHz %4")
                    .arg(frame.engine)
                    .arg(frame.romCalls)
                    .arg(framesPerSecond(frame.total()), 0, 'f', 1)
                    .arg(modelName(model));
    // A long list of warnings would push the window past the screen: six
    // are shown, or five and how many more there are.
    const qsizetype shown = warnings.size() > 6 ? 5 : warnings.size();
    for (const QString& warning : warnings.mid(0, shown))
        text += QLatin1Char('\n') + warning;
    if (shown < warnings.size())
        text += QStringLiteral("\nand %1 more warnings (torvex build lists them all)")
                    .arg(warnings.size() - shown);
    return text;
}

CalculatorView::CalculatorView(std::filesystem::path file, std::optional<z80::Model> model,
                               QWidget* parent)
    : QWidget(parent), file_(std::move(file)), requestedModel_(model),
      // Until a program runs, the title names the family the file is for: a
      // program file's own, else the one asked for.
      model_(z80::modelFromExtension(lowerExtension(file_))
                 .value_or(model.value_or(z80::Model::Ti83))) {
    setObjectName(QStringLiteral("CalculatorView"));
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QVBoxLayout(this);
    display_ = new CalculatorDisplay(this);
    layout->addWidget(display_, 1);

    auto* keyRow = new QHBoxLayout;
    for (const CalculatorKey& key : calculatorKeys()) {
        auto* button = new QPushButton(key.label, this);
        button->setObjectName(QString::fromLatin1(key.name));
        button->setToolTip(QStringLiteral("%1: %2 (key: %3)")
                               .arg(QString::fromLatin1(key.name), key.action, key.hostKeyName));
        button->setFocusPolicy(Qt::NoFocus);
        // The row shares the display's width, like the calculator's keys.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        const uint8_t code = key.code;
        connect(button, &QPushButton::clicked, this, [this, code] { pressKey(code); });
        keyRow->addWidget(button);
    }
    layout->addLayout(keyRow);

    ended_ = new QLabel(this);
    ended_->setObjectName(QStringLiteral("ended"));
    ended_->setWordWrap(true); // a stop message may be long; the window keeps its width
    restart_ = new QPushButton(QStringLiteral("Start again"), this);
    restart_->setObjectName(QStringLiteral("restart"));
    restart_->setFocusPolicy(Qt::NoFocus);
    connect(restart_, &QPushButton::clicked, this, &CalculatorView::restart);
    auto* endedRow = new QHBoxLayout;
    endedRow->addWidget(ended_, 1);
    endedRow->addWidget(restart_);
    layout->addLayout(endedRow);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setWordWrap(true);
    layout->addWidget(status_);
    error_ = new QLabel(this);
    error_->setObjectName(QStringLiteral("error"));
    error_->setWordWrap(true);
    error_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette errorPalette = error_->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(0xB0, 0, 0));
    error_->setPalette(errorPalette);
    layout->addWidget(error_);

    reloadDelay_ = new QTimer(this);
    reloadDelay_->setSingleShot(true);
    reloadDelay_->setInterval(kReloadDelayMs);
    connect(reloadDelay_, &QTimer::timeout, this, &CalculatorView::reload);
    seen_ = pathState(file_);
    auto* look = new QTimer(this);
    connect(look, &QTimer::timeout, this, &CalculatorView::lookAtThePath);
    look->start(kLookAtThePathMs);

    reload();
    // Tall enough for the display at four times its size with the rows the
    // first build shows, errors included.
    const int width = 96 * 4 + 40;
    resize(width, std::max(heightForWidth(width), sizeHint().height()));
}

CalculatorView::~CalculatorView() = default;

// Looked at a few times a second, by the names as bytes (as the system takes
// them, whatever their encoding): a file deleted and made again, a save that
// replaces it or writes it in place, and a link pointed elsewhere are all seen.
void CalculatorView::lookAtThePath() {
    auto now = pathState(file_);
    if (now == seen_)
        return;
    seen_ = std::move(now);
    reloadDelay_->start();
}

void CalculatorView::reload() {
    try {
        SceneProgram scene = loadSceneProgram(file_, requestedModel_);
        checkRunnable(scene.program, file_);
        const size_t engineBytes = scene.engineBytes.value_or(0);
        const z80::Model model = scene.program.model;
        auto rebuilt = session_ ? std::make_unique<CalculatorSession>(scene.program.code,
                                                                      engineBytes, *session_, model)
                                : std::make_unique<CalculatorSession>(scene.program.code,
                                                                      std::vector<uint8_t>{},
                                                                      engineBytes, model);
        engineBytes_ = engineBytes;
        model_ = model;
        filesRead_ = filesRead(file_, scene.program);
        code_ = std::move(scene.program.code);
        printWarnings(std::cerr, scene.program.warnings()); // as torvex build gives them
        warnings_ = programWarnings(scene);
        session_ = std::move(rebuilt);
        recordFrom(*session_);
        error_->clear();
    } catch (const std::bad_alloc&) {
        error_->setText(QStringLiteral("Not enough memory to build and run %1")
                            .arg(QString::fromStdString(shownName(file_))));
    } catch (const std::exception& failure) {
        error_->setText(QString::fromStdString(failure.what()));
        reportFailure(std::cerr, "view", failure); // the terminal too, as build would
    }
    showState();
}

void CalculatorView::restart() {
    if (code_.empty())
        return;
    session_ =
        std::make_unique<CalculatorSession>(code_, std::vector<uint8_t>{}, engineBytes_, model_);
    recordFrom(*session_);
    showState();
}

void CalculatorView::startRecording(RecordOptions options) {
    recorder_ = std::make_unique<WalkRecorder>(std::move(options));
    if (session_)
        recordFrom(*session_);
}

// A new session's picture is what the view shows at once: it is recorded,
// then every frame the session draws.
void CalculatorView::recordFrom(CalculatorSession& session) {
    if (!recorder_)
        return;
    if (session.lastFrame())
        recorder_->add(*session.lastFrame());
    session.setFrameSink(
        [recorder = recorder_.get()](const z80::Frame& frame) { recorder->add(frame); });
}

std::string CalculatorView::finishRecording() {
    if (!recorder_)
        return {};
    if (session_)
        session_->setFrameSink({});
    const std::unique_ptr<WalkRecorder> recorder = std::move(recorder_);
    return recorder->finish(filesRead_);
}

void CalculatorView::pressKey(uint8_t code) {
    if (!session_ || session_->ended())
        return;
    session_->press(code);
    showState();
}

void CalculatorView::showState() {
    setWindowTitle(
        QStringLiteral("Calculator view - %1 (%2)")
            .arg(QString::fromStdString(shownName(file_.filename())), modelName(model_)));
    if (!session_) {
        status_->setText(QStringLiteral("No program yet."));
        ended_->hide();
        restart_->hide();
        keepDisplayScale();
        return;
    }
    display_->setPixels(session_->display());
    status_->setText(statusLine(session_->camera(), session_->lastFrameCost(), warnings_, model_));
    const bool ended = session_->ended();
    ended_->setVisible(ended);
    restart_->setVisible(ended);
    if (ended)
        ended_->setText(session_->endedWithError()
                            ? QStringLiteral("The program stopped: %1")
                                  .arg(QString::fromStdString(session_->stopMessage()))
                            : QStringLiteral("MODE returned to the calculator."));
    keepDisplayScale();
}

void CalculatorView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    shownScale_ = display_->scale();
}

// A row that appears below the display, or goes, makes the window taller or
// shorter rather than the picture smaller or larger.
void CalculatorView::keepDisplayScale() {
    const int scale = shownScale_;
    if (!isVisible() || scale == 0)
        return;
    layout()->activate();
    if (display_->scale() != scale)
        resize(width(), height() + 64 * scale - display_->height());
}

QString CalculatorView::statusText() const {
    return status_->text();
}
QString CalculatorView::errorText() const {
    return error_->text();
}

void CalculatorView::keyPressEvent(QKeyEvent* event) {
    for (const CalculatorKey& key : calculatorKeys()) {
        if (event->key() == key.hostKey) {
            pressKey(key.code);
            return;
        }
    }
    // T: above the other windows or not (the view covers the designer's
    // boxes while it stays on top, and it outlives the designer).
    if (event->key() == Qt::Key_T && windowHandle()) {
        const bool top = !windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
        windowHandle()->setFlag(Qt::WindowStaysOnTopHint, top);
        if (top)
            raise();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && session_ &&
        session_->ended()) {
        restart();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace torvex::cli
