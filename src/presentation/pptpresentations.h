#pragma once

#include "base/filefailure.h"
#include "presentation/pptreader.h"

#include <memory>
#include <string>
#include <vector>

class CPptApplication;
class CPptPresentation;

// The presentations open in the presentation layer, counted from 1.
class CPptPresentations
{
public:
    explicit CPptPresentations(CPptApplication& application);
    ~CPptPresentations();
    CPptPresentations(const CPptPresentations&) = delete;
    CPptPresentations& operator=(const CPptPresentations&) = delete;

    int Count() const { return static_cast<int>(m_open.size()); }
    CPptPresentation* Item(int index) const;
    // Opens `path` read-only; null when it is no readable presentation, with
    // the reason in `why` and the reason to show in `failure` when given.
    CPptPresentation* Open(const std::string& path, CPptReader::Failure* why = nullptr,
                           CFileFailure* failure = nullptr);
    // Closes and destroys `presentation`.
    void Close(CPptPresentation* presentation);
    void CloseAll();

private:
    CPptApplication& m_application;
    std::vector<std::unique_ptr<CPptPresentation>> m_open;
};
