#include "customfields/egendef.h"

#include <climits>

#include "data/context.h"
#include "framework/filemanager.h"
#include "framework/text.h"

namespace tavlo {

std::optional<Tbl> tableOf(int32_t tableNo)
{
    switch (tableNo) {
    case TABELL_KUNDE: return Tbl::KUNDE;
    case TABELL_PRODUKT: return Tbl::PRODUKT;
    case TABELL_FAKTURA: return Tbl::FAKTURA;
    case TABELL_GRUNNLAG: return Tbl::GRUNNLAG;
    case TABELL_PROSJEKT: return Tbl::PROSJEKT;
    }
    return std::nullopt;
}

int32_t definitionTable(int32_t tableNo)
{
    return tableNo == TABELL_GRUNNLAG ? TABELL_FAKTURA : tableNo;
}

const std::array<std::string, 20>& spareFieldNames()
{
    static const std::array<std::string, 20> names = [] {
        std::array<std::string, 20> n;
        for (int i = 1; i <= 20; ++i)
            n[i - 1] = i <= 10   ? "Heltall " + std::to_string(i)
                       : i <= 15 ? "Desimaltall " + std::to_string(i - 10)
                                 : "Tekst " + std::to_string(i - 15);
        return n;
    }();
    return names;
}

int spareFieldIndex(std::string_view name)
{
    const std::string wanted = text::upper(text::rtrim(name));
    const auto& names = spareFieldNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (text::upper(names[i]) == wanted)
            return static_cast<int>(i) + 1;
    return 0;
}

int spareField(Tbl table, int index)
{
    if (index < 1 || index > 20)
        return -1;
    std::string column = text::upper(spareFieldNames()[index - 1]);
    column.erase(column.find(' '), 1);
    return tavlo::table(table).fieldNo(column);
}

CustomFields OPPRETTEGENDEFINERTEFELT(Context& ctx, int32_t tableNo,
                                      std::array<int32_t, 10>& groups, int32_t x, int32_t y)
{
    ProcedureScope scope(ctx, "OPPRETTEGENDEFINERTEFELT");
    CustomFields out;
    const std::optional<Tbl> bound = tableOf(tableNo);
    const int32_t t = definitionTable(tableNo);
    const int left = x + 8, top = y + 20;
    // A second definition of the same spare field takes the first one's place.
    auto add = [&out](CustomControl c) {
        std::erase_if(out.controls, [&c](const CustomControl& o) { return o.index == c.index; });
        out.controls.push_back(std::move(c));
    };

    FileManager& egn = ctx.access(Tbl::EGENDEF);
    egn.OPEN();
    Record& r = egn.rec();
    r.clear();
    r.set(EGN::TABELLNR, t);
    r.set(EGN::FELTNR, INT32_MIN);
    egn.SETAT(EGN::KeyTabellNr_FeltNr);
    while (egn.NEXT() == LEVEL_BENIGN && r.get(EGN::TABELLNR) == t) {
        ++out.count;
        const int index = spareFieldIndex(r.get(EGN::FELTNAVN));
        if (index == 0 || !bound) {
            say(ctx,
                "Det oppsto feil under forsøk på å opprette egendefinert felt. Ukjent feltnavn: " +
                    r.get(EGN::FELTNAVN),
                "Feil", Icon::Hand);
            continue;
        }
        CustomControl c;
        c.index = index;
        c.field = spareField(*bound, index);
        c.text = r.get(EGN::LEDETEKST);
        c.valueRect = {r.get(EGN::FELTPOSX) + left, r.get(EGN::FELTPOSY) + top,
                       r.get(EGN::FELTPOSW), r.get(EGN::FELTPOSH)};
        if (r.get(EGN::AVKRYSSNINGSFELT) != 0) {
            // The box carries its own text: no prompt, format or lookup.
            c.checkBox = true;
            add(std::move(c));
            continue;
        }
        if (!text::rtrim(c.text).empty()) {
            c.prompt = true;
            c.promptRect = {r.get(EGN::LEDETEKSTPOSX) + left, r.get(EGN::LEDETEKSTPOSY) + top,
                            r.get(EGN::LEDETEKSTPOSW), r.get(EGN::LEDETEKSTPOSH)};
        }
        if (const std::string format(text::trim(r.get(EGN::FELTFORMAT))); !format.empty()) {
            c.picture = r.get(EGN::FELTFORMAT);
            // Numbers, dates and times line up on the right.
            const char kind = format.size() > 1 ? format[1] : ' ';
            const bool right = kind == 'N' || kind == 'n' || kind == 'D' || kind == 'd' ||
                               kind == 'T' || kind == 't';
            c.alignment = right ? Alignment::Right : Alignment::Left;
            c.offset = right ? 1 : 0;
        }
        c.group = r.get(EGN::OPPSLAGKODEVERKGR);
        if (c.group != 0) {
            c.codeRect = {c.valueRect.x + c.valueRect.w + 3, c.valueRect.y, r.get(EGN::OPPSLAGPOSW),
                          c.valueRect.h};
            if (index <= 10) {
                c.lookup = index;
                groups[index - 1] = c.group;
            }
        }
        add(std::move(c));
    }
    egn.CLOSE();
    return out;
}

EgenDefEnabling egenDefEnabling(const Record& egn)
{
    if (egn.get(EGN::AVKRYSSNINGSFELT) != 0)
        return {false, false, false, false};
    return {true, true, true, egn.get(EGN::OPPSLAGPOSW) != 0};
}

EgenDefForm::EgenDefForm(Context& ctx, int32_t tableNo, int request)
    : WindowManager(ctx, "EgenDefForm", Tbl::EGENDEF, request), tableNo_(tableNo)
{
}

std::string EgenDefForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Nytt egendefinert felt";
    case ChangeRecord: return "Endre/vise egendefinert felt";
    }
    return "View Record";
}

void EgenDefForm::primeFields()
{
    record().set(EGN::TABELLNR, tableNo_);
}

const std::vector<RegisterTab>& egenDefTabs()
{
    static const std::vector<RegisterTab> tabs = {{"Kunde", TABELL_KUNDE},
                                                  {"Produkt", TABELL_PRODUKT},
                                                  {"Faktura/Grunnlag", TABELL_FAKTURA},
                                                  {"Prosjekt", TABELL_PROSJEKT}};
    return tabs;
}

} // namespace tavlo
