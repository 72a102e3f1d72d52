#include "gui/view/scenarioview.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "gui/dialogs/addslidesdlg.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/view/celllistbox.h"
#include "gui/view/cellrowdelegate.h"
#include "gui/view/cellrowmodel.h"
#include "gui/view/scenarioviewcommands.h"
#include "gui/view/scenarioviewtransfer.h"
#include "gui/view/systemclipboard.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QUrl>
#include <algorithm>

namespace {
constexpr int kColumnTitle = MsgId::RowNumberHeader; // then SlideHeader
constexpr int kControlPicture = 143;
constexpr int kDisabledMark = 170;

// One-pixel raised frame of a header column.
void RaisedFrame(QPainter& painter, const QRect& r, const QPalette& palette)
{
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}
} // namespace

void CScenarioView::EnterBusy()
{
    if (m_busy++ == 0) {
        m_list->SetBusy(true);
        UpdateActions();
    }
}

void CScenarioView::LeaveBusy()
{
    if (--m_busy == 0)
        m_list->SetBusy(m_doc.IsBusy());
    Refresh();
}

void CScenarioView::ModifiedChanged(bool)
{
    UpdateTitle();
    UpdateActions(); // Send waits for a saved project
}

void CScenarioView::BusyChanged(bool busy)
{
    m_list->SetBusy(busy || m_busy > 0);
    UpdateActions();
}

