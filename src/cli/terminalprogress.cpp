#include "cli/terminalprogress.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Ctrl-C presses not yet seen by an operation.
volatile std::sig_atomic_t g_interrupts = 0;

// The progress whose line is on the screen now.
CTerminalProgress* g_activeLine = nullptr;

constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

extern "C" void onInterrupt(int sig)
{
    if (g_interrupts != 0) {
        // Nobody looked after the first press: end as Ctrl-C normally does.
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    g_interrupts = 1;
}

void writeAll(int fd, std::string_view s)
{
    while (!s.empty()) {
        const ssize_t n = ::write(fd, s.data(), s.size());
        if (n <= 0)
            return;
        s.remove_prefix(static_cast<size_t>(n));
    }
}

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Number of characters (code points) of UTF-8 text.
int characters(std::string_view s)
{
    int n = 0;
    for (unsigned char c : s)
        n += !isContinuation(c);
    return n;
}

} // namespace

namespace {
// A terminal that can go back to the start of the line and wipe it.
bool capableTerminal(int fd)
{
    if (!::isatty(fd))
        return false;
    const char* term = std::getenv("TERM");
    return !term || std::string_view(term) != "dumb";
}
} // namespace

CTerminalProgress::CTerminalProgress(bool quiet, int captionId)
    : CFileOpProgress(captionId), m_draw(!quiet && capableTerminal(STDERR_FILENO)),
      m_fd(STDERR_FILENO)
{}

CTerminalProgress::CTerminalProgress(bool draw, int fd, int captionId)
    : CFileOpProgress(captionId), m_draw(draw), m_fd(fd)
{}

CTerminalProgress::~CTerminalProgress()
{
    Destroy();
    // Destroy() reports the hiding through Visibility(); make sure anyway.
    ClearLine();
    RestoreHandler();
}

void CTerminalProgress::ClearActiveLine()
{
    if (g_activeLine)
        g_activeLine->ClearLine();
}

void CTerminalProgress::Pump()
{
    if (m_handlerInstalled && g_interrupts != 0) {
        g_interrupts = 0;
        Cancel();
    }
    if (m_dirty)
        Draw(false);
}

void CTerminalProgress::Refresh()
{
    m_dirty = true;
    Draw(false);
}

void CTerminalProgress::Visibility(bool visible)
{
    if (visible) {
        InstallHandler();
        Draw(true);
    } else {
        ClearLine();
        RestoreHandler();
    }
}

void CTerminalProgress::InstallHandler()
{
    if (m_handlerInstalled)
        return;
    g_interrupts = 0;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, &m_oldAction) == 0)
        m_handlerInstalled = true;
}

void CTerminalProgress::RestoreHandler()
{
    if (!m_handlerInstalled)
        return;
    ::sigaction(SIGINT, &m_oldAction, nullptr);
    m_handlerInstalled = false;
    // A press nobody asked about belongs to this progress only.
    g_interrupts = 0;
}

int CTerminalProgress::Columns() const
{
    struct winsize ws = {};
    if (::ioctl(m_fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 20)
        return ws.ws_col;
    if (const char* env = std::getenv("COLUMNS")) {
        const int c = std::atoi(env);
        if (c >= 20 && c <= 1000)
            return c;
    }
    return 80;
}

void CTerminalProgress::Draw(bool force)
{
    if (!m_draw || !Model().IsVisible())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_lineShown && now - m_lastDraw < kRedrawInterval)
        return;
    // Another progress's line would be overwritten half; take the line over.
    if (g_activeLine && g_activeLine != this)
        g_activeLine->ClearLine();
    m_lastDraw = now;
    m_dirty = false;
    // Leave the last column free so the terminal never wraps the line.
    writeAll(m_fd, "\r" + FormatLine(Model(), Columns() - 1) + "\033[K");
    m_lineShown = true;
    g_activeLine = this;
}

void CTerminalProgress::ClearLine()
{
    if (g_activeLine == this)
        g_activeLine = nullptr;
    if (!m_lineShown)
        return;
    writeAll(m_fd, "\r\033[K");
    m_lineShown = false;
    m_dirty = true;
}

std::string CTerminalProgress::FormatLine(const CProgressModel& model, int width)
{
    const int barWidth = std::clamp(width / 3, 10, 40);
    const long long span = static_cast<long long>(model.Upper()) - model.Lower();
    const long long done = static_cast<long long>(model.Pos()) - model.Lower();
    int filled = 0;
    if (span != 0 && (done > 0) == (span > 0) && done != 0)
        filled = static_cast<int>(
            std::min<long long>(barWidth, std::llabs(done) * barWidth / std::llabs(span)));
    std::string line = "[" + std::string(filled, '#') + std::string(barWidth - filled, '-') + "] ";
    std::string percent = model.PercentText();
    if (percent.size() < 4)
        percent.insert(0, 4 - percent.size(), ' ');
    line += percent;
    // A text of several lines shows its first; control characters (from a
    // file name, say) must not steer the terminal.
    std::string text = model.Text().substr(0, model.Text().find('\n'));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    const int room = width - characters(line) - 1;
    if (!text.empty() && room > 0) {
        line += ' ';
        line += Ellipsize(text, room);
    }
    return line;
}

std::string CTerminalProgress::Ellipsize(const std::string& text, int columns)
{
    const int length = characters(text);
    if (length <= columns)
        return text;
    if (columns <= 3)
        return std::string(static_cast<size_t>(std::max(columns, 0)), '.');
    const int keep = columns - 3;
    const int head = keep / 3;
    const int tail = keep - head;
    // Byte offsets of the head's end and of the tail's start.
    auto offsetOf = [&](int chars) {
        size_t i = 0;
        int n = 0;
        for (; i < text.size(); ++i) {
            if (!isContinuation(static_cast<unsigned char>(text[i]))) {
                if (n == chars)
                    break;
                ++n;
            }
        }
        return i;
    };
    return text.substr(0, offsetOf(head)) + "..." + text.substr(offsetOf(length - tail));
}
