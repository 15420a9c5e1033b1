#include "windows/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace windows
{
namespace
{

QString caption()
{
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QApplication::applicationName() : name;
}

class QtDialogs final : public Dialogs
{
public:
    void information(QWidget* parent, const QString& text) override
    {
        QMessageBox::information(parent, caption(), text, QMessageBox::Ok);
    }

    void warning(QWidget* parent, const QString& text, bool withCancel) override
    {
        QMessageBox::warning(parent, caption(), text,
                             withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    }

    void error(QWidget* parent, const QString& text) override
    {
        QMessageBox::critical(parent, caption(), text, QMessageBox::Ok);
    }

    bool confirm(QWidget* parent, const QString& text, const QString& title, Icon icon) override
    {
        const auto buttons = QMessageBox::Yes | QMessageBox::No;
        const auto answer =
            icon == Icon::Warning
                ? QMessageBox::warning(parent, title, text, buttons, QMessageBox::Yes)
                : QMessageBox::question(parent, title, text, buttons, QMessageBox::Yes);
        return answer == QMessageBox::Yes;
    }

    QString saveFileName(QWidget* parent, const SaveOptions& options) override
    {
        QFileDialog dialog(parent, options.title, options.directory, options.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(options.defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }
};

QtDialogs qtDialogs;
Dialogs* current = nullptr;

} // namespace

Dialogs& dialogs()
{
    return current != nullptr ? *current : qtDialogs;
}

void setDialogs(Dialogs* replacement)
{
    current = replacement;
}

} // namespace windows