CScenarioView::CScenarioView(CZurDoc& doc, CScenarioEditor& editor, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_editor(editor)
{
    setAccessibleName(tr("Project"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(false);
    m_model = new CCellRowModel(m_editor, this);
    m_delegate = new CCellRowDelegate(*m_model, this);
    m_list = new CCellListBox(*m_model, m_editor.Rows(), this);
    m_list->setItemDelegate(m_delegate);
    setFocusProxy(m_list);
    m_commands = std::make_unique<CScenarioViewCommands>(*this, m_doc, m_editor);
    m_transfer = std::make_unique<CScenarioViewTransfer>(*this, m_doc, m_editor);

    if (!m_editor.Clipboard()) {
        m_clipboard = std::make_unique<CSystemClipboard>();
        m_editor.SetClipboard(m_clipboard.get());
    }
    // A progress window for each insertion, gone when it ends.
    m_editor.SetProgress(nullptr);
    m_editor.SetProgressMaker([this] { return std::make_unique<CFileOpProgressDlg>(this); });
    m_editor.SetRepaintHandler([this] { Refresh(); });
    m_editor.SetScreenBatches(true);
    m_doc.AddListener(this);

    CCellRowMetrics metrics = m_delegate->Metrics();
    metrics.letterbox = QColor(m_doc.BackColor & 0xff, (m_doc.BackColor >> 8) & 0xff,
                               (m_doc.BackColor >> 16) & 0xff);
    metrics.controlPicture = CResourceBundle::Bitmap(kControlPicture);
    metrics.disabledMark = CResourceBundle::Bitmap(kDisabledMark);
    m_delegate->SetMetrics(metrics);
    SetHeaderFont(font());

    m_commands->CreateActions();
    connect(m_list, &CCellListBox::SelectionChanged, this, &CScenarioView::Refresh);
    connect(m_list, &CCellListBox::DragRequested, this, [this] { m_transfer->StartDrag(); });
    connect(m_list, &CCellListBox::ContextMenuRequested, this,
            [this](const QPoint& at, int row) { m_commands->ShowContextMenu(at, row); });
    connect(m_list, &CCellListBox::PropertiesRequested, this,
            [this] { ExecuteCommand(EditorCommand::CellProperties); });
    connect(m_list, &CCellListBox::DragOver, this,
            [this](QDragMoveEvent* event) { m_transfer->DragOver(event); });
    connect(m_list, &CCellListBox::Dropped, this,
            [this](QDropEvent* event) { m_transfer->Drop(event); });
    if (QClipboard* board = QGuiApplication::clipboard())
        connect(board, &QClipboard::dataChanged, this, &CScenarioView::UpdateActions);
    Refresh();
}

CScenarioView::~CScenarioView()
{
    // The editor lives on with the project's frame; it must not call into
    // a view that is gone.
    m_editor.SetRepaintHandler({});
    m_doc.RemoveListener(this);
    if (m_clipboard && m_editor.Clipboard() == m_clipboard.get())
        m_editor.SetClipboard(nullptr);
    m_editor.SetProgress(nullptr);
    m_editor.SetProgressMaker({});
}

void CScenarioView::SetHeaderFont(const QFont& font)
{
    m_headerFont = font;
    const QFontMetrics fm(font);
    const int h = fm.height();
    for (int i = 0; i < 2; ++i)
        m_columnWidth[i] =
            fm.horizontalAdvance(QString::fromStdString(CResourceBundle::Text(kColumnTitle + i))) +
            15;
    m_headerHeight = h + 12;
    CCellRowMetrics metrics = m_delegate->Metrics();
    metrics.font = font;
    metrics.rowHeight = 4 * h;
    m_columnWidth[0] = NumberColumnWidth();
    metrics.numberWidth = m_columnWidth[0];
    const int t = 4 * h - 10;
    metrics.thumbBox = QSize(static_cast<int>(1.5 * t), t);
    m_delegate->SetMetrics(metrics);
    m_list->setFont(font);
    // Rows are all of one height: tell the list again.
    m_list->reset();
    resizeEvent(nullptr);
    update();
}

void CScenarioView::SetControlPicture(const QImage& picture)
{
    CCellRowMetrics metrics = m_delegate->Metrics();
    metrics.controlPicture = picture;
    m_delegate->SetMetrics(metrics);
    m_list->viewport()->update();
}

void CScenarioView::SetProgress(CProgress* progress)
{
    m_editor.SetProgress(progress);
}

void CScenarioView::SetDialogs(CCellDialogs* dialogs)
{
    m_editor.SetDialogs(dialogs);
    UpdateActions();
}

bool CScenarioView::IsBusy() const
{
    return m_busy > 0 || m_transfer->IsDragging() || m_doc.IsBusy() || !m_editor.Rows().IsEnabled();
}

QString CScenarioView::CommandText(int command)
{
    return CScenarioViewCommands::CommandText(command);
}

void CScenarioView::SetShortcutsEnabled(bool enabled)
{
    m_commands->SetShortcutsEnabled(enabled);
}

QAction* CScenarioView::Action(int command) const
{
    return m_commands->Action(command);
}

QList<QAction*> CScenarioView::Actions() const
{
    return m_commands->Actions();
}

CommandState CScenarioView::StateOf(int command) const
{
    return m_commands->StateOf(command);
}

void CScenarioView::UpdateActions()
{
    if (m_commands->UpdateActions())
        Q_EMIT CommandStatesChanged();
}

QMenu* CScenarioView::CreateContextMenu(int row, QWidget* parent)
{
    return m_commands->CreateContextMenu(row, parent);
}

QMimeData* CScenarioView::BeginDrag()
{
    return m_transfer->BeginDrag();
}

void CScenarioView::FinishDrag(Qt::DropAction action)
{
    m_transfer->FinishDrag(action);
}

QPixmap CScenarioView::DragPixmap() const
{
    return m_transfer->DragPixmap();
}

Qt::DropAction CScenarioView::DropActionFor(const QMimeData* data, Qt::KeyboardModifiers modifiers,
                                            Qt::DropActions possible) const
{
    return m_transfer->DropActionFor(data, modifiers, possible);
}

int CScenarioView::NumberColumnWidth() const
{
    // Wide enough for the column's title and for the largest row number.
    const QFontMetrics fm(m_headerFont);
    int digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, fm.horizontalAdvance(QLatin1Char(c)));
    const int digits =
        static_cast<int>(QString::number(std::max(1, m_editor.Rows().GetCount())).size());
    const int title =
        fm.horizontalAdvance(QString::fromStdString(CResourceBundle::Text(kColumnTitle)));
    return std::max(title, digits * digit) + 15;
}

void CScenarioView::Refresh()
{
    m_model->Sync();
    CCellRowMetrics metrics = m_delegate->Metrics();
    if (const int width = NumberColumnWidth(); width != m_columnWidth[0]) {
        m_columnWidth[0] = width;
        metrics.numberWidth = width;
        m_delegate->SetMetrics(metrics);
        update();
    }
    const QColor letterbox(m_doc.BackColor & 0xff, (m_doc.BackColor >> 8) & 0xff,
                           (m_doc.BackColor >> 16) & 0xff);
    if (metrics.letterbox != letterbox) {
        metrics.letterbox = letterbox;
        m_delegate->SetMetrics(metrics);
    }
    m_list->viewport()->update();
    UpdateActions();
    UpdateTitle();
}

void CScenarioView::UpdateTitle()
{
    QString title = QString::fromStdString(m_doc.ProjectName);
    if (title.isEmpty())
        title = QFileInfo(QString::fromStdString(m_doc.GetPathName())).completeBaseName();
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_doc.IsModified());
}

void CScenarioView::ScrollToSelection()
{
    const std::vector<int> selected = m_editor.Rows().SelectedRows();
    if (!selected.empty())
        m_list->scrollTo(m_model->index(selected.front()));
}

bool CScenarioView::ExecuteCommand(int command)
{
    if (StateOf(command) != CommandState::Enabled)
        return false;
    if (command == SendCommand) {
        Q_EMIT SendRequested();
        return true;
    }
    if (command == PrintCommand) {
        Q_EMIT PrintRequested();
        return true;
    }
    if (command == AddSlidesCommand)
        return AddSlides(m_editor.Rows().FocusRow());
    bool ok = false;
    {
        CBusyScope busy(*this);
        // The dialogs of a command wait for the user, not the user for them.
        const bool dialog =
            command == EditorCommand::CellProperties || command == EditorCommand::CellEffect;
        if (!dialog)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        ok = m_editor.Execute(command);
        if (!dialog)
            QApplication::restoreOverrideCursor();
    }
    if (command == EditorCommand::Paste || command == EditorCommand::CellInsertControl ||
        command == EditorCommand::Undo)
        ScrollToSelection();
    return ok;
}

bool CScenarioView::InsertCellList(const QByteArray& block, bool reportCancel)
{
    bool ok = false;
    {
        CBusyScope busy(*this);
        ok = m_editor.InsertCellList(block, reportCancel);
    }
    ScrollToSelection();
    return ok;
}

bool CScenarioView::AddSlides(int row)
{
    CAddSlidesDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        // A later paste does not go before a row the menu was opened on.
        m_editor.SetInsertionIndex(-1);
        return false;
    }
    return InsertFiles(dialog.selectedFiles(), row);
}

