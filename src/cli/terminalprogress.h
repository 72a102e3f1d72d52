#pragma once

#include "output/fileopprogress.h"

#include <chrono>
#include <csignal>
#include <string>

// The command line's progress: one line on standard error with a bar, the
// percentage and the text, redrawn at most about 20 times a second; drawn
// only when standard error is a terminal (not a "dumb" one) and --quiet was
// not given. While the progress is shown, Ctrl-C is the Cancel button: the
// operation sees it at its next IsCancelled(). A second Ctrl-C before the
// operation looked ends the program as Ctrl-C normally does. A command whose
// operation failed after a cancel ends with status 3 (CancelReported()).
class CTerminalProgress : public CFileOpProgress
{
public:
    explicit CTerminalProgress(bool quiet, int captionId = 0);
    // For tests: draw on `fd` when `draw` (no terminal check).
    CTerminalProgress(bool draw, int fd, int captionId);
    ~CTerminalProgress() override;

    bool Draws() const { return m_draw; }

    // Wipes the bar's line so that a message can be printed; the bar comes
    // back at its next redraw. Does nothing when no bar is on the screen.
    static void ClearActiveLine();

    // The bar line for `width` columns (no line control characters).
    static std::string FormatLine(const CProgressModel& model, int width);
    // Shortens `text` to `columns` characters by replacing its middle with
    // "...", keeping its end; never splits a UTF-8 sequence.
    static std::string Ellipsize(const std::string& text, int columns);

protected:
    void Pump() override;
    void Refresh() override;
    void Visibility(bool visible) override;

private:
    void Draw(bool force);
    void ClearLine();
    int Columns() const;
    void InstallHandler();
    void RestoreHandler();

    bool m_draw;
    int m_fd;
    bool m_lineShown = false;
    bool m_dirty = false;
    bool m_handlerInstalled = false;
    struct sigaction m_oldAction = {};
    std::chrono::steady_clock::time_point m_lastDraw{};
};
