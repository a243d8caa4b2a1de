#include "app/Program.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quenzal"));
    QApplication::setOrganizationName(QStringLiteral("Orvanel"));

    Program program(QCoreApplication::applicationDirPath());
    program.mainWindow()->show();
    return QApplication::exec();
}
