#include "gui/browser/filedlgbar.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/iconloader.h"
#include "gui/browser/thumbnailwnd.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

constexpr int kPreviewSize = 320;
constexpr int kPreviewMinimum = 120;

bool isPresentation(const std::string& name)
{
    return CSlideSourceTypes::IsPresentation(name);
}

std::string shownFolder(std::string path)
{
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

CFileDlgBar::CFileDlgBar(QWidget* parent, CSlidePPTObj* shared)
    : QDockWidget(QString::fromStdString(CResourceBundle::Text(MsgId::PaneFiles)), parent)
{
    setObjectName(QStringLiteral("files"));
    setAccessibleName(QStringLiteral("Files pane"));
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    m_model = new CFileListModel(m_list, this);
    m_previewLoader = new CIconLoader(this);
    connect(m_previewLoader, &CIconLoader::Loaded, this, &CFileDlgBar::OnPreviewLoaded);

    m_split = new QSplitter(Qt::Horizontal, this);
    m_split->setAccessibleName(QStringLiteral("Split between files and preview"));
    auto* left = new QWidget(m_split);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 4, 4, 4);
    m_folderCaption = new QLabel(left);
    m_folderCaption->setTextFormat(Qt::PlainText);
    m_listCtrl = new CFileListCtrl(*m_model, left);
    leftLayout->addWidget(m_folderCaption);
    leftLayout->addWidget(m_listCtrl, 1);

    auto* right = new QWidget(m_split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(4, 4, 4, 4);
    m_previewCaption = new QLabel(right);
    m_previewCaption->setTextFormat(Qt::PlainText);
    m_previewStack = new QStackedWidget(right);
    m_picture = new QLabel(m_previewStack);
    m_picture->setAlignment(Qt::AlignCenter);
    // The preview takes the room it is given: neither a picture nor a long
    // message may widen the window or change the pane's height under the
    // pointer.
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_picture->setMinimumSize(1, 1);
    m_picture->setWordWrap(false);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_picture->setAccessibleName(QStringLiteral("Preview"));
    m_thumbnails = new CThumbnailWnd(m_previewStack, shared);
    m_previewStack->addWidget(m_picture);
    m_previewStack->addWidget(m_thumbnails);
    rightLayout->addWidget(m_previewCaption);
    rightLayout->addWidget(m_previewStack, 1);
    // A caption too long for the pane goes on over lines, never cut: it
    // takes the width it is given and the height its lines need.
    for (QLabel* caption : {m_folderCaption, m_previewCaption}) {
        caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Minimum);
        caption->setWordWrap(true);
    }
    m_previewStack->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_split->setStretchFactor(0, 3);
    m_split->setStretchFactor(1, 2);
    // Sizes of its own, as its contents claim none; never collapsed away.
    right->setMinimumWidth(kPreviewMinimum);
    m_split->setCollapsible(1, false);
    m_split->setSizes({3 * kPreviewSize, 2 * kPreviewSize});
    setWidget(m_split);
    connect(m_thumbnails, &CThumbnailWnd::PresentationShown, this, [this](bool shown) {
        if (!shown) {
            m_previewStack->setCurrentWidget(m_picture);
            SetCaption(MsgId::PreviewLabel, {}, m_previewCaption);
        }
    });
    ClearList();
}

CFileDlgBar::~CFileDlgBar() = default;

void CFileDlgBar::SetPrompt(CUserPrompt* prompt)
{
    m_prompt = prompt;
    m_model->SetPrompt(prompt);
    m_thumbnails->SetPrompt(prompt);
}

QString CFileDlgBar::Breakable(const QString& text)
{
    // A label wraps only where a line may break: after a slash, and within
    // a long run of letters (a long file name), every few of them.
    constexpr int kRun = 12;
    QString out;
    out.reserve(text.size() + text.size() / kRun + 8);
    int run = 0;
    for (const QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (c == QLatin1Char('/') || run >= kRun) {
            out += QChar(0x200B);
            run = 0;
        }
    }
    return out;
}

