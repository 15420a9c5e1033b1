#pragma once

// Every message box and file dialog of the windows goes through this seam, so
// that tests can answer them and read what the user would have been told.

#include <QString>

class QWidget;

namespace windows
{

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    virtual void information(QWidget* parent, const QString& text) = 0;
    // With `withCancel` the box offers OK and Cancel; either only closes it.
    virtual void warning(QWidget* parent, const QString& text, bool withCancel = false) = 0;
    virtual void error(QWidget* parent, const QString& text) = 0;

    enum class Icon { Question, Warning };

    // Yes/No question, Yes being the default button; true on Yes.
    virtual bool confirm(QWidget* parent, const QString& text,
                         const QString& title = QStringLiteral("Confirm"),
                         Icon icon = Icon::Question) = 0;

    struct SaveOptions {
        QString title;
        QString directory;
        QString filter; // Qt form: "Text Files (*.txt);;All Files (*.*)"
        QString defaultSuffix;
        bool confirmOverwrite = true;
    };
    // The chosen file name, or an empty string when the user cancels.
    virtual QString saveFileName(QWidget* parent, const SaveOptions& options) = 0;
};

// The dialogs in force: the Qt ones unless a test installed its own.
Dialogs& dialogs();

// Installs `replacement` (not owned); nullptr restores the Qt dialogs.
void setDialogs(Dialogs* replacement);

} // namespace windows
