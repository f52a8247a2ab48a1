#include "data/slots.h"

#include "data/context.h"

namespace tavlo {

std::string comingLater(std::string_view procedure)
{
    return std::string(procedure) + " kommer i en senere versjon av Tavlo.";
}

namespace {
std::vector<SlotBase*>& registry()
{
    static std::vector<SlotBase*> slots;
    return slots;
}
} // namespace

SlotBase::SlotBase(const char* name) : name_(name)
{
    registry().push_back(this);
}

const std::vector<SlotBase*>& SlotBase::all()
{
    return registry();
}

SlotBase* SlotBase::find(std::string_view name)
{
    for (SlotBase* s : registry())
        if (name == s->name())
            return s;
    return nullptr;
}

void SlotBase::sayComingLater(Context& ctx) const
{
    say(ctx, comingLater(name_), "Info", Icon::Information);
}

namespace procedures {

// Defined in one place, in this order: the registry lists them so.
ProcedureSlot<void(Context&, Chosen)> KUNDEKARTOTEK("KUNDEKARTOTEK");
ProcedureSlot<void(Context&, Chosen)> PRODUKTKARTOTEK("PRODUKTKARTOTEK");
ProcedureSlot<void(Context&, std::string)> FAKTURAKARTOTEK("FAKTURAKARTOTEK");
ProcedureSlot<void(Context&, Chosen)> PROSJEKTKARTOTEK("PROSJEKTKARTOTEK");
ProcedureSlot<void(Context&, Chosen)> GRUNNLAGKARTOTEK("GRUNNLAGKARTOTEK");
ProcedureSlot<void(Context&)> KODEVERKKARTOTEK("KODEVERKKARTOTEK");
ProcedureSlot<void(Context&, int32_t, FormDone)> FAKTURAFORM("FAKTURAFORM");
ProcedureSlot<void(Context&, int32_t, FormDone)> GRUNNLAGFORM("GRUNNLAGFORM");
ProcedureSlot<void(Context&, int32_t, Closed)> GENERERNYEFAKTURAER("GENERERNYEFAKTURAER");
ProcedureSlot<void(Context&, int32_t)> VELGFAKTURARAPPORT("VELGFAKTURARAPPORT");
ProcedureSlot<void(Context&)> AVGRENSNINGERKUNDERAPPORT("AVGRENSNINGERKUNDERAPPORT");
ProcedureSlot<void(Context&)> AVGRENSNINGERPRODUKTRAPPORT("AVGRENSNINGERPRODUKTRAPPORT");
ProcedureSlot<void(Context&)> AVGRENSNINGERFAKTURARAPPORT("AVGRENSNINGERFAKTURARAPPORT");
ProcedureSlot<void(Context&)> FAKTURASTATISTIKK("FAKTURASTATISTIKK");
ProcedureSlot<void(Context&)> PARAMETERBILDE("PARAMETERBILDE");
ProcedureSlot<void(Context&)> EGENDEFBROWSE("EGENDEFBROWSE");
ProcedureSlot<void(Context&)> FILTERBROWSE("FILTERBROWSE");
ProcedureSlot<void(Context&)> BACKUP("BACKUP");
ProcedureSlot<void(Context&)> IMPORTEKSPORTKODEVERK("IMPORTEKSPORTKODEVERK");
ProcedureSlot<void(Context&)> KUNDEVEDLIKEHOLD("KUNDEVEDLIKEHOLD");
ProcedureSlot<void(Context&)> PRODUKTVEDLIKEHOLD("PRODUKTVEDLIKEHOLD");
ProcedureSlot<void(Context&)> LAGFILER("LAGFILER");
ProcedureSlot<void(Context&)> OCRINNBETALINGER("OCRINNBETALINGER");

} // namespace procedures

void fillSlots(const std::vector<SlotFill>& fills)
{
    for (const SlotFill& f : fills)
        f.fill();
}

void clearSlots(const std::vector<SlotFill>& fills)
{
    for (const SlotFill& f : fills)
        f.slot->clear();
}

} // namespace tavlo
