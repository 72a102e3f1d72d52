#include "gui/dialogs/filenamecompleter.h"

#include <QAbstractFileIconProvider>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>

namespace {

// Icons and types without opening a file: the default provider asks the
// MIME database, which reads the first bytes of every file listed.
class CNameOnlyIconProvider : public QAbstractFileIconProvider
{
public:
    QIcon icon(IconType) const override { return {}; }
    QIcon icon(const QFileInfo&) const override { return {}; }
    QString type(const QFileInfo& info) const override { return CFileNameCompleter::TypeOf(info); }
};

} // namespace

QString CFileNameCompleter::TypeOf(const QFileInfo& info)
{
    if (info.isDir())
        return QStringLiteral("Folder");
    if (info.isFile())
        return QStringLiteral("File");
    return QStringLiteral("Other");
}

void CFileNameCompleter::Install(QLineEdit* edit)
{
    auto* model = new QFileSystemModel(edit);
    auto* provider = new CNameOnlyIconProvider;
    model->setIconProvider(provider);
    // The model keeps a pointer only: the provider lives as long as it.
    QObject::connect(model, &QObject::destroyed, [provider] { delete provider; });
    model->setOptions(QFileSystemModel::DontWatchForChanges |
                      QFileSystemModel::DontUseCustomDirectoryIcons);
    model->setRootPath(QDir::homePath());
    // The edit deletes a completer of its own that this replaces.
    edit->setCompleter(new QCompleter(model, edit));
}

int CFileNameCompleter::InstallInFileFields(QObject* dialog)
{
    int replaced = 0;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        const QCompleter* completer = edit->completer();
        if (completer && qobject_cast<QFileSystemModel*>(completer->model())) {
            Install(edit);
            ++replaced;
        }
    }
    return replaced;
}
