#include "cli/calculator_session.h"

#include <algorithm>

namespace torvex::cli {

CalculatorSession::CalculatorSession(std::vector<uint8_t> code, std::vector<uint8_t> keys,
                                     size_t engineBytes, z80::Model model)
    : code_(std::move(code)), engineBytes_(engineBytes),
      calculator_(std::make_unique<z80::Ti83>(model)) {
    listenToFrames();
    calculator_->loadProgram(code_);
    calculator_->start();
    runToKeyWait();
    for (uint8_t key : keys)
        if (key != z80::key::Mode && !ended_)
            press(key);
}

CalculatorSession::CalculatorSession(std::vector<uint8_t> code, size_t engineBytes,
                                     const CalculatorSession& earlier, z80::Model model)
    : code_(std::move(code)), engineBytes_(engineBytes),
      calculator_(std::make_unique<z80::Ti83>(model)) {
    const bool sameEngine =
        engineBytes > 0 && earlier.calculator_->model().model == model &&
        engineBytes == earlier.engineBytes_ && engineBytes <= code_.size() &&
        engineBytes <= earlier.code_.size() &&
        std::equal(code_.begin(), code_.begin() + engineBytes, earlier.code_.begin());
    listenToFrames();
    calculator_->loadProgram(code_);
    if (!sameEngine || earlier.ended_) {
        calculator_->start();
        runToKeyWait();
        if (!earlier.ended_)
            for (uint8_t key : earlier.history_)
                if (!ended_)
                    press(key);
        return;
    }
    calculator_->continueFrom(*earlier.calculator_);
    history_ = earlier.history_;
    // A key the engine does nothing with but draw the frame again.
    calculator_->pressKey(z80::key::Enter);
    runToKeyWait();
}

void CalculatorSession::listenToFrames() {
    // A program that draws on and on without reading a key is stopped after
    // 100 seconds of the calculator's time, so the view never waits long.
    calculator_->setKeylessLimit(600'000'000);
    // A session may run for hours: only the last frame is kept.
    calculator_->setFrameListener([this](const z80::Frame& frame) {
        lastFrame_ = frame;
        if (sink_)
            sink_(frame);
    });
}

FrameCost CalculatorSession::lastFrameCost() const {
    if (!lastFrame_)
        return {};
    return {lastFrame_->tstates, lastFrame_->romTstates};
}

void CalculatorSession::runToKeyWait() {
    const z80::RunResult result = calculator_->runUntilKeyWanted();
    if (result.reason == z80::StopReason::KeyWanted)
        return;
    ended_ = true;
    returned_ = result.reason == z80::StopReason::Returned;
    stopMessage_ = result.message;
}

void CalculatorSession::press(uint8_t key) {
    if (ended_)
        return;
    if (key != z80::key::Mode)
        history_.push_back(key);
    calculator_->pressKey(key);
    runToKeyWait();
}

const std::array<uint8_t, 768>& CalculatorSession::display() const {
    return calculator_->lcd();
}

CameraState CalculatorSession::camera() const {
    // The variable at a TI-83 address, where the model keeps it.
    const auto byte = [this](uint16_t ti83Address) {
        const uint16_t ti83Ram = z80::calculatorModel(z80::Model::Ti83).programRam.first;
        return calculator_->peek(
            static_cast<uint16_t>(ti83Address - ti83Ram + calculator_->model().programRam.first));
    };
    const auto signedByte = [&](uint16_t address) {
        return static_cast<int>(static_cast<int8_t>(byte(address)));
    };
    return {signedByte(kCarX), signedByte(kCarY), signedByte(kCarZ),
            static_cast<int>(byte(kCamHeading))};
}

double framesPerSecond(uint64_t tstatesPerFrame) {
    return tstatesPerFrame == 0 ? 0.0 : kCalculatorHz / static_cast<double>(tstatesPerFrame);
}

} // namespace torvex::cli
