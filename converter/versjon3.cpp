#include "converter/versjon3.h"

#include <algorithm>
#include <map>
#include <memory>

namespace tavlo::omlegg {
namespace {

const std::map<Tbl, std::vector<std::string>>& endringer()
{
    static const std::map<Tbl, std::vector<std::string>> m = {
        {Tbl::KUNDE, {"RABATT"}},
        {Tbl::PRODUKT,
         {"MAXFAKTURALINJERABATT", "LAGERSTYRING", "LAGERBEHOLDNING", "MINLAGERBEHOLDNING"}},
        {Tbl::FAKTURA, {"MVATYPE", "PROSJEKTID", "PRJLINJEID"}},
        {Tbl::FAKLINJE, {"DATO", "PROSJEKTID", "PRJLINJEID"}},
        {Tbl::GRUNNLAG, {"TYPE", "MVATYPE"}},
        {Tbl::PARAM,
         {"STDMVATYPE", "AVRUNDING", "VISFAKTURALINJEDATO", "FASTFAKTURATEKST1_X",
          "FASTFAKTURATEKST1_Y", "FASTFAKTURATEKST1_FONT", "FASTFAKTURATEKST1_JUSTERING",
          "FASTFILTERIDFAKTURA", "FASTFILTERIDKUNDE", "FASTFILTERIDPRODUKT", "FASTFILTERIDGRUNNLAG",
          "FASTFILTERIDPROSJEKT", "FASTFILTERIDLAGER"}},
    };
    return m;
}

TableDecl lagVersjon3(const TableDecl& v4)
{
    const auto& nye = endringer().at(v4.id);
    TableDecl v3 = v4;
    v3.fields.clear();
    v3.offered.clear();
    std::vector<int> nyttNr(v4.fields.size(), -1);
    for (std::size_t i = 0; i < v4.fields.size(); ++i) {
        const FieldDecl& f = v4.fields[i];
        if (std::find(nye.begin(), nye.end(), f.column) != nye.end())
            continue;
        nyttNr[i] = static_cast<int>(v3.fields.size());
        v3.fields.push_back(f);
        // The second fixed invoice text, which this version no longer prints, came right
        // after the first.
        if (v4.id == Tbl::PARAM && f.column == "FASTFAKTURATEKST1")
            v3.fields.push_back(
                {"PAR:FASTFAKTURATEKST2", "FASTFAKTURATEKST2", FieldType::TEXT, f.size});
    }
    // A key over an added field did not exist.
    v3.keys.clear();
    for (KeyDecl k : v4.keys) {
        bool finnes = true;
        for (auto& c : k.components) {
            finnes = finnes && nyttNr[c.field] >= 0;
            if (finnes)
                c.field = static_cast<uint16_t>(nyttNr[c.field]);
        }
        if (finnes)
            v3.keys.push_back(std::move(k));
    }
    return v3;
}

} // namespace

bool endretIVersjon4(Tbl t)
{
    return endringer().count(t) != 0;
}

const std::vector<std::string>& nyeFelt(Tbl t)
{
    static const std::vector<std::string> ingen;
    auto it = endringer().find(t);
    return it == endringer().end() ? ingen : it->second;
}

const TableDecl& versjon3(Tbl t)
{
    static const auto tabeller = [] {
        std::map<Tbl, std::unique_ptr<TableDecl>> m;
        for (const auto& [id, nye] : endringer())
            m[id] = std::make_unique<TableDecl>(lagVersjon3(table(id)));
        return m;
    }();
    auto it = tabeller.find(t);
    return it == tabeller.end() ? table(t) : *it->second;
}

} // namespace tavlo::omlegg
