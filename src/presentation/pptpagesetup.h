#pragma once

// Page setup of an open presentation: the number of its first slide (read
// from the file; changing it renumbers the slides of the open presentation
// only, the file is never written) and the slide size in points.
class CPptPageSetup
{
public:
    CPptPageSetup(int firstSlideNumber, double slideWidth, double slideHeight)
        : m_firstSlideNumber(firstSlideNumber), m_slideWidth(slideWidth), m_slideHeight(slideHeight)
    {}

    int FirstSlideNumber() const { return m_firstSlideNumber; }
    void SetFirstSlideNumber(int number) { m_firstSlideNumber = number; }
    double SlideWidth() const { return m_slideWidth; }
    double SlideHeight() const { return m_slideHeight; }

private:
    int m_firstSlideNumber;
    double m_slideWidth;
    double m_slideHeight;
};
