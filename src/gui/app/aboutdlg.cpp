#include "gui/app/aboutdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "presentation/containerlibraries.h"
#include "presentation/pdfdocument.h"
#include "presentation/sofficeconverter.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIconBitmap = 128;

} // namespace

QStringList CAboutDlg::LibraryLines()
{
    const QString office = CSofficeConverter::IsAvailable()
                               ? QStringLiteral("LibreOffice: found")
                               : QStringLiteral("LibreOffice: not found (slides of "
                                                "presentations cannot be taken)");
    return {
        QStringLiteral("Qt %1").arg(QLatin1String(qVersion())),
        QStringLiteral("poppler %1").arg(QString::fromStdString(CPdfDocument::LibraryVersion())),
        QStringLiteral("libgsf %1").arg(QString::fromStdString(CContainerLibraries::GsfVersion())),
        office};
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const QString title = QString::fromStdString(CResourceBundle::Text(MsgId::AppTitle));
    setWindowTitle(QStringLiteral("About %1").arg(title));
    setAccessibleName(windowTitle());
    setObjectName(QStringLiteral("aboutBox"));

    auto* icon = new QLabel(this);
    const QImage picture = CResourceBundle::Bitmap(kIconBitmap);
    if (!picture.isNull())
        icon->setPixmap(QPixmap::fromImage(
            picture.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    icon->setAccessibleName(QStringLiteral("Program icon"));

    auto* name = new QLabel(QStringLiteral("<b style='font-size:14pt'>%1</b><br>Version %2")
                                .arg(title.toHtmlEscaped(), QLatin1String(ZELM_VERSION)),
                            this);
    name->setAccessibleName(QStringLiteral("Program name and version"));
    auto* libraries = new QLabel(LibraryLines().join(QLatin1Char('\n')), this);
    libraries->setObjectName(QStringLiteral("libraries"));
    libraries->setAccessibleName(QStringLiteral("Library versions"));
    libraries->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addSpacing(8);
    text->addWidget(libraries);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->setSpacing(16);
    setMinimumWidth(420);
    layout->addLayout(top);
    layout->addWidget(buttons);
}
