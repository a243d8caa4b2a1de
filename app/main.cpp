#include "app/Program.h"
#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenzal"));
    QApplication::setOrganizationName(QStringLiteral("Orvanel"));

    Program program(QCoreApplication::applicationDirPath());
    frmMain* main = program.mainWindow();
    main->Form_Load();
    main->show();
    return QApplication::exec();
}
