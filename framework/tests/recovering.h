#pragma once
// Tests run with TAVLO_ABORT_ON_ASSERT set, so that a soft assert stops them. A test of what a
// soft assert recovers to turns it off for a while.
#include <cstdlib>
#include <optional>
#include <string>

namespace tavlo::testing {

class RecoveringAsserts {
  public:
    RecoveringAsserts()
    {
        if (const char* v = std::getenv(kVariable))
            saved_ = v;
        unsetenv(kVariable);
    }
    ~RecoveringAsserts()
    {
        if (saved_)
            setenv(kVariable, saved_->c_str(), 1);
    }
    RecoveringAsserts(const RecoveringAsserts&) = delete;
    RecoveringAsserts& operator=(const RecoveringAsserts&) = delete;

    static constexpr const char* kVariable = "TAVLO_ABORT_ON_ASSERT";

  private:
    std::optional<std::string> saved_;
};

} // namespace tavlo::testing
