#include "shell/procedures.h"

#include "codesets/view/codesets_view.h"
#include "customers/view/customers_view.h"
#include "customfields/widgets/egendefbrowse.h"
#include "customfields/widgets/filterbrowse.h"
#include "data/view/data_view.h"
#include "data/view/parameterbilde.h"
#include "products/view/products_view.h"
#include "shell/frame.h"

namespace tavlo::tlma {

void addProcedures(Frame& frame)
{
    frame.addProcedure("PARAMETERBILDE", [](Context& c) { PARAMETERBILDE(c); });
    frame.addProcedure("KODEVERKKARTOTEK", [](Context& c) { desktop::KODEVERKKARTOTEK(c); });
    frame.addProcedure("IMPORTEKSPORTKODEVERK",
                       [](Context& c) { desktop::IMPORTEKSPORTKODEVERK(c); });
    frame.addProcedure("BACKUP", [](Context& c) { desktop::BACKUP(c); });
    frame.addProcedure("LAGFILER", [](Context& c) { desktop::LAGFILER(c); });
    frame.addProcedure("EGENDEFBROWSE", EGENDEFBROWSE);
    frame.addProcedure("KUNDEKARTOTEK", [](Context& c) { desktop::KUNDEKARTOTEK(c); });
    frame.addProcedure("PRODUKTKARTOTEK", [](Context& c) { desktop::PRODUKTKARTOTEK(c); });
    frame.addProcedure("FILTERBROWSE", FILTERBROWSE);
}

} // namespace tavlo::tlma