void CFileDlgBar::SetCaption(int id, const std::string& insert, QLabel* label)
{
    QString text = QString::fromStdString(CResourceBundle::Format(id, insert));
    text.replace(QLatin1Char('\n'), QChar(0x21B5));
    label->setAccessibleName(text);
    label->setToolTip(text);
    label->setText(Breakable(text));
}

void CFileDlgBar::ClearList()
{
    m_list.Clear();
    m_model->Reset();
    UpdatePreview(nullptr);
}

bool CFileDlgBar::ShowFolder(const std::string& folder, const std::string& pattern, int typeIndex)
{
    if (m_filling)
        return false;
    if (!pattern.empty())
        m_pattern = pattern;
    m_checkMode = CDirFileList::CheckModeForType(typeIndex);
    m_filling = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    UpdatePreview(nullptr);
    const bool ok = m_list.Fill(folder, m_pattern, true, m_checkMode);
    m_model->Reset();
    QGuiApplication::restoreOverrideCursor();
    SetCaption(MsgId::FolderLabel, ok ? shownFolder(folder) : std::string(), m_folderCaption);
    m_filling = false;
    ++m_fullFills;
    Q_EMIT ListFilled(true);
    return ok;
}

bool CFileDlgBar::RefreshList()
{
    if (m_filling)
        return false;
    m_filling = true;
    const bool ok = m_list.Fill({}, m_pattern, false, m_checkMode);
    if (ok) {
        m_model->ApplyUpdate();
        // The preview follows a selection whose file went away.
        UpdatePreview(m_listCtrl->SelectedEntry());
    }
    m_filling = false;
    ++m_updates;
    Q_EMIT ListFilled(false);
    return ok;
}

void CFileDlgBar::SetListViewMode(int style)
{
    m_listCtrl->SetViewStyle(style);
}

void CFileDlgBar::UpdatePreview(const CDirFileInfo* entry)
{
    const QString path = entry ? QString::fromStdString(entry->Path) : QString();
    if (entry && !entry->IsFolder() && isPresentation(entry->Name)) {
        if (m_previewPath == path && m_previewStack->currentWidget() == m_thumbnails)
            return;
        m_previewPath = path;
        m_previewStack->setCurrentWidget(m_thumbnails);
        const bool shown = m_thumbnails->ShowPresentation(entry->Path);
        SetCaption(MsgId::PreviewLabel, shown ? entry->Name : std::string(), m_previewCaption);
        if (!shown)
            m_previewStack->setCurrentWidget(m_picture);
        return;
    }
    if (m_previewStack->currentWidget() == m_thumbnails ||
        !m_thumbnails->PresentationPath().empty())
        m_thumbnails->ShowPresentation({});
    m_previewStack->setCurrentWidget(m_picture);
    m_picture->clear();
    m_previewPath.clear();
    if (entry && !entry->IsFolder() && CFileListModel::IsPictureName(entry->Name)) {
        m_previewPath = path;
        m_previewLoader->Cancel();
        m_previewLoader->Request(path, kPreviewSize);
        SetCaption(MsgId::PreviewLabel, entry->Name, m_previewCaption);
    } else {
        SetCaption(MsgId::PreviewLabel, {}, m_previewCaption);
    }
}

void CFileDlgBar::OnPreviewLoaded(const QString& path, int, const QImage& image, bool readable)
{
    if (path != m_previewPath || m_previewStack->currentWidget() != m_picture)
        return;
    if (readable) {
        QPixmap pixmap = QPixmap::fromImage(image);
        const QSize room = m_picture->contentsRect().size();
        if (room.isValid() && (pixmap.width() > room.width() || pixmap.height() > room.height()))
            pixmap = pixmap.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_picture->setToolTip({});
        m_picture->setPixmap(pixmap);
        return;
    }
    // The whole message over as many lines as the preview's width needs (a
    // path may break after each slash); the preview keeps its size.
    QString text = QString::fromStdString(
        CResourceBundle::Format(MsgId::PictureUnreadable, path.toStdString()));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_picture->setToolTip(text);
    m_picture->setAccessibleDescription(text);
    m_picture->setWordWrap(true);
    m_picture->setText(Breakable(text));
    // Wrapping asks the layout for the height its lines need (the label sets
    // that with each text); the preview keeps the height it has instead.
    m_picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}
