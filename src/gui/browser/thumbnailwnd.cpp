#include "gui/browser/thumbnailwnd.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "browser/celllistdata.h"
#include "gui/browser/slideworker.h"
#include "model/cellinfolist.h"
#include "presentation/slidepptobj.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

namespace {

QString text(int id)
{
    return QString::fromStdString(CResourceBundle::Text(id));
}

} // namespace

CThumbnailWnd::CThumbnailWnd(QWidget* parent, CSlidePPTObj* shared) : QAbstractScrollArea(parent)
{
    setAccessibleName(QStringLiteral("Slides of the presentation"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    QFont label = font();
    label.setBold(true);
    label.setPixelSize(9 + 2);
    setFont(label);

    m_worker = new CSlideWorker(shared, this);
    connect(m_worker, &CSlideWorker::Opened, this, &CThumbnailWnd::OnOpened);
    connect(m_worker, &CSlideWorker::Failed, this, &CThumbnailWnd::OnFailed);
    connect(m_worker, &CSlideWorker::ThumbnailReady, this, &CThumbnailWnd::OnThumbnail);
    connect(m_worker, &CSlideWorker::Paused, this, &CThumbnailWnd::OnPaused);

    // A presentation replaced on disk is shown again once its writer is done.
    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(300);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_reloadTimer.start(); });
    connect(&m_reloadTimer, &QTimer::timeout, this, &CThumbnailWnd::OnFileChanged);
}

CThumbnailWnd::~CThumbnailWnd()
{
    m_worker->Stop();
}

bool CThumbnailWnd::IsReported(int index) const
{
    return index >= 0 && index < m_reported.size() && m_reported[index];
}

void CThumbnailWnd::Reset()
{
    ++m_generation;
    m_worker->Stop();
    m_converting = false;
    m_paused = false;
    m_path.clear();
    m_total = 0;
    m_pictures.clear();
    m_slideNumbers.clear();
    m_reported.clear();
    m_hidden.clear();
    m_highlight = -1;
    m_pressed = -1;
    m_first = 0;
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    verticalScrollBar()->setRange(0, 0);
}

bool CThumbnailWnd::ShowPresentation(const std::string& path)
{
    Reset();
    if (!CSlideSourceTypes::IsPresentation(path)) {
        hide();
        viewport()->update();
        return false;
    }
    const QFileInfo file(QString::fromStdString(path));
    if (!file.isFile()) {
        hide();
        AskUser(m_prompt, MsgId::FileNotFound, CUserPrompt::Exclamation, CUserPrompt::Ok, path);
        return false;
    }
    m_path = path;
    m_time = file.lastModified();
    m_converting = true;
    m_watcher.addPath(file.absoluteFilePath());
    m_worker->Open(m_generation, file.absoluteFilePath(), m_rows * m_columns,
                   QString::fromStdString(m_workFolder));
    show();
    viewport()->update();
    Q_EMIT PresentationShown(true);
    return true;
}

bool CThumbnailWnd::IsHiddenSlide(int index) const
{
    return index >= 0 && index < m_hidden.size() && m_hidden[index];
}

void CThumbnailWnd::OnOpened(int generation, int total, const QVector<int>& slideNumbers,
                             const QVector<bool>& hidden)
{
    if (generation != m_generation)
        return;
    m_converting = false;
    m_total = total;
    m_pictures = QVector<QImage>(total);
    m_reported = QVector<bool>(total, false);
    m_slideNumbers = slideNumbers;
    m_hidden = hidden;
    Layout();
    viewport()->update();
}

void CThumbnailWnd::OnFailed(int generation)
{
    if (generation != m_generation)
        return;
    const std::string path = m_path;
    Fail();
    AskUser(m_prompt, MsgId::PresentationNotOpened, CUserPrompt::Exclamation, CUserPrompt::Ok,
            path);
}

void CThumbnailWnd::Fail()
{
    Reset();
    hide();
    Q_EMIT PresentationShown(false);
}

void CThumbnailWnd::OnThumbnail(int generation, int position, int slideNumber, const QImage& image)
{
    if (generation != m_generation || position < 1 || position > m_total)
        return;
    const int index = position - 1;
    m_pictures[index] = image;
    m_slideNumbers[index] = slideNumber;
    m_reported[index] = true;
    if (index >= m_first && index < m_first + m_rows * m_columns)
        viewport()->update(TileRect(index));
}

