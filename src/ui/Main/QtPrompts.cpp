#include "Main/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace korvo::ui {

void TQtPrompts::ShowMessage(const std::string& text) {
    QMessageBox::information(FParent, QApplication::applicationName(), QString::fromStdString(text),
                             QMessageBox::Ok);
}

TSaveAnswer TQtPrompts::AskSave(const std::string& question) {
    const auto answer =
        QMessageBox::question(FParent, QApplication::applicationName(), QString::fromStdString(question),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return TSaveAnswer::Yes;
    if (answer == QMessageBox::No)
        return TSaveAnswer::No;
    return TSaveAnswer::Cancel;
}

QString TQtPrompts::QtFilter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter ? filter : "").split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return out.join(QStringLiteral(";;"));
}

std::optional<std::string> TQtPrompts::ChooseFile(const TFileDialogDesc& dialog,
                                                  const std::string& initialName) {
    QFileDialog fd(FParent, QString::fromUtf8(dialog.Title));
    fd.setNameFilter(QtFilter(dialog.Filter));
    QString ext = QString::fromUtf8(dialog.DefaultExt);
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    fd.setDefaultSuffix(ext);
    if (dialog.Save) {
        fd.setAcceptMode(QFileDialog::AcceptSave);
        fd.setFileMode(QFileDialog::AnyFile);
    } else {
        fd.setAcceptMode(QFileDialog::AcceptOpen);
        fd.setFileMode(QFileDialog::ExistingFile);
    }
    if (!initialName.empty()) {
        const QFileInfo fi(QString::fromStdString(initialName));
        if (fi.isAbsolute())
            fd.setDirectory(fi.absolutePath());
        fd.selectFile(fi.fileName());
    }
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty())
        return std::nullopt;
    return fd.selectedFiles().first().toStdString();
}

} // namespace korvo::ui
