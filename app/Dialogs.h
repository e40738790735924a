#pragma once

#include <QString>

class QWidget;

namespace lumetra::app {

// The window's two modal boxes, titled "Lumetra".

// The error report of a failed handler.
void showErrorReport(QWidget* parent, const QString& message);
// The Yes/No question, Ano the default and Escape for Ne: vbYes or vbNo.
int askYesNo(QWidget* parent, const QString& prompt);

} // namespace lumetra::app
