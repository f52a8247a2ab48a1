#include "data/lookups.h"

#include "data/context.h"
#include "framework/text.h"
#include "framework/viewmanager.h"

namespace tavlo {
namespace {

// One fetch by the primary key on an alias table, left in its buffer; a miss clears the buffer.
// The table is opened around the fetch: a caller that has it open keeps its count, and one that
// has not is not ended by a use-before-open error.
bool fetch(Context& ctx, Tbl alias, KeyRef key, const std::function<void(Record&)>& setKey)
{
    auto& m = ctx.access(alias);
    m.OPEN();
    m.rec().clear();
    setKey(m.rec());
    bool found = m.TRYFETCH(key) == LEVEL_BENIGN;
    if (!found)
        m.rec().clear();
    // Closing gives a caller that holds the table open its earlier record back; what was
    // fetched is what the buffer must hold afterwards.
    const Record got = m.rec();
    m.CLOSE();
    m.rec() = got;
    return found;
}

} // namespace

// A zero id is "not found" without a read.
static bool setById(Context& ctx, Tbl alias, KeyRef key, IntField idField, int32_t id)
{
    if (id == 0) {
        ctx.rec(alias).clear();
        return false;
    }
    return fetch(ctx, alias, key, [&](Record& r) { r.set(idField, id); });
}

bool SETKODA(Context& ctx, int32_t group, int32_t code)
{
    if (group == 0 || code == 0) {
        ctx.rec(Tbl::KODEVERK_ALIAS).clear();
        return false;
    }
    return fetch(ctx, Tbl::KODEVERK_ALIAS, KODA::KeyGruppe_Nr, [&](Record& r) {
        r.set(KODA::GRUPPE, group);
        r.set(KODA::NR, code);
    });
}

bool SETKUNA(Context& ctx, int32_t id)
{
    return setById(ctx, Tbl::KUNDE_ALIAS, KUNA::KeyKundeId, KUNA::KUNDEID, id);
}

bool SETPROA(Context& ctx, int32_t id)
{
    return setById(ctx, Tbl::PRODUKT_ALIAS, PROA::KeyProduktId, PROA::PRODUKTID, id);
}

bool SETGRUA(Context& ctx, int32_t id)
{
    return setById(ctx, Tbl::GRUNNLAG_ALIAS, GRUA::KeyGrunnlagId, GRUA::GRUNNLAGID, id);
}

std::string codeText(Context& ctx, int32_t group, int32_t code)
{
    return SETKODA(ctx, group, code) ? ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST)
                                     : std::string();
}

