#include "data/filterproc.h"

#include <algorithm>

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/answer.h"
#include "framework/filterexpr.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {
namespace {

// Reads the saved filter into a copy. Runs as a procedure of its own for the record store, so
// that a caller in this context that has FILTER open gets its record and position back.
bool findFilter(Context& ctx, std::string_view procedure, int32_t tableNo, int32_t filterNo,
                Record& out)
{
    if (filterNo == 0)
        return false;
    ProcedureScope scope(ctx, procedure);
    FileManager& fil = ctx.access(Tbl::FILTER);
    fil.OPEN();
    fil.rec().clear();
    fil.rec().set(FIL::TABELLNR, tableNo);
    fil.rec().set(FIL::FILTERNR, filterNo);
    const bool found = fil.FETCH(FIL::KeyTabellNr_FilterNr) == LEVEL_BENIGN;
    if (found)
        out.copyFrom(fil.rec());
    fil.CLOSE();
    return found;
}

// Blanks only count as empty: a tab is a list element like any other text.
bool blank(std::string_view s)
{
    return s.find_first_not_of(' ') == std::string_view::npos;
}

// Bytes taken by the first `chars` characters.
std::size_t bytesOf(std::string_view s, std::size_t chars)
{
    return text::truncate(s, chars).size();
}

} // namespace

int LAGFILTER(Context& ctx, int32_t tableNo, std::string& filter)
{
    ProcedureScope scope(ctx, "LAGFILTER");
    AnswerService* answers = ctx.errors().answers();
    if (!answers || !answers->buildFilter(tableNo, GLO::FILTER))
        return 0;
    filter = text::truncate(GLO::FILTER, FilterExpr::kMaxLength);
    return 1;
}

int32_t HENTFILTER(Context& ctx, int32_t tableNo, std::string& filter, std::string& description)
{
    ProcedureScope scope(ctx, "HENTFILTER");
    FileManager& fil = ctx.access(Tbl::FILTER);
    fil.OPEN();
    fil.rec().clear();
    fil.rec().set(FIL::TABELLNR, tableNo);
    ViewManager view;
    view.INIT(ctx, Tbl::FILTER);
    for (KeyRef key : {FIL::KeyTabellNr_FilterNr, FIL::KeyTabellNr_FilterNavn}) {
        view.SETSORT(view.ADDSORTORDER(key));
        view.ADDRANGE(FIL::TABELLNR.no);
    }
    view.SETSORT(1);
    PickList list{"Velg filter",
                  {{FIL::FILTERNR.no, "Nr", "@n_8"}, {FIL::FILTERNAVN.no, "Navn", "@s50"}},
                  {"Nummerisk sortering", "Alfabetisk sortering"},
                  FIL::BESKRIVELSE.no};
    int32_t result = 0;
    if (pickFromView(ctx, view, list)) {
        filter = fil.rec().get(FIL::FILTERSTRENG);
        description = fil.rec().get(FIL::BESKRIVELSE);
        result = fil.rec().get(FIL::FILTERNR);
    }
    view.CLOSE();
    fil.CLOSE();
    return result;
}

int SETFILTER(Context& ctx, int32_t tableNo, int32_t filterNo, std::string& filter,
              std::string& description)
{
    Record saved(table(Tbl::FILTER));
    if (!findFilter(ctx, "SETFILTER", tableNo, filterNo, saved)) {
        filter.clear();
        description.clear();
        return 0;
    }
    filter = saved.get(FIL::FILTERSTRENG);
    description = saved.get(FIL::BESKRIVELSE);
    return 1;
}

void VISFILTER(Context& ctx, int32_t tableNo, int32_t filterNo, std::string& name)
{
    Record saved(table(Tbl::FILTER));
    if (findFilter(ctx, "VISFILTER", tableNo, filterNo, saved))
        name = saved.get(FIL::FILTERNAVN);
    else
        name.clear();
}

std::string HENTDELSTRENG(std::string_view text, int index, std::string_view separators)
{
    return text::element(text, index, separators);
}

std::string LEGGTILSTRENGELEMENT(std::string_view list, std::string_view element,
                                 std::string_view separator)
{
    if (blank(list))
        return std::string(element);
    if (blank(element))
        return std::string(list);
    std::string out(list);
    out += separator;
    out += element;
    return out;
}

std::string SETTINNTEKST(std::string_view text, std::string_view insert, int position, int end)
{
    const std::size_t pos = static_cast<std::size_t>(std::max(position, 1));
    std::string out = text::truncate(text, pos - 1);
    out += insert;
    // The rest never starts before `position`: an end in front of it would repeat characters.
    std::size_t from = pos;
    if (end != 0)
        from = std::max(pos, static_cast<std::size_t>(std::max(end, 0)) + 1);
    out += text.substr(bytesOf(text, from - 1));
    return out;
}

} // namespace tavlo
