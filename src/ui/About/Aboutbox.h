// The about box: product picture, name, release, languages, and one button back to work.
#pragma once

#include <QDialog>

namespace korvo::ui {

class TAboutbox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutbox(QWidget* parent = nullptr);
    // Escape and the close box leave like the button: with the result OK.
    void reject() override { QDialog::accept(); }
};

} // namespace korvo::ui
