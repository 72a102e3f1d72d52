#include "presentation/pdfpageimages.h"

#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

CPdfPageImages::CPdfPageImages(std::string pdf, int threads) : m_pdf(std::move(pdf))
{
    if (threads <= 0)
        threads = std::clamp(QThread::idealThreadCount(), 1, 4);
    m_documents.resize(size_t(threads));
}

CPdfPageImages::~CPdfPageImages() = default;

QSize CPdfPageImages::DisplayFrame()
{
    return QSize(CImagingProcedures::kWorkWidth, CImagingProcedures::kWorkHeight);
}

QSize CPdfPageImages::DisplaySize(const QSizeF& points, const QSize& frame)
{
    if (!(points.width() > 0) || !(points.height() > 0) || points.width() > 1e6 ||
        points.height() > 1e6 || frame.isEmpty())
        return {};
    // The page in hundredths of a point, so that the fitting keeps the
    // proportions to well below a pixel.
    const QSize fine(int(std::lround(points.width() * 100)),
                     int(std::lround(points.height() * 100)));
    const QSize fitted = CImagingProcedures::FitSize(fine.expandedTo(QSize(1, 1)), frame);
    return fitted.expandedTo(QSize(1, 1));
}

QImage CPdfPageImages::RenderPage(const CPdfDocument& document, int page, const QSize& frame)
{
    if (page < 1 || page > document.PageCount())
        return {};
    const QSizeF points = document.PageSize(page - 1);
    const QSize size = DisplaySize(points, frame);
    if (!size.isValid())
        return {};
    QImage image =
        document.Render(page - 1, 72.0 * size.width() / points.width(),
                        72.0 * size.height() / points.height(), size.width(), size.height());
    if (image.isNull())
        return {};
    // Rounding in the renderer may give a pixel less.
    if (image.size() != size)
        image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool CPdfPageImages::RunOn(int thread, int stride, std::vector<Job>& jobs)
{
    std::unique_ptr<CPdfDocument>& document = m_documents[size_t(thread)];
    if (!document)
        document = CPdfDocument::Open(m_pdf);
    CLead lead;
    lead.SetDurableWrites(false);
    bool all = true;
    for (size_t i = size_t(thread); i < jobs.size(); i += size_t(stride)) {
        Job& job = jobs[i];
        job.written = false;
        const QImage image = document ? RenderPage(*document, job.page) : QImage();
        QImage display;
        job.written = !image.isNull() && !job.destination.empty() &&
                      CImagingProcedures::WriteWorkImage(lead, image, job.destination, job.size,
                                                         &display) == 1;
        if (job.written && !job.thumbDestination.empty())
            job.written = CImagingProcedures::CreateThumbImageFrom(
                              lead, display, job.thumbDestination, job.thumbBox.width(),
                              job.thumbBox.height(), job.thumbSize) == 1;
        if (!job.written) {
            std::remove(job.destination.c_str());
            if (!job.thumbDestination.empty())
                std::remove(job.thumbDestination.c_str());
            all = false;
        }
    }
    return all;
}

bool CPdfPageImages::Run(std::vector<Job>& jobs)
{
    const int used = std::min(Threads(), int(jobs.size()));
    if (used <= 1)
        return jobs.empty() || RunOn(0, 1, jobs);
    std::vector<char> results(size_t(used), 0);
    // A pool of its own: the caller may itself be one of a shared pool's
    // threads, waiting here.
    QThreadPool pool;
    pool.setMaxThreadCount(used - 1);
    std::vector<QFuture<void>> workers;
    for (int t = 1; t < used; ++t)
        workers.push_back(QtConcurrent::run(
            &pool, [&, t] { results[size_t(t)] = RunOn(t, used, jobs) ? 1 : 0; }));
    results[0] = RunOn(0, used, jobs) ? 1 : 0;
    for (QFuture<void>& worker : workers)
        worker.waitForFinished();
    return std::all_of(results.begin(), results.end(), [](char ok) { return ok != 0; });
}
