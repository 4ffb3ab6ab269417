// The program's message boxes: questions with "Da" and "Ne" (Qt ships no Serbian texts), the
// fact in the text and the question in the title, "Ne" the default wherever Yes destroys or
// starts something long.
#pragma once

#include <QString>

class QWidget;

namespace kivo::app {

enum class BoxIcon { Question, Warning };

// True only for "Da".
bool AskYesNo(QWidget* parent, const QString& title, const QString& text, BoxIcon icon = BoxIcon::Question);
// A plain message with one button and the program's title.
void Inform(QWidget* parent, const QString& text);

}  // namespace kivo::app
