#pragma once

#include <QSize>
#include <functional>
#include <memory>
#include <string>

// What a cell needs from its project to make its pictures. The project
// document implements it; tests use a host that runs the real imaging
// procedures. Results: 1 success, 0 failure.
class CCellHost
{
public:
    // Makes a host for one worker thread (hosts are never shared).
    using Factory = std::function<std::unique_ptr<CCellHost>()>;

    virtual ~CCellHost() = default;

    // Display image: PNG fitted into 1024 x 768; `size` receives its size.
    virtual int CreateWorkImage(const std::string& source, const std::string& destination,
                                QSize& size) = 0;
    // Thumbnail: JPEG scaled by thumb / (1024 x 768); `size` receives its size.
    virtual int CreateThumbImage(const std::string& source, const std::string& destination,
                                 int thumbWidth, int thumbHeight, QSize& size) = 0;
    // Card picture (1024 x 768, or 160 x 120 when `thumbnail`) on the
    // project's background colour, in the project's card format.
    virtual int CreateCardImage(const std::string& source, const std::string& destination,
                                bool thumbnail) = 0;
    // Whether the pictures made reach the disk before a call returns (the
    // default); pictures staged for a copy that is made durable need not.
    virtual void SetDurableWrites(bool durable) { (void)durable; }
    // Picture of page `page` (1-based) of presentation `presentation`, written
    // to `destination` at width x height. Without a presentation layer it fails.
    virtual bool ExportPresentationSlide(const std::string& presentation, int page,
                                         const std::string& destination, int width, int height)
    {
        (void)presentation, (void)page, (void)destination, (void)width, (void)height;
        return false;
    }
};
