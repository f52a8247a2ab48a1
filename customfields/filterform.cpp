#include "customfields/filterform.h"

#include "data/context.h"
#include "data/filterproc.h"
#include "data/globals.h"
#include "framework/text.h"

namespace tavlo {

const std::vector<RegisterTab>& filterTabs()
{
    static const std::vector<RegisterTab> tabs = {{"Kunde", TABELL_KUNDE},
                                                  {"Produkt", TABELL_PRODUKT},
                                                  {"Faktura", TABELL_FAKTURA},
                                                  {"Grunnlag", TABELL_GRUNNLAG},
                                                  {"Prosjekt", TABELL_PROSJEKT}};
    return tabs;
}

FilterForm::FilterForm(Context& ctx, int32_t tableNo, int request)
    : WindowManager(ctx, "FilterForm", Tbl::FILTER, request), tableNo_(tableNo)
{
}

std::string FilterForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Nytt standardfilter";
    case ChangeRecord: return "Endre/vise standardfilter";
    }
    return "View Record";
}

bool FilterForm::buildFilter()
{
    if (readOnly())
        return false;
    const std::string& current = record().get(FIL::FILTERSTRENG);
    const std::size_t first = current.find_first_not_of(' ');
    GLO::FILTER = text::truncate(text::rtrim(first == std::string::npos
                                                 ? std::string_view{}
                                                 : std::string_view(current).substr(first)),
                                 kBuilderLength);
    std::string built = current;
    if (LAGFILTER(context(), record().get(FIL::TABELLNR), built) != 1)
        return false;
    record().set(FIL::FILTERSTRENG, built);
    return true;
}

void FilterForm::primeFields()
{
    record().set(FIL::TABELLNR, tableNo_);
}

} // namespace tavlo