void CThumbnailWnd::OnPaused(int generation)
{
    if (generation == m_generation)
        m_paused = true;
}

void CThumbnailWnd::OnFileChanged()
{
    if (m_path.empty())
        return;
    const QFileInfo file(QString::fromStdString(m_path));
    if (file.isFile() && file.lastModified() == m_time &&
        m_watcher.files().contains(file.absoluteFilePath()))
        return;
    const std::string path = m_path;
    if (!file.isFile()) {
        Fail();
        return;
    }
    ShowPresentation(path);
}

int CThumbnailWnd::ScrollMaximum() const
{
    const int screen = m_columns * m_rows;
    if (m_total <= 0)
        return 0;
    return std::max(0, screen * ((m_total - 1) / screen));
}

void CThumbnailWnd::Layout()
{
    const QSize client = viewport()->size();
    if (m_layingOut || client.width() <= 0 || client.height() <= 0)
        return;
    m_layingOut = true;
    const int before = m_rows * m_columns;
    // The viewport already leaves the scroll bar out.
    m_columns = std::max(1, client.width() / TileWidth);
    m_rows = std::max(1, client.height() / TileHeight);
    m_tileWidth = TileWidth;
    m_tileHeight = TileHeight;
    m_hMargin = Margin;
    m_vMargin = Margin;
    if (TileWidth * m_columns < client.width()) {
        const int m = (client.width() - TileWidth * m_columns) / (2 * m_columns);
        m_tileWidth = TileWidth + 2 * m;
        m_hMargin = m + Margin;
    }
    const int maximum = ScrollMaximum();
    m_first = std::min(m_first, maximum);
    verticalScrollBar()->setRange(0, maximum / m_columns);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(m_rows);
    verticalScrollBar()->setValue(m_first / m_columns);
    if (m_rows * m_columns > before && m_total > 0)
        ContinueFrom(m_first);
    m_layingOut = false;
    viewport()->update();
}

void CThumbnailWnd::ContinueFrom(int first)
{
    if (m_total <= 0)
        return;
    // The tiles of the screenful from `first`; those made are skipped.
    m_paused = false;
    m_worker->Continue(m_generation, first + 1, m_rows * m_columns);
}

void CThumbnailWnd::SetFirst(int first)
{
    first = std::clamp(first, 0, ScrollMaximum());
    if (first == m_first)
        return;
    ContinueFrom(first);
    m_first = first;
    if (m_highlight >= 0 && (m_highlight < m_first || m_highlight >= m_first + m_rows * m_columns))
        m_highlight = -1;
    viewport()->update();
}

void CThumbnailWnd::scrollContentsBy(int, int)
{
    SetFirst(verticalScrollBar()->value() * m_columns);
}

void CThumbnailWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Layout();
}

QRect CThumbnailWnd::TileRect(int index) const
{
    const int relative = index - m_first;
    if (relative < 0 || relative >= m_rows * m_columns)
        return {};
    return QRect((relative % m_columns) * m_tileWidth, (relative / m_columns) * m_tileHeight,
                 m_tileWidth, m_tileHeight);
}

int CThumbnailWnd::HitTest(const QPoint& point) const
{
    for (int relative = 0; relative < m_rows * m_columns; ++relative) {
        const int index = m_first + relative;
        if (index >= m_total)
            break;
        const QRect picture =
            TileRect(index).adjusted(m_hMargin, m_vMargin, -m_hMargin, -m_vMargin);
        if (picture.contains(point))
            return index;
    }
    return -1;
}

void CThumbnailWnd::SetHighlight(int index)
{
    if (index == m_highlight)
        return;
    if (m_highlight >= 0)
        viewport()->update(TileRect(m_highlight));
    m_highlight = -1;
    if (index >= 0 && index < m_total && !TileRect(index).isNull()) {
        m_highlight = index;
        viewport()->update(TileRect(index));
    }
}