bool CScenarioView::InsertFiles(const QStringList& paths, int row)
{
    if (IsBusy())
        return false;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    const bool ok = m_transfer->DropFiles(urls, row);
    if (ok) {
        m_list->setFocus(Qt::OtherFocusReason);
        ScrollToSelection();
    }
    return ok;
}

void CScenarioView::PostCellList(const QByteArray& block)
{
    QMetaObject::invokeMethod(
        this, [this, block] { InsertCellList(block, false); }, Qt::QueuedConnection);
}

void CScenarioView::ShowMessage(int id, const std::string& insert)
{
    AskUser(m_doc.Prompt(), id, CUserPrompt::Exclamation, CUserPrompt::Ok, insert);
}

// ----------------------------------------------------------------------------
// Layout and painting

QSize CScenarioView::minimumSizeHint() const
{
    const int frame = 2 * m_list->frameWidth();
    return {m_columnWidth[0] + m_columnWidth[1] + frame,
            m_delegate->Metrics().rowHeight + frame + m_headerHeight};
}

QSize CScenarioView::sizeHint() const
{
    return {std::max(480, minimumSizeHint().width()),
            m_headerHeight + 6 * m_delegate->Metrics().rowHeight};
}

void CScenarioView::resizeEvent(QResizeEvent*)
{
    m_list->setGeometry(0, m_headerHeight, width(), std::max(0, height() - m_headerHeight));
}

void CScenarioView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    m_list->setFocus();
}

void CScenarioView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.setFont(m_headerFont);
    painter.fillRect(QRect(0, 0, width(), m_headerHeight), pal.color(QPalette::Button));
    const QRect columns[2] = {
        QRect(0, 0, m_columnWidth[0], m_headerHeight),
        QRect(m_columnWidth[0], 0, std::max(0, width() - m_columnWidth[0]), m_headerHeight)};
    for (int i = 0; i < 2; ++i) {
        RaisedFrame(painter, columns[i].adjusted(0, 0, -1, -1), pal);
        const QRect inner = columns[i].adjusted(2, 2, -2, -2);
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(inner.adjusted(5, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString::fromStdString(CResourceBundle::Text(kColumnTitle + i)));
    }
}

// ----------------------------------------------------------------------------
// Closing

void CScenarioView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Whatever frame hosts the view may not close while cells are on their
    // way in or a drag of them is under way.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        w->installEventFilter(this);
}

void CScenarioView::closeEvent(QCloseEvent* event)
{
    if (IsBusy())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

bool CScenarioView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && IsBusy()) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
