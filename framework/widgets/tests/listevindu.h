#pragma once
// The limits window of a printed list under test: its controls by name, a field typed into as a
// user would, and the print preview the list opens in.
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "data/globals.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/tests/windowfixture.h"

namespace tavlo::testing {

class ListevinduTest : public WithWindows<DataFolderTest> {
  protected:
    // Opens the window with `open`, the preview turned on, as `w`.
    void apne(void (*open)(Context&))
    {
        GLO::PREVIEW = 1;
        open(*ctx);
        w = contextwindows::windows(*ctx).back();
    }
    template <class T = QLineEdit> T* child(const char* name)
    {
        auto* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(c) << name;
        return c;
    }
    static void type(QLineEdit* e, const QString& text)
    {
        e->setFocus();
        e->clear();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    // The list runs off timer events; its preview comes when the run is done (null after a
    // second without one).
    PrintPreviewClass* preview()
    {
        for (int i = 0; i < 200; ++i) {
            for (QWidget* x : contextwindows::windows(*ctx))
                if (auto* p = dynamic_cast<PrintPreviewClass*>(x))
                    return p;
            QTest::qWait(5);
        }
        return nullptr;
    }

    QWidget* w = nullptr;
};

} // namespace tavlo::testing
