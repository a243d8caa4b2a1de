#include "settings/ApplyFont.h"

#include "app/Program.h"
#include "app/frmDossier.h"
#include "app/frmMain.h"

#include <QWidget>

namespace {

const char* const kMainControls[] = {"lstMain", "stbMain"};
const char* const kFolderControls[] = {"frmDos", "frmExt", "txtChemin", "cmbExtension"};

template <size_t N>
void setFaces(QWidget* window, const char* const (&names)[N], const QString& face)
{
    for (const char* name : names) {
        if (auto* control = window->findChild<QWidget*>(QLatin1String(name))) {
            QFont font = control->font();
            font.setFamily(face);
            control->setFont(font);
        }
    }
}

} // namespace

void ApplyFontToWindow(QWidget* window, const QString& face)
{
    if (face.isEmpty())
        return;
    if (window->objectName() == QLatin1String("frmMain"))
        setFaces(window, kMainControls, face);
    else if (window->objectName() == QLatin1String("frmDossier"))
        setFaces(window, kFolderControls, face);
}

void ApplyFontFace(Program& program, const QString& face)
{
    if (face.isEmpty())
        return;
    ApplyFontToWindow(program.mainWindow(), face);
    ApplyFontToWindow(program.folderWindow(), face);
}
