#pragma once
// The parts of the invoice's and the billing basis's windows that are the same, over the fields
// of either table: the customer block, the line list with its buttons and totals, the info tab,
// the VAT types, and the line form's product, VAT, amount and heading controls.
#include <QString>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "data/slots.h"
#include "invoices/dokumentform.h"

class QFormLayout;
class QHBoxLayout;
class QLineEdit;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace tavlo {
class FormWindow;
class WindowManager;
} // namespace tavlo

namespace tavlo::desktop::dokument {

inline constexpr const char* kBelop = "@n-14.`2";
inline constexpr const char* kDato = "@d06.B";

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true);
QLineEdit* bound(FormWindow* w, QWidget* parent, const char* name, int chars, int field,
                 const std::string& picture, bool number = false);
// A number only shown.
QLineEdit* shown(QWidget* parent, const char* name, int chars);
// A date field whose lookup key opens the calendar.
QLineEdit* dateField(FormWindow* w, WindowManager& rules, QWidget* parent, const char* name,
                     int field, std::function<void()> accepted = {});
QWidget* memoTab(FormWindow* w, const char* name, int memo, const char* note);

// A header form's window over its rules, started already: the customer's column on the left,
// the numbers and dates on the right, for the form to fill. The caller's `done` hears a form
// that did not open at once.
struct Hodevindu {
    FormWindow* w = nullptr;
    QVBoxLayout* layout = nullptr;
    QFormLayout* left = nullptr;
    QFormLayout* right = nullptr;
};
Hodevindu hodevindu(std::unique_ptr<DokumentForm> rules, int started, const char* title,
                    const char* name, FormDone& done);
// "&Fakturadato:" and "&Betalingsbetingelse:", each giving the due date anew; the date field.
QLineEdit* datoOgBetingelse(FormWindow* w, DokumentForm& rules, QFormLayout* form);

// "&Kunde:" with the register on the lookup key, both addresses and the postal place; the
// customer fields closed when the form was given its customer. The customer field.
QLineEdit* kundeblokk(FormWindow* w, DokumentForm& rules, QFormLayout* form);
// The line list with its buttons (moving lines too) and the totals; `apneLinje` opens the line
// form over the list's record.
using LinjeVindu = std::function<void(Context&, DokumentFelles&, FormDone)>;
QWidget* linjeside(FormWindow* w, DokumentForm& rules, LinjeVindu apneLinje);
// "Fakturainfo": the references (the customer's contacts and our standard on the lookup key),
// the message and the description.
QWidget* infoside(FormWindow* w, DokumentForm& rules, int melding, int beskrivelse);
// The three VAT types as radio buttons; a change recomputes the totals.
void mvatyper(FormWindow* w, DokumentForm& rules, QWidget* parent, QFormLayout* form);

// The line form's controls into `form` on `page`: product with the register on the lookup key,
// unit, the VAT group (closed when `mvaAapen` is false), the amounts and the heading box. A
// heading line closes them, and through `extra` the form's own controls. The product field.
QLineEdit* linjefelter(FormWindow* w, DokumentLinjeForm& rules, QWidget* page, QFormLayout* form,
                       bool mvaAapen, std::function<void(bool open)> extra = {});
// A line form's window over its rules, started already: its tabs, for the form to fill. The
// caller's `done` hears a form that did not open at once.
struct Linjevindu {
    FormWindow* w = nullptr;
    QTabWidget* tabs = nullptr;
};
Linjevindu linjevindu(std::unique_ptr<DokumentLinjeForm> rules, int started, const char* title,
                      const char* name, FormDone& done);
// Shows it, with the buttons' texts of a line form.
void visLinjevindu(FormWindow* w, QWidget* first, FormDone done);
// The line form's memo tabs "Beskrivelse" (red while it holds a text) and "Div".
void linjememoer(FormWindow* w, DokumentLinjeForm& rules, QTabWidget* tabs);

} // namespace tavlo::desktop::dokument
