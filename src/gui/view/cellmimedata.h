#pragma once

#include "editor/cellclipboard.h"

#include <QMimeData>

struct CCellDragSession;

// The data of a drag of rows: the "CellInfo List" block, and the drag's
// bookkeeping, so that the project window taking the drop can tell the
// dragging window that it took the cells.
class CCellMimeData : public QMimeData
{
    Q_OBJECT

public:
    CCellMimeData(const QByteArray& block, CCellDragSession& session);
    CCellDragSession& Session() const { return m_session; }

private:
    CCellDragSession& m_session;
};

// Dropped or pasted data seen through the editor's clipboard interface:
// read-only, formats in the order the data offers them.
class CMimeCellSource : public CCellClipboard
{
public:
    explicit CMimeCellSource(const QMimeData* data) : m_data(data) {}

    std::vector<std::string> Formats() const override;
    QByteArray Data(const std::string& format) const override;
    bool SetData(const std::string&, const QByteArray&) override { return false; }
    void Clear() override {}

private:
    const QMimeData* m_data;
};
