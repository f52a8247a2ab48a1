#pragma once
// What the limits windows of the printed lists share: a date field with its calendar, numbers and
// dates read with a clear message, and a list's run behind its progress window ending in the
// print preview, or on the printer when the preview is turned off.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "framework/process.h"
#include "framework/report/pagelist.h"

class QButtonGroup;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavlo {

class Context;
class INIClass;

namespace desktop {

class Dialog;

// A date field: the calendar on its lookup key, the date shown again once it is left. What
// cannot be read as a date is said when read and stays in the field to be mended.
QLineEdit* datofelt(QWidget* w, const char* name);
// A code field of `group` with its text beside it, the code picker on its lookup key; its label
// is named `name` + "tekst".
QLineEdit* kodefelt(Context* c, QWidget* w, QFormLayout* form, const char* label, const char* name,
                    int32_t group);
// A row of two date fields, "F.o.m." and "T.o.m.", named "fra" + name and "til" + name, with
// `ekstra` after them when given.
std::pair<QLineEdit*, QLineEdit*> periodefelt(QWidget* w, QFormLayout* form, const char* label,
                                              const char* name, QWidget* ekstra = nullptr);
// "&Filter:": a filter expression, the saved filters of table number `tabell` on its lookup key.
QLineEdit* filterfelt(Context* c, QWidget* w, QFormLayout* form, int32_t tabell);
// Radio buttons in a group box, named `navn` + id with ids counted from `forste`, the first
// chosen. With `strekk` the free room goes below them, else between them.
QButtonGroup* radioer(QWidget* w, QGroupBox* boks, const std::vector<const char*>& tekster,
                      const char* navn, int forste, bool strekk = true);
// The number in a field; blank is 0. nullopt, after "Ugyldig <hva>: …", when it is no number.
std::optional<int32_t> lesTall(Context& ctx, QLineEdit* e, const char* hva);
// The date in a field; blank is 0. nullopt, after the message, when it is no date.
std::optional<int32_t> lesDato(Context& ctx, QLineEdit* e);

// The invoice, due and paid periods' fields read into the limits `a` (fraFakturaDato …
// tilBetaltDato); false, after the message, at the first that is no date.
template <class Avgrensning>
bool lesPerioder(Context& ctx, const std::pair<QLineEdit*, QLineEdit*>& faktura,
                 const std::pair<QLineEdit*, QLineEdit*>& forfall,
                 const std::pair<QLineEdit*, QLineEdit*>& betalt, Avgrensning& a)
{
    const std::pair<QLineEdit*, int32_t*> datoer[] = {
        {faktura.first, &a.fraFakturaDato},  {faktura.second, &a.tilFakturaDato},
        {forfall.first, &a.fraForfallsDato}, {forfall.second, &a.tilForfallsDato},
        {betalt.first, &a.fraBetaltDato},    {betalt.second, &a.tilBetaltDato}};
    for (const auto& [e, d] : datoer) {
        const auto v = lesDato(ctx, e);
        if (!v)
            return false;
        *d = *v;
    }
    return true;
}

// One list's run, as its print procedure offers it.
struct Listekjoring {
    QString tittel;                             // what the progress window says is going on
    std::function<ProcessClass::Record()> next; // one record into the list
    std::function<int()> percent;
    std::function<report::PageList()> pages; // at the end; empty after "Ingen poster"
    INIClass* settings = nullptr;            // where the preview keeps its placement
};

// Runs the list (already opened) and shows its pages. One run at a time: the window cannot
// close and `skrivUt` is off until the run is over, either way.
void kjorListe(Context& ctx, Dialog* w, QPushButton* skrivUt, Listekjoring k);

} // namespace desktop
} // namespace tavlo
