#include "tests/support/scripted_desktop.h"

#include <gtest/gtest.h>
#include <utility>

namespace torvex {

void ScriptedDesktop::messageDialog(MessageType type, const QString& text) {
    shown.push_back({.kind = Kind::MessageDialog, .type = type, .text = text});
}

BoxAnswer ScriptedDesktop::messageBox(QWidget* owner, const QString& text, const QString& caption,
                                      BoxButtons buttons) {
    shown.push_back({.kind = Kind::MessageBox,
                     .text = text,
                     .caption = caption,
                     .buttons = buttons,
                     .owner = owner});
    if (const auto hook = std::exchange(whileBoxOpen, nullptr))
        hook();
    if (boxAnswers.empty())
        return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    const BoxAnswer answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

void ScriptedDesktop::errorReport(const QString& text) {
    shown.push_back({.kind = Kind::ErrorReport, .type = MessageType::Error, .text = text});
    if (onErrorReport)
        onErrorReport();
}

std::optional<QString> ScriptedDesktop::fileDialog(QWidget* owner, FileDialogKind kind,
                                                   const QString& initialName) {
    shown.push_back(
        {.kind = Kind::FileDialog, .fileKind = kind, .initialName = initialName, .owner = owner});
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "a file dialog ran without a scripted answer";
        return std::nullopt;
    }
    const std::optional<QString> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

void ScriptedDesktop::mailLink(QWidget* owner, const QString& url) {
    shown.push_back({.kind = Kind::MailLink, .text = url, .owner = owner});
}

std::vector<ScriptedDesktop::Shown> ScriptedDesktop::of(Kind kind) const {
    std::vector<Shown> result;
    for (const Shown& entry : shown)
        if (entry.kind == kind)
            result.push_back(entry);
    return result;
}

std::vector<QString> ScriptedDesktop::errorReports() const {
    std::vector<QString> result;
    for (const Shown& entry : of(Kind::ErrorReport))
        result.push_back(entry.text);
    return result;
}

} // namespace torvex