void CThumbnailWnd::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().base());
    if (m_converting) {
        // The busy tile: the conversion runs; the window stays live.
        const QRect tile(0, 0, m_tileWidth, m_tileHeight);
        const QRect picture = tile.adjusted(m_hMargin, m_vMargin, -m_hMargin, -m_vMargin);
        painter.setPen(QPen(QColor(128, 128, 128), 2, Qt::DashLine));
        painter.drawRect(picture.adjusted(-2, -2, 2, 2));
        painter.setPen(palette().text().color());
        painter.drawText(picture, Qt::AlignCenter | Qt::TextWordWrap, text(MsgId::PreparingSlides));
        return;
    }
    for (int relative = 0; relative < m_rows * m_columns; ++relative) {
        const int index = m_first + relative;
        if (index >= m_total)
            break;
        const QRect tile = TileRect(index);
        if (!tile.intersects(event->rect()) || !m_reported[index])
            continue;
        const bool lit = index == m_highlight;
        painter.fillRect(tile, lit ? palette().highlight() : palette().base());
        const QRect picture = tile.adjusted(m_hMargin, m_vMargin, -m_hMargin, -m_vMargin);
        if (!m_pictures[index].isNull()) {
            // A slide that is not 4:3 keeps its shape, centred in the tile.
            QRect fitted(QPoint(),
                         m_pictures[index].size().scaled(picture.size(), Qt::KeepAspectRatio));
            fitted.moveCenter(picture.center());
            painter.drawImage(fitted, m_pictures[index]);
        }
        const bool hidden = IsHiddenSlide(index);
        if (hidden) {
            // A hidden slide: veiled, crossed and labelled.
            painter.fillRect(picture, QColor(255, 255, 255, 140));
            painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::DashLine));
            painter.drawLine(picture.topLeft(), picture.bottomRight());
            painter.setPen(lit ? palette().highlightedText().color() : palette().text().color());
            painter.drawText(picture, Qt::AlignCenter, text(MsgId::SlideHidden));
        }
        painter.setPen(QPen(QColor(128, 128, 128), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(picture.adjusted(-2, -2, 2, 2));
        painter.setPen(lit ? palette().highlightedText().color() : palette().text().color());
        const QRect band(picture.left(), tile.bottom() - Margin + 1, picture.width(), Margin);
        painter.drawText(
            band, Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("%1(%2)/%3").arg(index + 1).arg(m_slideNumbers[index]).arg(m_total));
    }
}

QByteArray CThumbnailWnd::BlockOf(int index) const
{
    if (!IsReported(index))
        return {};
    std::string work = m_workFolder.empty() ? CSlidePPTObj::DefaultWorkFolder() : m_workFolder;
    return CCellListData::FromSlide(work, m_path, m_slideNumbers[index]);
}

void CThumbnailWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int index = HitTest(event->pos());
    SetHighlight(index);
    m_pressed = index;
    m_pressPoint = event->pos();
}

void CThumbnailWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton) ||
        (event->pos() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    const QByteArray block = BlockOf(m_pressed);
    m_pressed = -1;
    if (block.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(CCellInfoList::ClipFormatFiles), block);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    if (IsReported(m_highlight) && !m_pictures[m_highlight].isNull())
        drag->setPixmap(
            QPixmap::fromImage(m_pictures[m_highlight].scaled(80, 60, Qt::KeepAspectRatio)));
    drag->exec(Qt::CopyAction);
}

void CThumbnailWnd::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = -1;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CThumbnailWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int index = HitTest(event->pos());
    SetHighlight(index);
    m_pressed = -1;
    const QByteArray block = BlockOf(index);
    if (!block.isEmpty())
        Q_EMIT SlideActivated(block);
}

void CThumbnailWnd::CopySlide(int index)
{
    const QByteArray block = BlockOf(index);
    if (block.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(CCellInfoList::ClipFormatFiles), block);
    QApplication::clipboard()->setMimeData(data);
}

void CThumbnailWnd::contextMenuEvent(QContextMenuEvent* event)
{
    const int index = HitTest(event->pos());
    if (index < 0 || index != m_highlight)
        return;
    QMenu menu(this);
    QAction* copy = menu.addAction(text(MsgId::MenuCopy));
    copy->setData(57634);
    if (menu.exec(event->globalPos()) == copy)
        CopySlide(index);
}

void CThumbnailWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopySlide(m_highlight);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
