#pragma once

#include <functional>
#include <memory>
#include <string>

class CScenarioEditor;
class CSlidePPTObj;
class CUserPrompt;
class CWorkRootUse;

// What one run of a front end shares between its projects. `main` of each
// front end (zelm, zelm-tessara) makes exactly one, after its
// QCoreApplication / QApplication and before any project, and keeps it to
// the end:
//
//     QApplication qt(argc, argv);
//     CZelmApplication app;              // names, settings, shared objects
//     if (!app.LoadResources())
//         return 1;                      // no bundle: end quietly
//
// It makes the program's one shared presentation object (the thumbnail
// window's), which the front end hands to every editor and browser it makes
// (nothing looks the application up): an editor borrows it when it expands
// a presentation that object has open.
class CZelmApplication
{
public:
    // Sets the organisation and application names (QSettings, folders)
    // when a QCoreApplication exists. `prompt` asks for the shared
    // presentation object; it may be set later.
    explicit CZelmApplication(CUserPrompt* prompt = nullptr);
    ~CZelmApplication();
    CZelmApplication(const CZelmApplication&) = delete;
    CZelmApplication& operator=(const CZelmApplication&) = delete;

    // The application object alive now, null when none (tests).
    static CZelmApplication* Instance();

    // Loads the resource bundle (messages, bitmaps); false when it is missing.
    bool LoadResources();
    void SetPrompt(CUserPrompt* prompt);

    // The program's shared presentation object, made on first use.
    CSlidePPTObj& SharedPresentation();
    // Gives an editor made without it what the program shares.
    void Attach(CScenarioEditor& editor);

private:
    CUserPrompt* m_prompt = nullptr;
    // The run's use of the work folders: the last program to end clears them.
    std::unique_ptr<CWorkRootUse> m_workRoot;
    std::unique_ptr<CSlidePPTObj> m_sharedPresentation;
};
