#include "gui/dialogs/addslidesdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kFolderKey = QStringLiteral("Settings/AddSlidesFolder");

QString text(int id, const QString& insert = {})
{
    return QString::fromStdString(CResourceBundle::Format(id, insert.toStdString()));
}

QString patterns(const std::vector<std::string>& extensions)
{
    QStringList out;
    for (const std::string& extension : extensions) {
        const QString e = QString::fromStdString(extension);
        out << QLatin1Char('*') + e.toLower() << QLatin1Char('*') + e.toUpper();
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

QStringList CAddSlidesDlg::NameFilters()
{
    const std::vector<std::string>& pictures = CSlideSourceTypes::PictureExtensions();
    std::vector<std::string> presentations, pdf;
    // A bare extension names no file: the kind is asked of a name with it.
    for (const std::string& extension : CSlideSourceTypes::PresentationExtensions())
        (CSlideSourceTypes::KindOf("x" + extension) == CSlideSourceTypes::Pdf ? pdf : presentations)
            .push_back(extension);
    std::vector<std::string> all = pictures;
    all.insert(all.end(), CSlideSourceTypes::PresentationExtensions().begin(),
               CSlideSourceTypes::PresentationExtensions().end());
    QStringList filters{text(MsgId::AddFilterSlideSources, patterns(all)),
                        text(MsgId::AddFilterPictures, patterns(pictures)),
                        text(MsgId::AddFilterPresentations, patterns(presentations))};
    if (!pdf.empty())
        filters << text(MsgId::AddFilterPdf, patterns(pdf));
    filters << text(MsgId::AddFilterAllFiles);
    return filters;
}

QString CAddSlidesDlg::StartFolder()
{
    const QString last = QSettings().value(kFolderKey).toString();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

CAddSlidesDlg::CAddSlidesDlg(QWidget* parent)
    : QFileDialog(parent, text(MsgId::AddSlidesTitle), StartFolder())
{
    setObjectName(QStringLiteral("addSlidesDialog"));
    setAccessibleName(windowTitle());
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setOption(QFileDialog::ReadOnly, true);
    setNameFilters(NameFilters());
}

void CAddSlidesDlg::accept()
{
    QFileDialog::accept();
    if (result() == QDialog::Accepted)
        QSettings().setValue(kFolderKey, directory().absolutePath());
}
