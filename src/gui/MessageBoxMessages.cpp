#include "gui/MessageBoxMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace quorvane {

namespace {
std::deque<MessageAnswer> g_nextAnswers;
std::deque<MessageBoxMessages::Answered> g_answered;
}  // namespace

void MessageBoxMessages::SetNextAnswers(std::deque<MessageAnswer> answers) {
    g_nextAnswers = std::move(answers);
}
const std::deque<MessageBoxMessages::Answered>& MessageBoxMessages::AnsweredBoxes() {
    return g_answered;
}
void MessageBoxMessages::ClearAnswered() {
    g_answered.clear();
}

MessageAnswer MessageBoxMessages::Show(const std::string& text, const std::string& title,
                                       MessageButtons buttons, MessageIcon icon) {
    if (!g_nextAnswers.empty()) {
        g_answered.push_back({text, title, buttons, icon});
        const MessageAnswer answer = g_nextAnswers.front();
        g_nextAnswers.pop_front();
        return answer;
    }
    QMessageBox box;
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(QString::fromStdString(title));
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::RetryCancel:
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Retry:
            return MessageAnswer::Retry;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

void MessageBoxMessages::Beep(int /*soundType*/) {
    QApplication::beep();
}

}  // namespace quorvane
