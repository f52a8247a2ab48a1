#pragma once
// Codes of KODEVERK put in and read back through the record store, for the code-set tests.
#include <map>
#include <string>
#include <utility>

#include "data/tests/fixture.h"

namespace tavlo::testing {

class CodesTest : public DataFolderTest {
  protected:
    using Codes = std::map<std::pair<int32_t, int32_t>, Record>;

    // Every stored code, read as another program would.
    Codes codes()
    {
        Context other(&errors);
        auto& kod = other.access(Tbl::KODEVERK);
        kod.OPEN();
        Codes all;
        kod.SET(KOD::KeyGruppe_Nr);
        while (kod.NEXT() == LEVEL_BENIGN)
            all.emplace(std::make_pair(kod.rec().get(KOD::GRUPPE), kod.rec().get(KOD::NR)),
                        kod.rec());
        kod.CLOSE();
        return all;
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> t;
        for (const auto& m : answers.shown)
            t.push_back(m.text);
        return t;
    }
};

} // namespace tavlo::testing
