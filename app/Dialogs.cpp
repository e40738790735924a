#include "Dialogs.h"

#include "Canvas.h"

#include <QMessageBox>
#include <QPushButton>

namespace lumetra::app {

void showErrorReport(QWidget* parent, const QString& message)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("errorReport"));
    box.setWindowTitle(QStringLiteral("Lumetra"));
    box.setIcon(QMessageBox::Critical);
    box.setText(QStringLiteral("Akci nelze dokončit."));
    box.setInformativeText(message);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

int askYesNo(QWidget* parent, const QString& prompt)
{
    QMessageBox question(parent);
    question.setWindowTitle(QStringLiteral("Lumetra"));
    question.setText(prompt);
    question.setIcon(QMessageBox::NoIcon);
    QPushButton* yes = question.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
    QPushButton* no = question.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("Ano"));
    no->setObjectName(QStringLiteral("Ne"));
    question.setDefaultButton(yes);
    question.setEscapeButton(no);
    question.exec();
    return question.clickedButton() == yes ? vbYes : vbNo;
}

} // namespace lumetra::app
