#pragma once
// Procedures reached across modules. A module never names a procedure of a module above it: it
// calls the procedure's slot here, which the owning module fills from its initialiser and clears
// in its finaliser (window procedures from the initialiser of its desktop half). A slot nobody
// has filled says that the window comes in a later version.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/store.h"
#include "framework/windowmanager.h"

namespace tavlo {

class Context;
class ErrorClass;
class INIClass;

// A register opened for choosing ends with RequestCompleted and the chosen record in its table's
// buffer, or RequestCancelled. An empty one: opened from the menu, nothing to choose.
using Chosen = std::function<void(int response)>;
// A form's end: its response and, after an insert, the record added.
using FormDone = std::function<void(int response, RowRef inserted)>;
// A window's end, for a caller that reads its list anew afterwards.
using Closed = std::function<void()>;

// What a command says while the procedure it starts belongs to a later version of the program.
std::string comingLater(std::string_view procedure);

class SlotBase {
  public:
    SlotBase(const SlotBase&) = delete;
    SlotBase& operator=(const SlotBase&) = delete;

    const char* name() const { return name_; }
    virtual bool filled() const = 0;
    virtual void clear() = 0;

    // Every slot of the program, in the order declared below.
    static const std::vector<SlotBase*>& all();
    // The slot of a procedure name, or null.
    static SlotBase* find(std::string_view name);

  protected:
    explicit SlotBase(const char* name);
    virtual ~SlotBase() = default;
    void sayComingLater(Context& ctx) const;

    // An empty slot answers its caller's callbacks as a window closed unused would.
    static void endUnused(const Chosen& f)
    {
        if (f)
            f(RequestCancelled);
    }
    static void endUnused(const FormDone& f)
    {
        if (f)
            f(RequestCancelled, {});
    }
    static void endUnused(const Closed& f)
    {
        if (f)
            f();
    }
    template <class T> static void endUnused(const T&) {}

  private:
    const char* name_;
};

template <class Signature> class ProcedureSlot;

template <class... Args> class ProcedureSlot<void(Context&, Args...)> final : public SlotBase {
  public:
    using Function = std::function<void(Context&, Args...)>;

    explicit ProcedureSlot(const char* name) : SlotBase(name) {}
    void fill(Function procedure) { procedure_ = std::move(procedure); }
    void clear() override { procedure_ = nullptr; }
    bool filled() const override { return static_cast<bool>(procedure_); }

    // Runs the procedure in the caller's context.
    void operator()(Context& ctx, Args... args) const
    {
        if (procedure_) {
            procedure_(ctx, std::move(args)...);
            return;
        }
        sayComingLater(ctx);
        (endUnused(args), ...);
    }

  private:
    Function procedure_;
};

namespace procedures {

// The registers. `chosen` set: opened for choosing a record in the caller's context.
extern ProcedureSlot<void(Context&, Chosen chosen)> KUNDEKARTOTEK;
extern ProcedureSlot<void(Context&, Chosen chosen)> PRODUKTKARTOTEK;
// `caller` empty (the menu) empties the invoice marks; "Kunde" or "Grunnlag" (invoice
// generation) keeps them, so that the invoices just made stay marked.
extern ProcedureSlot<void(Context&, std::string caller)> FAKTURAKARTOTEK;
extern ProcedureSlot<void(Context&, Chosen chosen)> PROSJEKTKARTOTEK;
extern ProcedureSlot<void(Context&, Chosen chosen)> GRUNNLAGKARTOTEK;
extern ProcedureSlot<void(Context&)> KODEVERKKARTOTEK;

// The forms, for GlobalRequest on their table's buffer. `kundeId` not 0: opened from that
// customer's list, which has primed a new record with the customer already.
extern ProcedureSlot<void(Context&, int32_t kundeId, FormDone done)> FAKTURAFORM;
extern ProcedureSlot<void(Context&, int32_t kundeId, FormDone done)> GRUNNLAGFORM;

// Invoices from billing bases: mode 1 from the customer register (the marked customers),
// 2 from the billing-basis register (the marked bases).
extern ProcedureSlot<void(Context&, int32_t mode, Closed closed)> GENERERNYEFAKTURAER;
// Prints the invoice in the variant the parameters choose.
extern ProcedureSlot<void(Context&, int32_t fakturaId)> VELGFAKTURARAPPORT;

// The reports' limit windows and the statistics.
extern ProcedureSlot<void(Context&)> AVGRENSNINGERKUNDERAPPORT;
extern ProcedureSlot<void(Context&)> AVGRENSNINGERPRODUKTRAPPORT;
extern ProcedureSlot<void(Context&)> AVGRENSNINGERFAKTURARAPPORT;
extern ProcedureSlot<void(Context&)> FAKTURASTATISTIKK;

// Maintenance.
extern ProcedureSlot<void(Context&)> PARAMETERBILDE;
extern ProcedureSlot<void(Context&)> EGENDEFBROWSE;
extern ProcedureSlot<void(Context&)> FILTERBROWSE;
extern ProcedureSlot<void(Context&)> BACKUP;
extern ProcedureSlot<void(Context&)> IMPORTEKSPORTKODEVERK;
extern ProcedureSlot<void(Context&)> KUNDEVEDLIKEHOLD;
extern ProcedureSlot<void(Context&)> PRODUKTVEDLIKEHOLD;
extern ProcedureSlot<void(Context&)> LAGFILER;
// The bank's OCR file of KID payments read in.
extern ProcedureSlot<void(Context&)> OCRINNBETALINGER;

} // namespace procedures

// One window slot that a module's desktop half fills, with its procedure.
struct SlotFill {
    SlotBase* slot;
    std::function<void()> fill;
};
template <class Slot> SlotFill fills(Slot& slot, typename Slot::Function procedure)
{
    return {&slot, [&slot, procedure] { slot.fill(procedure); }};
}
void fillSlots(const std::vector<SlotFill>& fills);
void clearSlots(const std::vector<SlotFill>& fills);

} // namespace tavlo

// A module's desktop initialiser and finaliser, inside its namespace: INIT runs the module's own
// and then fills its window slots; KILL clears them and then ends the module.
//   TAVLO_DESKTOP_MODULE(TLKU, tavlo::fills(tavlo::procedures::KUNDEKARTOTEK, ...))
#define TAVLO_DESKTOP_MODULE(MODULE, ...)                                                          \
    namespace {                                                                                    \
    const std::vector<::tavlo::SlotFill>& windowSlots()                                            \
    {                                                                                              \
        static const std::vector<::tavlo::SlotFill> fills{__VA_ARGS__};                            \
        return fills;                                                                              \
    }                                                                                              \
    }                                                                                              \
    void INIT(::tavlo::ErrorClass& errors, ::tavlo::INIClass* settings)                            \
    {                                                                                              \
        MODULE::INIT(errors, settings);                                                            \
        ::tavlo::fillSlots(windowSlots());                                                         \
    }                                                                                              \
    void KILL()                                                                                    \
    {                                                                                              \
        ::tavlo::clearSlots(windowSlots());                                                        \
        MODULE::KILL();                                                                            \
    }
