#include "gui/dialogs/exportvideodlg.h"

#include "gui/dialogs/videoexportjob.h"
#include "show/showsequence.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* spinBox(int low, int high, int step, int value, const QString& name,
                  const QString& suffix = {})
{
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(value);
    box->setAccessibleName(name);
    box->setSuffix(suffix);
    return box;
}

} // namespace

CExportVideoDlg::CExportVideoDlg(const CShowSequence& sequence, const std::string& what,
                                 const std::string& file, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_sequence(sequence), m_what(what), m_prompt(prompt)
{
    setWindowTitle(tr("Export as Video"));
    const CVideoExport::Options defaults;

    m_file = new QLineEdit(QString::fromStdString(file));
    m_file->setObjectName("file");
    m_file->setAccessibleName(tr("Video file"));
    m_file->setMinimumWidth(360);
    auto* browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName("browse");
    browse->setAccessibleName(tr("Browse for the video file"));
    connect(browse, &QPushButton::clicked, this, &CExportVideoDlg::Browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto* fileLabel = new QLabel(tr("&File:"));
    fileLabel->setBuddy(m_file);

    // Even sizes: the encoders halve the colour planes.
    m_width = spinBox(CVideoExport::MinWidth, CVideoExport::MaxWidth, 2, defaults.width,
                      tr("Frame width"));
    m_width->setObjectName("width");
    m_height = spinBox(CVideoExport::MinHeight, CVideoExport::MaxHeight, 2, defaults.height,
                       tr("Frame height"));
    m_height->setObjectName("height");
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(m_width);
    sizeRow->addWidget(new QLabel(QStringLiteral("x")));
    sizeRow->addWidget(m_height);
    sizeRow->addStretch();
    auto* sizeLabel = new QLabel(tr("Frame &size:"));
    sizeLabel->setBuddy(m_width);

    m_fps = spinBox(1, CVideoExport::MaxFps, 1, defaults.fps, tr("Frames a second"), tr(" fps"));
    m_fps->setObjectName("fps");
    m_wait = spinBox(1, CVideoExport::MaxWaitSeconds, 1, defaults.waitSeconds,
                     tr("Seconds for a slide that waits for the remote control"), tr(" s"));
    m_wait->setObjectName("wait");
    m_quality = spinBox(1, 100, 5, defaults.quality, tr("Quality"));
    m_quality->setObjectName("quality");

    auto* form = new QFormLayout;
    form->addRow(fileLabel, fileRow);
    form->addRow(sizeLabel, sizeRow);
    form->addRow(tr("Frame &rate:"), m_fps);
    form->addRow(tr("A slide that &waits lasts:"), m_wait);
    form->addRow(tr("&Quality (1-100):"), m_quality);
    auto* hint = new QLabel(tr("The file name's extension gives the format: .mp4 (H.264), "
                               ".webm (VP9) or .mkv (H.264)."));
    hint->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Export"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("Export"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CExportVideoDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CExportVideoDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    m_file->setFocus();
}

CVideoExport::Options CExportVideoDlg::Options() const
{
    CVideoExport::Options options;
    options.width = m_width->value();
    options.height = m_height->value();
    options.fps = m_fps->value();
    options.waitSeconds = m_wait->value();
    options.quality = m_quality->value();
    return options;
}

void CExportVideoDlg::Browse()
{
    const QString chosen = QFileDialog::getSaveFileName(
        this, tr("Export as Video"), m_file->text(),
        tr("MP4 video (*.mp4);;WebM video (*.webm);;Matroska video (*.mkv)"));
    if (!chosen.isEmpty())
        m_file->setText(chosen);
}

void CExportVideoDlg::accept()
{
    auto video = std::make_unique<CVideoExport>(m_prompt, nullptr);
    if (!video->Prepare(m_sequence, m_what, m_file->text().trimmed().toStdString(), Options())) {
        m_file->setFocus();
        return;
    }
    m_export = std::move(video);
    QDialog::accept();
}

CVideoExportJob* CExportVideoDlg::ExportProject(const CCellInfoList& cells, uint32_t backColor,
                                                const std::string& name,
                                                const std::string& projectFile, CUserPrompt* prompt,
                                                QWidget* parent)
{
    CShowSequence sequence;
    sequence.FromCells(cells, backColor);
    // Beside the project, named after it.
    const QString folder = projectFile.empty()
                               ? QDir::homePath()
                               : QFileInfo(QString::fromStdString(projectFile)).absolutePath();
    const QString file =
        folder + "/" + QString::fromStdString(name.empty() ? "show" : name) + ".mp4";
    CExportVideoDlg dialog(sequence, name, file.toStdString(), prompt, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return CVideoExportJob::Start(dialog.TakeExport(), prompt, parent);
}
