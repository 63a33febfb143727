#pragma once

#include <QList>
#include <QString>

namespace data {

enum class DlgType { Warning, Error, Information, Confirmation };
enum class DlgButton { Yes, No, OK, Cancel };

// Every message box of the program goes through this one interface, so that
// the windows show real boxes and tests and the command line record the texts.
class Messages {
public:
    virtual ~Messages() = default;
    // An information box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // A box of the given type; returns the button pressed.
    virtual DlgButton messageDlg(const QString& text, DlgType type, const QList<DlgButton>& buttons) = 0;
    // The standard error box for an error raised by the table store.
    virtual void showError(const QString& text) = 0;
};

}  // namespace data
