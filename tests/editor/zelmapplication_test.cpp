// The application object of a front end: the one shared presentation object
// that the front end hands to every editor it makes.
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "editor/zelmapplication.h"
#include "presentation/slidepptobj.h"

#include <gtest/gtest.h>

TEST(ZelmApplication, EditorsGivenItsPresentationObjectShareIt)
{
    CZurDoc doc;
    {
        CScenarioEditor before(doc);
        EXPECT_EQ(before.SharedPresentation(), nullptr);
    }
    {
        CZelmApplication app;
        EXPECT_EQ(CZelmApplication::Instance(), &app);
        CSlidePPTObj* shared = &app.SharedPresentation();
        EXPECT_EQ(&app.SharedPresentation(), shared) << "one object for the whole program";
        CScenarioEditor first(doc, shared);
        CZurDoc other;
        CScenarioEditor second(other);
        EXPECT_EQ(second.SharedPresentation(), nullptr) << "nothing looks the application up";
        app.Attach(second);
        EXPECT_EQ(first.SharedPresentation(), shared);
        EXPECT_EQ(second.SharedPresentation(), shared);
        // A second application object does not take over.
        CZelmApplication nested;
        EXPECT_EQ(CZelmApplication::Instance(), &app);
    }
    EXPECT_EQ(CZelmApplication::Instance(), nullptr);
    CScenarioEditor after(doc);
    EXPECT_EQ(after.SharedPresentation(), nullptr);
}