void VISKODA(Context& ctx, int32_t group, int32_t& code, std::string& text,
             std::optional<int> flags)
{
    if (SETKODA(ctx, group, code)) {
        text = ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST);
        return;
    }
    text.clear();
    if (!flags)
        return;
    if (*flags & 1)
        ctx.errors().answers()->message({"Kode " + std::to_string(code) +
                                             " finnes ikke i kodeverksgruppe " +
                                             std::to_string(group),
                                         "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
    if (*flags & 2)
        code = 0;
}

int VISKUNA(Context& ctx, int32_t id, std::string& text)
{
    text = SETKUNA(ctx, id) ? ctx.rec(Tbl::KUNDE_ALIAS).get(KUNA::NAVN) : std::string();
    return 0;
}

void VISPROA(Context& ctx, int32_t id, std::string& text)
{
    text = SETPROA(ctx, id) ? ctx.rec(Tbl::PRODUKT_ALIAS).get(PROA::NAVN) : std::string();
}

void VISGRUA(Context& ctx, int32_t id, std::string& text)
{
    text = SETGRUA(ctx, id) ? ctx.rec(Tbl::GRUNNLAG_ALIAS).get(GRUA::TEKST) : std::string();
}

void VISKONA(Context& ctx, int32_t id, std::string& text)
{
    bool found = setById(ctx, Tbl::KONTAKT_ALIAS, KONA::KeyKontaktId, KONA::KONTAKTID, id);
    text = found ? ctx.rec(Tbl::KONTAKT_ALIAS).get(KONA::NAVN) : std::string();
}

void VISPRJA(Context& ctx, const std::string& id, std::string& text)
{
    bool found = !text::trim(id).empty() &&
                 fetch(ctx, Tbl::PROSJEKT_ALIAS, PRJA::KeyProsjektId,
                       [&](Record& r) { r.set(PRJA::PROSJEKTID, text::rtrim(id)); });
    text = found ? ctx.rec(Tbl::PROSJEKT_ALIAS).get(PRJA::NAVN) : std::string();
}

void VISPLIA(Context& ctx, int32_t id, std::string& text)
{
    bool found = setById(ctx, Tbl::PRJLINJE_ALIAS, PLIA::KeyPrjLinjeId, PLIA::PRJLINJEID, id);
    text = found ? ctx.rec(Tbl::PRJLINJE_ALIAS).get(PLIA::TEKST) : std::string();
}

bool pickFromView(Context& ctx, ViewManager& view, const PickList& list)
{
    auto& m = view.file();
    uint16_t start = m.SAVEBUFFER();
    view.OPEN();
    bool any = view.NEXT() == LEVEL_BENIGN;
    m.RESTOREBUFFER(start, true);
    bool chosen = false;
    if (any) {
        view.RESETAT();
        chosen = ctx.errors().answers() && ctx.errors().answers()->pickFromList(view, list);
    }
    return chosen;
}

int32_t HENTKODA(Context& ctx, int32_t group, int32_t current)
{
    ProcedureScope scope(ctx, "HENTKODA");
    auto& kod = ctx.access(Tbl::KODEVERK_ALIAS);
    kod.OPEN();
    SETKODA(ctx, group, current);
    kod.rec().set(KODA::GRUPPE, group);
    kod.rec().set(KODA::NR, current);
    ViewManager view;
    view.INIT(ctx, Tbl::KODEVERK_ALIAS);
    for (KeyRef key : {KODA::KeyGruppe_Nr, KODA::KeyGruppe_Tekst}) {
        view.SETSORT(view.ADDSORTORDER(key));
        view.ADDRANGE(KODA::GRUPPE.no);
        view.SETFILTER("(KODA:IkkeIBruk = 0)");
    }
    view.SETSORT(1);
    PickList list{"Velg kode",
                  {{KODA::NR.no, "Nr", "@n_5"}, {KODA::TEKST.no, "Tekst", "@s50"}},
                  {"Nummerisk sortering", "Alfabetisk sortering"}};
    int32_t result = pickFromView(ctx, view, list) ? kod.rec().get(KODA::NR) : current;
    view.CLOSE();
    kod.CLOSE();
    return result;
}

int32_t HENTKUNA(Context& ctx, int32_t current)
{
    ProcedureScope scope(ctx, "HENTKUNA");
    auto& kun = ctx.access(Tbl::KUNDE_ALIAS);
    kun.OPEN();
    if (!SETKUNA(ctx, current))
        kun.rec().clear();
    ViewManager view;
    view.INIT(ctx, Tbl::KUNDE_ALIAS);
    view.ADDSORTORDER(KUNA::KeyNavn);
    view.ADDSORTORDER(KUNA::KeyKundeId);
    PickList list{"Velg kunde",
                  {{KUNA::KUNDEID.no, "Nr", "@n_8"}, {KUNA::NAVN.no, "Navn", "@s50"}},
                  {"Alfabetisk sortering", "Nummerisk sortering"}};
    int32_t result = pickFromView(ctx, view, list) ? kun.rec().get(KUNA::KUNDEID) : 0;
    view.CLOSE();
    kun.CLOSE();
    return result;
}

std::string HENTKONA(Context& ctx, int32_t customerId, const std::string& currentName)
{
    ProcedureScope scope(ctx, "HENTKONA");
    auto& kon = ctx.access(Tbl::KONTAKT_ALIAS);
    kon.OPEN();
    kon.rec().clear();
    kon.rec().set(KONA::KUNDEID, customerId);
    kon.rec().set(KONA::NAVN, currentName);
    ViewManager view;
    view.INIT(ctx, Tbl::KONTAKT_ALIAS);
    view.ADDSORTORDER(KONA::KeyKundeId_Navn);
    view.ADDRANGE(KONA::KUNDEID.no);
    PickList list{"Velg kontaktperson",
                  {{KONA::KONTAKTID.no, "Id", "@n_8"}, {KONA::NAVN.no, "Navn", "@s50"}},
                  {}};
    std::string result = pickFromView(ctx, view, list) ? kon.rec().get(KONA::NAVN) : currentName;
    view.CLOSE();
    kon.CLOSE();
    return result;
}

std::string SNUNAVN(const std::string& name)
{
    std::string clipped(text::rtrim(name));
    auto comma = clipped.find(',');
    if (comma == std::string::npos)
        return clipped;
    std::string after = text::truncate(text::trim(clipped.substr(comma + 1)), 30);
    std::string before(text::rtrim(clipped.substr(0, comma)));
    return std::string(text::trim(std::string(text::rtrim(after)) + " " + before));
}

} // namespace tavlo
