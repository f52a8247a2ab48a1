#pragma once
// A test's own context over a fixture's data folder; every window the context opened goes with
// the test, and whatever the windows queued as they went is run before the context does.
#include <QApplication>
#include <QWidget>

#include <memory>

#include "data/context.h"
#include "data/tests/fixture.h"
#include "framework/widgets/contextwindows.h"

namespace tavlo::testing {

template <class Fixture = DataFolderTest> class WithWindows : public Fixture {
  protected:
    void SetUp() override
    {
        Fixture::SetUp();
        ctx = std::make_unique<Context>(&this->errors);
    }
    void TearDown() override
    {
        for (QWidget* w : contextwindows::windows(*ctx))
            delete w;
        QApplication::processEvents();
        ctx.reset();
        Fixture::TearDown();
    }

    std::unique_ptr<Context> ctx;
};

} // namespace tavlo::testing
