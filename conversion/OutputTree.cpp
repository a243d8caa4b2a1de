#include "conversion/OutputTree.h"

namespace {

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QString DeepestCommonFolder(const QStringList& sourcePaths)
{
    if (sourcePaths.isEmpty())
        return QStringLiteral("/");
    QString common = folderOf(sourcePaths.first());
    for (const QString& path : sourcePaths) {
        const QString folder = folderOf(path);
        while (!folder.startsWith(common)) {
            // Drop the last component: "/a/b/" becomes "/a/".
            common.chop(1);
            common = common.left(common.lastIndexOf(QLatin1Char('/')) + 1);
        }
    }
    return common.isEmpty() ? QStringLiteral("/") : common;
}

QString TreeOutputFolder(const QString& outputFolder, const QString& commonFolder,
                         const QString& sourcePath)
{
    const QString folder = folderOf(sourcePath);
    if (!folder.startsWith(commonFolder))
        return outputFolder;
    return outputFolder + folder.mid(commonFolder.size());
}
