// The program's PDF module: CPdfDocument over poppler. It is loaded at the
// first PDF (see CPdfDocument) and uses nothing of the program but that
// class's declaration.
#include "presentation/pdfdocument.h"

#include <memory>
#include <mutex>
#include <poppler-qt6.h>
#include <poppler-version.h>

namespace {

class CPopplerDocument final : public CPdfDocument
{
public:
    explicit CPopplerDocument(std::unique_ptr<Poppler::Document> document)
        : m_document(std::move(document))
    {
        m_document->setRenderHint(Poppler::Document::Antialiasing, true);
        m_document->setRenderHint(Poppler::Document::TextAntialiasing, true);
        m_document->setRenderHint(Poppler::Document::TextHinting, true);
    }

    int PageCount() const override { return m_document->numPages(); }

    QSizeF PageSize(int index) const override
    {
        if (index < 0 || index >= m_document->numPages())
            return {};
        const std::unique_ptr<Poppler::Page> page = m_document->page(index);
        return page ? page->pageSizeF() : QSizeF();
    }

    QImage Render(int index, double xDpi, double yDpi, int width, int height) const override
    {
        if (index < 0 || index >= m_document->numPages())
            return {};
        const std::unique_ptr<Poppler::Page> page = m_document->page(index);
        return page ? page->renderToImage(xDpi, yDpi, 0, 0, width, height) : QImage();
    }

private:
    std::unique_ptr<Poppler::Document> m_document;
};

} // namespace

extern "C" __attribute__((visibility("default"))) CPdfDocument* ZelmPdfOpen(const char* path,
                                                                            int* status)
{
    // Poppler's own complaints about damaged documents would reach the
    // terminal; the reason reaches the user as one message instead.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
    });
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(QString::fromUtf8(path));
    if (!document) {
        *status = CPdfDocument::Unreadable;
        return nullptr;
    }
    if (document->isLocked()) {
        *status = CPdfDocument::Locked;
        return nullptr;
    }
    *status = CPdfDocument::Opened;
    return new CPopplerDocument(std::move(document));
}

extern "C" __attribute__((visibility("default"))) const char* ZelmPdfVersion()
{
    return POPPLER_VERSION;
}
