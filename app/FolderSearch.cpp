#include "app/FolderSearch.h"

#include "settings/mdlFichier.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FolderId {
    dev_t device;
    ino_t inode;
    bool operator==(const FolderId&) const = default;
};

size_t qHash(const FolderId& id, size_t seed = 0)
{
    return qHashMulti(seed, quint64(id.device), quint64(id.inode));
}

bool decodeName(const char* bytes, QString& name)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    name = utf8.decode(QByteArrayView(bytes));
    return !utf8.hasError();
}

qint64 milliseconds(const struct timespec& t)
{
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

class TreeSearch {
public:
    TreeSearch(const QString& pattern, QList<FileEntry>& rows)
        : m_pattern(pattern)
        , m_rows(rows)
    {}

    void search(const QString& folder)
    {
        const int fd =
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat self {};
        if (::fstat(fd, &self) != 0 || m_visited.contains({self.st_dev, self.st_ino})) {
            ::close(fd);
            return;
        }
        m_visited.insert({self.st_dev, self.st_ino});
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            ::close(fd);
            return;
        }

        std::vector<QString> subfolders;
        std::vector<std::pair<QString, struct stat>> files;
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            QString name;
            if (!decodeName(entry->d_name, name))
                continue;
            const bool maybeFile =
                entry->d_type == DT_REG || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
            if (entry->d_type == DT_DIR) {
                subfolders.push_back(name);
                continue;
            }
            if (!maybeFile)
                continue; // devices, pipes and sockets are no music
            const bool wanted = m_pattern.matches(name);
            if (!wanted && entry->d_type == DT_REG)
                continue;
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0)
                continue; // vanished, or a broken link
            if (S_ISDIR(st.st_mode))
                subfolders.push_back(name);
            else if (S_ISREG(st.st_mode) && wanted)
                files.emplace_back(name, st);
        }
        ::closedir(dir);

        const auto byName = [](const QString& a, const QString& b) {
            const int c = a.compare(b, Qt::CaseInsensitive);
            return c != 0 ? c < 0 : a < b;
        };
        std::sort(files.begin(), files.end(),
                  [&](const auto& a, const auto& b) { return byName(a.first, b.first); });
        std::sort(subfolders.begin(), subfolders.end(), byName);

        for (const auto& [name, st] : files) {
            FileEntry row;
            row.name = name;
            row.folder = folder; // shared by every row of the folder
            row.size = st.st_size;
            row.modifiedMs = milliseconds(st.st_mtim);
            row.type = FileTypeName(name);
            m_rows.append(std::move(row));
        }
        for (const QString& sub : subfolders)
            search(folder + sub + QLatin1Char('/'));
    }

private:
    WildcardPattern m_pattern;
    QList<FileEntry>& m_rows;
    QSet<FolderId> m_visited;
};

} // namespace

void FindFilesAPI(QString& Path, const QString& SearchStr, QList<FileEntry>& rows)
{
    if (!Path.endsWith(QLatin1Char('/')))
        Path += QLatin1Char('/');
    TreeSearch(SearchStr, rows).search(Path);
}
