// korvo: the IDE's main routine. Title, error log, window system, splash, the windows of the
// start sequence and the command line, the event loop, and the log closed at the end.
#include "KorvoStart.h"
#include "Main/MainForm.h"
#include "Main/ProjectManager.h"
#include "errorlog/errorlog.h"
#include "startscr/Splash.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QString::fromLatin1(korvo::APPLICATION_TITLE));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    const std::string logNotice = korvo::InitErrorLog(args);

    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KORVO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("korvo"));
    // Every size the program was built with (src/ui/CMakeLists.txt); Qt picks one per use.
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString& name : icons.entryList(QDir::Files))
        icon.addFile(icons.filePath(name));
    QApplication::setWindowIcon(icon);

    auto* splash = new korvo::ui::TSplash;
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    QStringList qargs = QApplication::arguments();
    qargs.removeFirst();
    std::unique_ptr<korvo::ui::TMainForm> mainForm = korvo::ui::CreateMainWindows(qargs);
    if (!logNotice.empty())
        mainForm->Prompts().ShowMessage(logNotice);

    splash->close();
    mainForm->show();
    const int rc = QApplication::exec();
    mainForm.reset();
    korvo::CloseErrorLog();
    return rc;
}
