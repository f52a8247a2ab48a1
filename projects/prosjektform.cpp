#include "projects/prosjektform.h"

#include "data/context.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "framework/viewmanager.h"
#include <limits>

#include "projects/prjlinje.h"
#include "projects/prosjektkartotek.h"

namespace tavlo {

ProsjektForm::ProsjektForm(Context& ctx, int request)
    : WindowManager(ctx, "ProsjektForm", Tbl::PROSJEKT, request)
{
}

int ProsjektForm::start()
{
    return init();
}

std::string ProsjektForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Nytt prosjekt";
    case ChangeRecord: return "Endre/vise prosjekt";
    default: return "View Record";
    }
}

std::unique_ptr<BrowseClass> ProsjektForm::linjer()
{
    Context& ctx = context();
    Record& prosjekt = record();
    auto primeLines = [&ctx, &prosjekt](int) {
        ctx.rec(Tbl::PRJLINJE).set(PLI::PROSJEKTID, prosjekt.get(PRJ::PROSJEKTID));
    };
    primeLines(0);
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::PRJLINJE);
    view->SETSORT(view->ADDSORTORDER(PLI::KeyProsjektId_Dato));
    view->ADDRANGE(PLI::PROSJEKTID.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        // The first column holds only the row's icon, drawn by the window.
        std::vector<PagedTableModel::Column>{{PLI::FAKTURAID.no, "", "@s2", Qt::AlignLeft,
                                              [](const Record&) { return std::string(); }},
                                             {PLI::DATO.no, "Dato", "@d06.B", {}},
                                             {PLI::TEKST.no, "Tekst", "@s50", {}},
                                             {PLI::INN.no, "Inn", "@n-14.`2B", Qt::AlignRight},
                                             {PLI::UT.no, "Ut", "@n-14.`2B", Qt::AlignRight}},
        std::vector<std::string>{"Dato"});
    list->model().rowMark = [](const Record& r) {
        if (r.get(PLI::FAKTURAID) == 0)
            return 0;
        return r.get(PLI::FAKLINJEID) != 0 ? int(MarkFakturalinje) : int(MarkFaktura);
    };
    // A line added here belongs to this project, even one whose id was typed just now.
    list->tabChanging = primeLines;
    if (readOnly())
        list->buttons = {false, false, false, false, false};
    return list;
}

bool ProsjektForm::kanLeggeTilLinjer()
{
    const std::string& id = record().get(PRJ::PROSJEKTID);
    if (text::trim(id).empty()) {
        say(context(), "Skriv inn en prosjekt-ID før prosjektlinjene.", "Advarsel",
            Icon::Exclamation);
        return false;
    }
    if (!prosjektIdPasser(context(), id))
        return false;
    if (originalRequest() == InsertRecord)
        nyeIder_.insert(id);
    return true;
}

void ProsjektForm::summer()
{
    Context& ctx = context();
    FileManager& pli = ctx.access(Tbl::PRJLINJE_ALIAS);
    if (pli.OPEN() != LEVEL_BENIGN)
        return;
    Decimal inn, ut;
    bool ok = true;
    Record& r = pli.rec();
    r.clear();
    r.set(PLIA::PROSJEKTID, record().get(PRJ::PROSJEKTID));
    // The key runs backwards by date: the project's newest possible date is where it starts.
    r.set(PLIA::DATO, std::numeric_limits<int32_t>::max());
    pli.SETAT(PLIA::KeyProsjektId_Dato);
    for (;;) {
        const int level = pli.TRYNEXT();
        if (level != LEVEL_BENIGN) {
            ok = pli.GETEOF();
            break;
        }
        if (r.get(PLIA::PROSJEKTID) != record().get(PRJ::PROSJEKTID))
            break;
        inn = inn + r.get(PLIA::INN);
        ut = ut + r.get(PLIA::UT);
    }
    pli.CLOSE();
    if (ok && record().set(PRJ::TOTALTINN, inn) && record().set(PRJ::TOTALTUT, ut))
        differanser();
}

void ProsjektForm::differanser()
{
    Record& r = record();
    r.set(PRJ::BUDSJETTDIFF, r.get(PRJ::BUDSJETTINN) - r.get(PRJ::BUDSJETTUT));
    r.set(PRJ::TOTALTDIFF, r.get(PRJ::TOTALTINN) - r.get(PRJ::TOTALTUT));
}

bool ProsjektForm::budsjettNegativ()
{
    return record().get(PRJ::BUDSJETTDIFF).isNegative();
}

bool ProsjektForm::totaltNegativ()
{
    return record().get(PRJ::TOTALTDIFF).isNegative();
}

std::string ProsjektForm::typeTekst()
{
    return ProsjektKartotek::typeFormat(context(), record().get(PRJ::TYPE));
}

std::string ProsjektForm::statusTekst()
{
    return ProsjektKartotek::statusFormat(context(), record().get(PRJ::STATUS));
}

std::string ProsjektForm::kundeTekst()
{
    return ProsjektKartotek::kundeFormat(context(), record().get(PRJ::KUNDEID));
}

void ProsjektForm::afterClose(int response)
{
    // A new project left unsaved takes the lines added to it along, unless a project of that
    // id is stored: they would belong to no project. The buffer is the caller's again by now,
    // so the ids are those the lines were added under.
    if (originalRequest() != InsertRecord || response != RequestCancelled)
        return;
    Context& ctx = context();
    FileManager& prj = ctx.access(Tbl::PROSJEKT_ALIAS);
    FileManager& pli = ctx.access(Tbl::PRJLINJE_ALIAS);
    if (prj.OPEN() != LEVEL_BENIGN)
        return;
    if (pli.OPEN() == LEVEL_BENIGN) {
        for (const std::string& id : nyeIder_) {
            prj.rec().clear();
            prj.rec().set(PRJA::PROSJEKTID, id);
            if (prj.TRYFETCH(PRJA::KeyProsjektId) == LEVEL_BENIGN)
                continue;
            for (;;) {
                pli.rec().clear();
                pli.rec().set(PLIA::PROSJEKTID, id);
                pli.rec().set(PLIA::DATO, std::numeric_limits<int32_t>::max());
                pli.SETAT(PLIA::KeyProsjektId_Dato);
                if (pli.TRYNEXT() != LEVEL_BENIGN || pli.rec().get(PLIA::PROSJEKTID) != id ||
                    pli.DELETERECORD(false) != LEVEL_BENIGN)
                    break;
            }
        }
        pli.CLOSE();
    }
    prj.CLOSE();
}

int ProsjektForm::validateRecord()
{
    const std::string& id = record().get(PRJ::PROSJEKTID);
    if (text::trim(id).empty()) {
        say(context(), "Prosjektet må ha en prosjekt-ID.", "Feil", Icon::Exclamation);
        return LEVEL_USER;
    }
    return prosjektIdPasser(context(), id) ? LEVEL_BENIGN : LEVEL_USER;
}

PrjLinjeForm::PrjLinjeForm(Context& ctx, int request)
    : WindowManager(ctx, "PrjLinjeForm", Tbl::PRJLINJE, request)
{
    settings().cancelAction = CANCEL_QUERY;
}

std::string PrjLinjeForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny prosjektlinje";
    case ChangeRecord: return "Endre/vise prosjektlinje";
    default: return "Vis prosjektlinje";
    }
}

void PrjLinjeForm::primeFields()
{
    Context& ctx = context();
    record().set(PLI::PROSJEKTID, ctx.rec(Tbl::PROSJEKT).get(PRJ::PROSJEKTID));
    record().set(PLI::DATO, date::today());
}

} // namespace tavlo
