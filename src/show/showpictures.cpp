#include "show/showpictures.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "show/showsequence.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

namespace {

QColor colourOf(uint32_t backColor)
{
    return QColor(int(backColor & 0xFF), int((backColor >> 8) & 0xFF),
                  int((backColor >> 16) & 0xFF));
}

} // namespace

CShowPictures::CShowPictures(const CShowSequence& sequence) : m_sequence(sequence)
{
    m_pool.setMaxThreadCount(1);
}

CShowPictures::~CShowPictures()
{
    m_pool.waitForDone();
}

QImage CShowPictures::Blank(uint32_t backColor)
{
    QImage frame(CImagingProcedures::kWorkWidth, CImagingProcedures::kWorkHeight,
                 QImage::Format_RGB32);
    frame.fill(colourOf(backColor));
    return frame;
}

QImage CShowPictures::MissingFrame(const std::string& name, uint32_t backColor)
{
    QImage frame = Blank(backColor);
    const QColor back = colourOf(backColor);
    QPainter painter(&frame);
    painter.setPen(back.lightness() > 128 ? Qt::black : Qt::white);
    QFont font = painter.font();
    font.setPixelSize(36);
    painter.setFont(font);
    const std::string text =
        CResourceBundle::Format(MsgId::ShowPictureMissing, name.empty() ? "?" : name);
    painter.drawText(frame.rect().adjusted(40, 40, -40, -40), Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromStdString(text));
    return frame;
}

QImage CShowPictures::Compose(const CShowStep& step)
{
    if (step.control)
        return Blank(step.backColor);
    QImage picture;
    if (!step.picture.empty()) {
        CLead primary;
        CLead canvas;
        CImagingProcedures::ComposeCardImage(primary, canvas, step.picture, step.backColor,
                                             picture);
    }
    return picture.isNull() ? MissingFrame(step.pictureName, step.backColor) : picture;
}

QImage CShowPictures::Get(int step)
{
    if (step < 0 || step >= static_cast<int>(m_sequence.Steps().size()))
        return {};
    auto it = m_pictures.find(step);
    if (it == m_pictures.end()) {
        // Wanted now: no point in queueing behind a read-ahead.
        const QImage picture = Compose(m_sequence.Steps()[static_cast<size_t>(step)]);
        m_pictures[step] = QtFuture::makeReadyFuture(picture);
        return picture;
    }
    return it->second.result();
}

void CShowPictures::Prefetch(int step)
{
    if (step < 0 || step >= static_cast<int>(m_sequence.Steps().size()) || m_pictures.count(step) ||
        Held() >= MaxHeld)
        return;
    const CShowStep copy = m_sequence.Steps()[static_cast<size_t>(step)];
    m_pictures[step] = QtConcurrent::run(&m_pool, [copy] { return Compose(copy); });
}

void CShowPictures::Keep(const std::vector<int>& steps)
{
    for (auto it = m_pictures.begin(); it != m_pictures.end();) {
        if (std::find(steps.begin(), steps.end(), it->first) == steps.end()) {
            // A read-ahead still running is waited for, so no more than
            // MaxHeld pictures ever exist at once.
            it->second.waitForFinished();
            it = m_pictures.erase(it);
        } else {
            ++it;
        }
    }
}
