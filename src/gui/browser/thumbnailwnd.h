#pragma once

#include <QAbstractScrollArea>
#include <QDateTime>
#include <QFileSystemWatcher>
#include <QImage>
#include <QTimer>
#include <QVector>
#include <string>

class CSlidePPTObj;
class CSlideWorker;
class CUserPrompt;

// The slides of one presentation as a scrolling grid of thumbnail tiles.
// The pictures are made on the slide worker's thread a screenful at a time,
// as the user scrolls; until the conversion is done the window shows a busy
// tile. A slide is taken into a project by dragging it, double-clicking it
// (SlideActivated carries the one-cell block) or copying it.
class CThumbnailWnd : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int TileWidth = 190, TileHeight = 150, Margin = 15;

    explicit CThumbnailWnd(QWidget* parent = nullptr, CSlidePPTObj* shared = nullptr);
    ~CThumbnailWnd() override;

    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    // Where the thumbnail pictures and the blocks' folder are; the program's
    // "Temp" work folder when not set.
    void SetWorkFolder(const std::string& folder) { m_workFolder = folder; }
    // Shows `path` (a .ppt) or, for anything else, nothing. true when the
    // presentation is accepted; failures of the conversion come later, with
    // a message, and hide the window.
    bool ShowPresentation(const std::string& path);
    // Whether slide `index` (from 0) is hidden in the slide show.
    bool IsHiddenSlide(int index) const;

    const std::string& PresentationPath() const { return m_path; }
    int Total() const { return m_total; }
    int First() const { return m_first; }
    int Highlighted() const { return m_highlight; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    bool IsConverting() const { return m_converting; }
    bool IsReported(int index) const;
    // The one-cell block of slide `index` (from 0), empty when not possible.
    QByteArray BlockOf(int index) const;
    // The tile rectangle of slide `index` when it is visible.
    QRect TileRect(int index) const;
    void SetHighlight(int index);

Q_SIGNALS:
    void SlideActivated(const QByteArray& block);
    // Tells the owner whether slides are shown (a caption names the file).
    void PresentationShown(bool shown);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Reset();
    void Layout();
    void SetFirst(int first);
    void ContinueFrom(int first);
    int HitTest(const QPoint& point) const;
    int ScrollMaximum() const;
    void Fail();
    void CopySlide(int index);
    void OnOpened(int generation, int total, const QVector<int>& slideNumbers,
                  const QVector<bool>& hidden);
    void OnFailed(int generation);
    void OnThumbnail(int generation, int position, int slideNumber, const QImage& image);
    void OnPaused(int generation);
    void OnFileChanged();

    CUserPrompt* m_prompt = nullptr;
    CSlideWorker* m_worker = nullptr;
    int m_generation = 0;
    bool m_converting = false;
    bool m_paused = false;
    std::string m_path;
    std::string m_workFolder;
    QDateTime m_time;
    int m_total = 0;
    QVector<QImage> m_pictures;
    QVector<int> m_slideNumbers;
    QVector<bool> m_reported;
    QVector<bool> m_hidden;
    int m_highlight = -1;
    int m_rows = 1, m_columns = 1;
    int m_tileWidth = TileWidth, m_tileHeight = TileHeight;
    int m_hMargin = Margin, m_vMargin = Margin;
    int m_first = 0;
    int m_pressed = -1;
    QPoint m_pressPoint;
    bool m_layingOut = false;
    QFileSystemWatcher m_watcher;
    QTimer m_reloadTimer;
};
